' System metrics, late-bound by ProgID. VBScript knows no type-library
' names, so the enumeration values it uses are declared here.
Const easBottomLeft = 0, easHide = 8
Const eadLeft = 0, eadUp = 4
Const BorderWidth = 0, Border3DHeight = 3
Const CursorWidth = 4, CursorHeight = 5
Const MenuBarHeight = 2, TitlebarHeight = 5
Const DragAreaWidth = 2
Const VerticalWidth = 2
Const vLeft = 0, vWidth = 2
Const FullScreenClientWidth = 0, MinimizedWindowGridHeight = 13

Dim m, other, width, height, value
Set m = CreateObject("Orvilib10.clsKvOrviSystemMetricsA")
Set other = CreateObject("Orvilib10.clsKvOrviSystemMetricsA")

width = m.ScreenWidth
height = m.ScreenHeight
Check "a new object reports pixels", width > 0 And height > 0
CheckEqual "ScreenWidth is a Long", vbLong, VarType(width)

' An enumeration argument by its name and by its number give the same metric.
CheckEqual "IconSize by name and number", m.IconSize(CursorHeight), m.IconSize(5)
CheckEqual "NonClientSize by name and number", m.NonClientSize(TitlebarHeight), m.NonClientSize(5)
CheckEqual "WindowSize by name and number", m.WindowSize(MinimizedWindowGridHeight), m.WindowSize(13)
Check "VirtualScreenSize covers the screen", m.VirtualScreenSize(vWidth) >= width
CheckEqual "BorderSize in pixels is a Long", vbLong, VarType(m.BorderSize(BorderWidth))

' Outside an enumeration: nothing read, 0 (Empty for BorderSize).
CheckEqual "WindowSize 14", 0, m.WindowSize(14)
CheckEqual "IconSize 8", 0, m.IconSize(8)
CheckEqual "RectSize -1", 0, m.RectSize(-1)
Check "BorderSize 8 is Empty", IsEmpty(m.BorderSize(8))

' Twips: a read of ReturnUnits with True switches this object only.
Dim twipsPerPixelX, twipsPerPixelY
If DisplayContextWorks("metrics in twips") Then
    Check "ReturnUnits returns Empty", IsEmpty(m.ReturnUnits(True))
    twipsPerPixelX = m.ScreenWidth / width
    twipsPerPixelY = m.ScreenHeight / height
    Check "twips per pixel across is a common setting", twipsPerPixelX = 15 Or twipsPerPixelX = 12
    Check "twips per pixel down is a common setting", twipsPerPixelY = 15 Or twipsPerPixelY = 12
    CheckEqual "the other object still reports pixels", width, other.ScreenWidth
    CheckEqual "MenuBarHeight takes the vertical factor", m.NonClientSize(2), CLng(other.NonClientSize(MenuBarHeight) * twipsPerPixelY)
    CheckEqual "DragAreaWidth takes the horizontal factor", m.RectSize(DragAreaWidth), CLng(other.RectSize(2) * twipsPerPixelX)
    value = m.BorderSize(Border3DHeight)
    CheckEqual "BorderSize in twips is a Double", vbDouble, VarType(value)
    CheckEqual "BorderSize in twips is the exact product", other.BorderSize(3) * twipsPerPixelY, value
    CheckEqual "BorderSize 8 in twips is a Single", vbSingle, VarType(m.BorderSize(8))
    CheckEqual "WindowSize 14 in twips", 0, m.WindowSize(14)
    value = m.ReturnUnits(False)
    CheckEqual "pixels again", width, m.ScreenWidth
    ' The same read written as a statement.
    m.ReturnUnits True
    CheckEqual "twips after the statement form", CLng(width * twipsPerPixelX), m.ScreenWidth
    m.ReturnUnits 0
    CheckEqual "pixels after the statement form", width, m.ScreenWidth
End If

' Flags come back as Booleans, counts as Longs.
CheckEqual "MouseInstalled is a Boolean", vbBoolean, VarType(m.MouseInstalled)
CheckEqual "NetworkPresent is a Boolean", vbBoolean, VarType(m.NetworkPresent)
Check "MonitorsCount", m.MonitorsCount >= 1
Check "MouseButtons", m.MouseButtons >= 0
Check "BootMode", m.BootMode >= 0 And m.BootMode <= 2
Check "ArrangementDirection", m.ArrangementDirection = eadLeft Or m.ArrangementDirection = eadUp
Check "TerminalServicesClientSession", Not IsEmpty(m.TerminalServicesClientSession)
Check "IMMEnabled", Not IsEmpty(m.IMMEnabled)

' Failures reach the script with number, source and description.
On Error Resume Next
value = m.IconSize("not a number")
CheckError "IconSize with a text", 13, "", ""
value = m.IconSize()
CheckError "IconSize without its argument", 450, "", ""
value = m.ScreenDepth
CheckError "an unknown member", 438, "", ""
On Error GoTo 0
Finish
