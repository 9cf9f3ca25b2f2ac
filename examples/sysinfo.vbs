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

Dim utilities
Set utilities = CreateObject("Orvilib10.clsKvOrviUtilitesA")
WScript.Echo "Utilities"
Show "  Today", utilities.Today & " (week " & utilities.WeekNo() & ")"
Show "  Greeting", utilities.DayPart(, "Good")
Show "  Business days this month", utilities.BusinessDays(DateSerial(Year(Date), Month(Date), 1), utilities.EndOfMonth(Date))
Show "  Phonetic code of Robert", utilities.SoundX("Robert") & " / " & utilities.SoundsLike("Robert")
Show "  A new GUID", utilities.GUIDx(True)
