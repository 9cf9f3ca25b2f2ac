' A report of this machine through Orvilib10, late-bound as any script would.
Option Explicit

' Each line names its value (Item), then shows it (Show). A member that fails
' (a display that reports nothing, say) skips its Show, and the next Item or
' Heading prints the error in its place, so the report always runs to its end.
On Error Resume Next
Dim pendingLabel
Sub Flush()
    If Err.Number <> 0 And pendingLabel <> "" Then
        WScript.Echo Left(pendingLabel & String(28, " "), 28) & "(error " & Err.Number & ": " & Err.Description & ")"
    End If
    pendingLabel = ""
    Err.Clear
End Sub
Sub Heading(text)
    Flush
    WScript.Echo text
End Sub
Sub Item(label)
    Flush
    pendingLabel = label
End Sub
Sub Show(value)
    WScript.Echo Left(pendingLabel & String(28, " "), 28) & value
    pendingLabel = ""
End Sub

' Which of the two DLLs this host loaded: a 32-bit host takes the 32-bit
' one, a 64-bit host the 64-bit one.
Dim information, properties, hostBits
Set information = CreateObject("Orvilib10.clsKvOrviInformationA")
Set properties = information.GetProStdProperties
If CreateObject("WScript.Shell").Environment("PROCESS")("PROCESSOR_ARCHITECTURE") = "x86" Then hostBits = 32 Else hostBits = 64
Heading "Component"
Item "  File": Show properties.Path & "\" & properties.EXEName & ".dll"
Item "  Version": Show properties.Major & "." & properties.Minor & "." & properties.Revision
Item "  Host process": Show hostBits & "-bit"

Dim os, browser
Set os = CreateObject("Orvilib10.clsKvOrviOsVersionInfoA")
Heading "Operating system version record"
Item "  Platform": Show os.PlatformName & " (" & os.PlatformID & ")"
Item "  Version": Show os.MajorVersion & "." & os.MinorVersion
Item "  Build": Show os.BuildNumber

Set browser = CreateObject("Orvilib10.clsKvOrviIEVersionInfoA")
Heading "Browser shell library"
Item "  Version": Show browser.MajorVersion & "." & browser.MinorVersion & "." & browser.BuildNumber

Dim machine, locale
Set machine = CreateObject("Orvilib10.clsKvOrviUtilitesWinInfoA")
Heading "Machine"
Item "  Computer name": Show machine.name
Item "  User": Show machine.CurrentUser
Item "  Screen": Show machine.ScreenResolution
Item "  Sound card": Show machine.SoundCard
Item "  Windows directory": Show machine.Directory(0)
Item "  Temporary directory": Show machine.Directory(2)
Item "  Up for (hours)": Show machine.Running
Item "  Started": Show machine.Started
Heading "Memory (MB)"
Item "  Physical": Show machine.MemoryAvailablePhysical & " free of " & machine.MemoryTotalPhysical
Item "  With the page file": Show machine.MemoryAvailable & " free of " & machine.MemoryInTotal
Item "  Free": Show machine.MemoryPercentFree & " %"
Heading "Drive C:"
Item "  Label": Show machine.DriveName
Item "  Type": Show machine.DriveType("C")
Item "  Size (MB)": Show machine.DriveMBSize
Item "  Free (MB)": Show machine.DriveMBFree

Set locale = CreateObject("Orvilib10.clsKvOrviUtilitesLocaleA")
Heading "Locale"
Item "  Country": Show locale.Country & " (" & locale.NativeCountryName & ")"
Item "  Language": Show locale.LanguageName
Item "  System language": Show locale.SysLanguageName & " (" & locale.SysLanguageID & ")"
Item "  Date picture": Show locale.DateFormat
Item "  Time picture": Show locale.TimeFormat
Item "  Number picture": Show locale.NumberFormat
Item "  Currency": Show locale.CurrencySpecifier
Item "  First day, month": Show locale.DayName(1) & ", " & locale.MonthName(1, True)

Dim host, adapter, bios
Set host = CreateObject("Orvilib10.clsKvOrviIPHostA")
Heading "Network identity"
Item "  Host name": Show host.GetIPHostName
Item "  IP address": Show host.GetIPAddress
Set adapter = CreateObject("Orvilib10.clsKvOrviEthernetAddressA")
Item "  Adapter 0 address": Show adapter.EthernetAddress(CLng(0))

Set bios = CreateObject("Orvilib10.clsKvOrviBiosDataA")
Heading "BIOS"
Item "  System BIOS date": Show bios.SystemBiosDate
Item "  System BIOS version": Show bios.SystemBiosVersion
Item "  System BIOS copyright": Show bios.SystemBiosCopyRight
Item "  Video BIOS date": Show bios.VideoBiosDate
Item "  Video BIOS version": Show Replace(bios.VideoBiosVersion, Chr(0), " / ")
Item "  Video BIOS copyright": Show bios.VideoBiosCopyRight

Dim utilities
Set utilities = CreateObject("Orvilib10.clsKvOrviUtilitesA")
Heading "Utilities"
Item "  Today": Show utilities.Today & " (week " & utilities.WeekNo() & ")"
Item "  Greeting": Show utilities.DayPart(, "Good")
Item "  Business days this month": Show utilities.BusinessDays(DateSerial(Year(Date), Month(Date), 1), utilities.EndOfMonth(Date))
Item "  Phonetic code of Robert": Show utilities.SoundX("Robert") & " / " & utilities.SoundsLike("Robert")
Item "  A new GUID": Show utilities.GUIDx(True)

Dim metrics, pixelsWide, pixelsHigh
Set metrics = CreateObject("Orvilib10.clsKvOrviSystemMetricsA")
Heading "System metrics (pixels / twips)"
pixelsWide = metrics.ScreenWidth
pixelsHigh = metrics.ScreenHeight
metrics.ReturnUnits True
Item "  Screen": Show pixelsWide & " x " & pixelsHigh & " / " & metrics.ScreenWidth & " x " & metrics.ScreenHeight
metrics.ReturnUnits False
Dim titleBar, scrollBar, icon
titleBar = metrics.NonClientSize(5)   ' TitlebarHeight
scrollBar = metrics.ScrollBarSize(2)  ' VerticalWidth
icon = metrics.IconSize(0)            ' IconWidth
metrics.ReturnUnits True
Item "  Title bar height": Show titleBar & " / " & metrics.NonClientSize(5)
Item "  Vertical scroll bar": Show scrollBar & " / " & metrics.ScrollBarSize(2)
Item "  Icon width": Show icon & " / " & metrics.IconSize(0)
metrics.ReturnUnits False
Item "  Monitors": Show metrics.MonitorsCount
Item "  Mouse buttons": Show metrics.MouseButtons
Item "  Mouse wheel": Show metrics.MouseWheelPresent
Item "  Network present": Show metrics.NetworkPresent

Dim classification, summary
Set classification = CreateObject("Orvilib10.clsKvOrviOSInfoA")
Heading "Windows release"
Item "  Name": Show classification.OSName
Item "  Version": Show classification.OSMajorVersion & "." & classification.OSMinorVersion & " (build " & classification.OSBuildNumber & ")"
Item "  NT family / 2000 or later": Show classification.IsNT & " / " & classification.IsWin2K

Set summary = CreateObject("Orvilib10.clsKvOrviInformationB")
Heading "System summary"
Item "  Windows": Show summary.WinName & " " & summary.WinVersion
Item "  Processor": Show summary.CPUVersion
Item "  Browser": Show summary.IEVersion
Item "  Memory (KB total/free)": Show summary.MemoryTotal & " / " & summary.MemoryFree
Item "  Virtual (KB total/free)": Show summary.VirtualMemoryTotal & " / " & summary.VirtualMemoryFree
Flush
