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

Dim machine, locale
Set machine = CreateObject("Orvilib10.clsKvOrviUtilitesWinInfoA")
WScript.Echo "Machine"
Show "  Computer name", machine.name
Show "  User", machine.CurrentUser
Show "  Screen", machine.ScreenResolution
Show "  Sound card", machine.SoundCard
Show "  Windows directory", machine.Directory(0)
Show "  Temporary directory", machine.Directory(2)
Show "  Up for (hours)", machine.Running
Show "  Started", machine.Started
WScript.Echo "Memory (MB)"
Show "  Physical", machine.MemoryAvailablePhysical & " free of " & machine.MemoryTotalPhysical
Show "  With the page file", machine.MemoryAvailable & " free of " & machine.MemoryInTotal
Show "  Free", machine.MemoryPercentFree & " %"
WScript.Echo "Drive C:"
Show "  Label", machine.DriveName
Show "  Type", machine.DriveType("C")
Show "  Size (MB)", machine.DriveMBSize
Show "  Free (MB)", machine.DriveMBFree

Set locale = CreateObject("Orvilib10.clsKvOrviUtilitesLocaleA")
WScript.Echo "Locale"
Show "  Country", locale.Country & " (" & locale.NativeCountryName & ")"
Show "  Language", locale.LanguageName
Show "  System language", locale.SysLanguageName & " (" & locale.SysLanguageID & ")"
Show "  Date picture", locale.DateFormat
Show "  Time picture", locale.TimeFormat
Show "  Number picture", locale.NumberFormat
Show "  Currency", locale.CurrencySpecifier
Show "  First day, month", locale.DayName(1) & ", " & locale.MonthName(1, True)

Dim host, adapter, bios
Set host = CreateObject("Orvilib10.clsKvOrviIPHostA")
WScript.Echo "Network identity"
Show "  Host name", host.GetIPHostName
Show "  IP address", host.GetIPAddress
Set adapter = CreateObject("Orvilib10.clsKvOrviEthernetAddressA")
Show "  Adapter 0 address", adapter.EthernetAddress(CLng(0))

Set bios = CreateObject("Orvilib10.clsKvOrviBiosDataA")
WScript.Echo "BIOS"
Show "  System BIOS date", bios.SystemBiosDate
Show "  System BIOS version", bios.SystemBiosVersion
Show "  System BIOS copyright", bios.SystemBiosCopyRight
Show "  Video BIOS date", bios.VideoBiosDate
Show "  Video BIOS version", Replace(bios.VideoBiosVersion, Chr(0), " / ")
Show "  Video BIOS copyright", bios.VideoBiosCopyRight

Dim utilities
Set utilities = CreateObject("Orvilib10.clsKvOrviUtilitesA")
WScript.Echo "Utilities"
Show "  Today", utilities.Today & " (week " & utilities.WeekNo() & ")"
Show "  Greeting", utilities.DayPart(, "Good")
Show "  Business days this month", utilities.BusinessDays(DateSerial(Year(Date), Month(Date), 1), utilities.EndOfMonth(Date))
Show "  Phonetic code of Robert", utilities.SoundX("Robert") & " / " & utilities.SoundsLike("Robert")
Show "  A new GUID", utilities.GUIDx(True)

Dim metrics, pixelsWide, pixelsHigh
Set metrics = CreateObject("Orvilib10.clsKvOrviSystemMetricsA")
WScript.Echo "System metrics (pixels / twips)"
pixelsWide = metrics.ScreenWidth
pixelsHigh = metrics.ScreenHeight
metrics.ReturnUnits True
Show "  Screen", pixelsWide & " x " & pixelsHigh & " / " & metrics.ScreenWidth & " x " & metrics.ScreenHeight
metrics.ReturnUnits False
Dim titleBar, scrollBar, icon
titleBar = metrics.NonClientSize(5)   ' TitlebarHeight
scrollBar = metrics.ScrollBarSize(2)  ' VerticalWidth
icon = metrics.IconSize(0)            ' IconWidth
metrics.ReturnUnits True
Show "  Title bar height", titleBar & " / " & metrics.NonClientSize(5)
Show "  Vertical scroll bar", scrollBar & " / " & metrics.ScrollBarSize(2)
Show "  Icon width", icon & " / " & metrics.IconSize(0)
metrics.ReturnUnits False
Show "  Monitors", metrics.MonitorsCount
Show "  Mouse buttons", metrics.MouseButtons
Show "  Mouse wheel", metrics.MouseWheelPresent
Show "  Network present", metrics.NetworkPresent

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
