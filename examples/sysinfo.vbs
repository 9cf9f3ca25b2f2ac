' A report of this machine through Orvilib10, late-bound as any script would.
Option Explicit

Sub Show(label, value)
    WScript.Echo Left(label & String(28, " "), 28) & value
End Sub

Dim os, browser
Set os = CreateObject("Orvilib10.clsKvOrviOsVersionInfoA")
WScript.Echo "Operating system version record"
Show "  Platform", os.PlatformName & " (" & os.PlatformID & ")"
Show "  Version", os.MajorVersion & "." & os.MinorVersion
Show "  Build", os.BuildNumber

Set browser = CreateObject("Orvilib10.clsKvOrviIEVersionInfoA")
WScript.Echo "Browser shell library"
Show "  Version", browser.MajorVersion & "." & browser.MinorVersion & "." & browser.BuildNumber

Dim classification, summary
Set classification = CreateObject("Orvilib10.clsKvOrviOSInfoA")
WScript.Echo "Windows release"
Show "  Name", classification.OSName
Show "  Version", classification.OSMajorVersion & "." & classification.OSMinorVersion & " (build " & classification.OSBuildNumber & ")"
Show "  NT family / 2000 or later", classification.IsNT & " / " & classification.IsWin2K

Set summary = CreateObject("Orvilib10.clsKvOrviInformationB")
WScript.Echo "System summary"
Show "  Windows", summary.WinName & " " & summary.WinVersion
Show "  Processor", summary.CPUVersion
Show "  Browser", summary.IEVersion
Show "  Memory (KB total/free)", summary.MemoryTotal & " / " & summary.MemoryFree
Show "  Virtual (KB total/free)", summary.VirtualMemoryTotal & " / " & summary.VirtualMemoryFree
