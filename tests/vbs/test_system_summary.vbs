' The system summary, late-bound by ProgID, against the version records.
Dim summary, os, browser, bits
Set summary = CreateObject("Orvilib10.clsKvOrviInformationB")
Set os = CreateObject("Orvilib10.clsKvOrviOsVersionInfoA")
Set browser = CreateObject("Orvilib10.clsKvOrviIEVersionInfoA")

CheckEqual "WinVersion", os.MajorVersion & "." & os.MinorVersion & " (Build " & os.BuildNumber & ")", summary.WinVersion
If os.MajorVersion = 5 Then
    Check "WinName ends with a blank", Right(summary.WinName, 1) = " "
Else
    CheckEqual "WinName of a later Windows", "Windows Unknown Version", summary.WinName
End If
CheckEqual "IEVersion", "Internet Explorer " & browser.MajorVersion & "." & browser.MinorVersion & "." & browser.BuildNumber, summary.IEVersion
Check "CPUVersion [" & summary.CPUVersion & "]", summary.CPUVersion = "(unknown)" Or Left(summary.CPUVersion, 6) = "Intel "
Check "MemoryTotal", summary.MemoryTotal > 0
Check "MemoryFree", summary.MemoryFree > 0 And summary.MemoryFree <= summary.MemoryTotal
Check "VirtualMemoryTotal", summary.VirtualMemoryTotal > 0
CheckEqual "VirtualMemoryFree is the same at every read", summary.VirtualMemoryFree, summary.VirtualMemoryFree
CheckEqual "VirtualMemoryFree is a Long", vbLong, VarType(summary.VirtualMemoryFree)

' Script classes cannot serve as forms here (the script host lacks name
' lookup on them); the unit tests use a window-like object instead.
On Error Resume Next
bits = summary.GetDisplayBitsPerPixel(CreateObject("Orvilib10.clsKvOrviGeneralA"))
CheckError "no HDC property", 438, "", ""
bits = summary.GetDisplayBitsPerPixel((Nothing))
CheckError "no form", 91, "Orvilib10.clsKvOrviInformationB", ""
Finish
