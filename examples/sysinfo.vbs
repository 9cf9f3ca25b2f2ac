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
