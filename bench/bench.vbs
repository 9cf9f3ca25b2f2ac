' Costs seen from a script: 10,000 late-bound calls of a member of the
' component against 10,000 calls of a VBScript built-in doing similar work,
' and against the WMI query a script author would write instead.
'   cscript //nologo bench.vbs
Option Explicit

' Timer moves in steps of about 8 ms here, so fast loops run 20 times
' 10,000 calls; calls of 100 us or more run 10,000 once.
Const kCalls = 10000
Const kFast = 200000
Const kQueries = 20

Dim record, os, metrics, machine, locale, utilities, fso, wmi
Set record = CreateObject("Orvilib10.clsKvOrviOsVersionInfoA")
Set os = CreateObject("Orvilib10.clsKvOrviOSInfoA")
Set metrics = CreateObject("Orvilib10.clsKvOrviSystemMetricsA")
Set machine = CreateObject("Orvilib10.clsKvOrviUtilitesWinInfoA")
Set locale = CreateObject("Orvilib10.clsKvOrviUtilitesLocaleA")
Set utilities = CreateObject("Orvilib10.clsKvOrviUtilitesA")
Set fso = CreateObject("Scripting.FileSystemObject")
Set wmi = GetObject("winmgmts:")
Dim file
file = fso.BuildPath(fso.GetSpecialFolder(0), "win.ini")

' Microseconds a turn of loop `which` takes, with its values in local
' variables as a script's own procedures would hold them.
Function PerCall(which, calls)
    Dim i, v, o, started, number, text, word, someDate, path
    number = -5 : text = "Windows" : word = "Robertson" : someDate = DateSerial(2026, 12, 8) : path = file
    started = Timer
    Select Case which
    Case "bare" : For i = 1 To calls : v = number : Next
    Case "Abs" : For i = 1 To calls : v = Abs(number) : Next
    Case "LCase" : For i = 1 To calls : v = LCase(text) : Next
    Case "Round" : For i = 1 To calls : v = Round(number / 3, 2) : Next
    Case "MonthName" : For i = 1 To calls : v = MonthName(12) : Next
    Case "Int" : For i = 1 To calls : v = Int((someDate - DateSerial(Year(someDate), 1, 1)) / 7) + 1 : Next
    Case "UCase" : For i = 1 To calls : v = UCase(Replace(word, "o", "")) : Next
    Case "FileSystemObject" : Set o = fso : For i = 1 To calls : v = o.FileExists(path) : Next
    Case "MajorVersion" : Set o = record : For i = 1 To calls : v = o.MajorVersion : Next
    Case "OSName" : Set o = os : For i = 1 To calls : v = o.OSName : Next
    Case "ScreenWidth" : Set o = metrics : For i = 1 To calls : v = o.ScreenWidth : Next
    Case "MemoryAvailable" : Set o = machine : For i = 1 To calls : v = o.MemoryAvailable : Next
    Case "Country" : Set o = locale : For i = 1 To calls : v = o.Country : Next
    Case "FileExists" : Set o = utilities : For i = 1 To calls : v = o.FileExists(path) : Next
    Case "WeekNo" : Set o = utilities : For i = 1 To calls : v = o.WeekNo(someDate) : Next
    Case "SoundX" : Set o = utilities : For i = 1 To calls : v = o.SoundX(word) : Next
    End Select
    PerCall = (Timer - started) * 1000000 / calls
End Function

' Microseconds a WMI query for one property takes, as scripts write it.
Function QueryTime(wql, property)
    Dim q, row, value, started
    started = Timer
    For q = 1 To kQueries
        For Each row In wmi.ExecQuery(wql)
            value = row.Properties_(property).Value
        Next
    Next
    QueryTime = (Timer - started) * 1000000 / kQueries
End Function

Function Column(value, width)
    Column = Left(value & Space(width), width)
End Function
Function Figure(value, width)
    Dim shown
    shown = FormatNumber(value, 2, True, False, False)
    If Len(shown) < width Then shown = Space(width - Len(shown)) & shown
    Figure = shown
End Function

' One line: the member's and the built-in's microseconds a call and
' milliseconds for 10,000 calls, then the WMI query's microseconds and its
' ratio to the member's call, where there is a query.
Sub Pair(label, member, builtinLabel, builtin, slow, wql, property)
    Dim calls, memberTime, builtinTime, line, wmiTime
    calls = kFast
    If slow Then calls = kCalls
    memberTime = PerCall(member, calls)
    builtinTime = PerCall(builtin, calls)
    line = Column(label, 28) & Figure(memberTime, 9) & Figure(memberTime * kCalls / 1000, 10) & "  " & _
        Column(builtinLabel, 32) & Figure(builtinTime, 9) & Figure(builtinTime * kCalls / 1000, 10)
    If wql <> "" Then
        wmiTime = QueryTime(wql, property)
        line = line & Figure(wmiTime, 14) & Figure(wmiTime / memberTime, 12)
    End If
    WScript.Echo line
End Sub

WScript.Echo Column("member", 28) & "  us/call  ms/10000  " & Column("built-in", 32) & "  us/call  ms/10000" & _
    "  WMI us/query  WMI/member"
Pair "OsVersionInfo.MajorVersion", "MajorVersion", "Abs(n)", "Abs", False, _
    "SELECT Version FROM Win32_OperatingSystem", "Version"
Pair "OSInfo.OSName", "OSName", "LCase(s)", "LCase", False, "SELECT Caption FROM Win32_OperatingSystem", "Caption"
Pair "SystemMetrics.ScreenWidth", "ScreenWidth", "Abs(n)", "Abs", True, _
    "SELECT CurrentHorizontalResolution FROM Win32_VideoController", "CurrentHorizontalResolution"
Pair "WinInfo.MemoryAvailable", "MemoryAvailable", "Round(x, 2)", "Round", False, _
    "SELECT FreePhysicalMemory FROM Win32_OperatingSystem", "FreePhysicalMemory"
Pair "UtilitesLocale.Country", "Country", "MonthName(m)", "MonthName", False, _
    "SELECT CountryCode FROM Win32_OperatingSystem", "CountryCode"
Pair "Utilites.FileExists", "FileExists", "FileSystemObject.FileExists", "FileSystemObject", True, _
    "SELECT Name FROM CIM_DataFile WHERE Name = '" & Replace(file, "\", "\\") & "'", "Name"
Pair "Utilites.WeekNo", "WeekNo", "Int((d - DateSerial(..)) / 7)", "Int", False, "", ""
Pair "Utilites.SoundX", "SoundX", "UCase(Replace(s, ""o"", """"))", "UCase", False, "", ""
WScript.Echo "(each figure includes the loop's own turn: " & FormatNumber(PerCall("bare", kFast), 2) & _
    " us; " & kQueries & " WMI queries each)"
