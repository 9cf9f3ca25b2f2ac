' Unregistering makes CreateObject fail with 429; registering restores it.
Dim shell, dll, record
Set shell = CreateObject("WScript.Shell")
dll = EnvironmentValue("ORVI_DLL")
Check "ORVI_DLL is set", dll <> ""
CheckEqual "unregister", 0, shell.Run("regsvr32 /s /u """ & dll & """", 0, True)
On Error Resume Next
Set record = CreateObject("Orvilib10.clsKvOrviOsVersionInfoA")
CheckError "create while unregistered", 429, "", ""
On Error GoTo 0
CheckEqual "register", 0, shell.Run("regsvr32 /s """ & dll & """", 0, True)
Set record = CreateObject("Orvilib10.clsKvOrviOsVersionInfoA")
CheckEqual "registered again", "WIN32_NT", record.PlatformName
Finish
