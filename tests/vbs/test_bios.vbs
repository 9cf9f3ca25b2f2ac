' BIOS data on the NT family, late-bound by ProgID, with the registry
' values written by the test and removed again.
Const SystemKey = "HKLM\Hardware\Description\System\"
Dim bios, shell
Set shell = CreateObject("WScript.Shell")
Set bios = CreateObject("Orvilib10.clsKvOrviBiosDataA")

' WScript.Shell cannot delete values under Wine; reg.exe can.
Sub RemoveValue(name)
    shell.Run "reg.exe delete ""HKLM\Hardware\Description\System"" /v " & name & " /f", 0, True
End Sub

CheckEqual "VideoBiosCopyRight", "Unavailable on NT", bios.VideoBiosCopyRight
CheckEqual "SystemBiosCopyRight", "Unvailable on NT", bios.SystemBiosCopyRight
CheckEqual "SystemBiosExtraInfo", "Unvailable on NT", bios.SystemBiosExtraInfo

shell.RegWrite SystemKey & "SystemBiosDate", "06/19/00", "REG_SZ"
shell.RegWrite SystemKey & "VideoBiosDate", "01/02/03", "REG_SZ"
shell.RegWrite SystemKey & "SystemBiosVersion", "ACPI - 1", "REG_SZ"
CheckEqual "SystemBiosDate", "06/19/00", bios.SystemBiosDate
CheckEqual "VideoBiosDate", "01/02/03", bios.VideoBiosDate
CheckEqual "SystemBiosVersion that is no date", "Unavailable", bios.SystemBiosVersion
shell.RegWrite SystemKey & "SystemBiosVersion", "2000-06-19", "REG_SZ"
CheckEqual "SystemBiosVersion that is a date", CStr(CDate("2000-06-19")), bios.SystemBiosVersion

RemoveValue "SystemBiosDate"
RemoveValue "VideoBiosDate"
RemoveValue "SystemBiosVersion"
CheckEqual "SystemBiosDate absent", "", bios.SystemBiosDate
CheckEqual "VideoBiosDate absent", "", bios.VideoBiosDate
CheckEqual "VideoBiosVersion absent", "", bios.VideoBiosVersion
CheckEqual "SystemBiosVersion absent", "Unavailable", bios.SystemBiosVersion

On Error Resume Next
bios.SystemBiosDate = "x"
Check "SystemBiosDate is read-only", Err.Number <> 0
Err.Clear
On Error GoTo 0

Finish
