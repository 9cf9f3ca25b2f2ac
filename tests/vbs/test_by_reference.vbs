' Every by-reference parameter of every class, passed a script variable:
' a member that only reads it leaves its type and value as they were (a
' variable of another type than the parameter's included); one that gives
' it a value, or hands the text back after its ANSI round trip, leaves that.
' Not called here: AboutBox (a dialog), ShutDown, ShellEx (launch) and
' PlaySound (a sound); their arguments are fuzzed with the system stubbed.
Class FakeForm
    Public HDC
End Class

Dim info, summary, machine, locale, adapter, u, fso, root, form, flags, copyMessage, wide, i, row, v
Set info = CreateObject("Orvilib10.clsKvOrviInformationA")
Set summary = CreateObject("Orvilib10.clsKvOrviInformationB")
Set machine = CreateObject("Orvilib10.clsKvOrviUtilitesWinInfoA")
Set locale = CreateObject("Orvilib10.clsKvOrviUtilitesLocaleA")
Set adapter = CreateObject("Orvilib10.clsKvOrviEthernetAddressA")
Set u = CreateObject("Orvilib10.clsKvOrviUtilitesA")
Set fso = CreateObject("Scripting.FileSystemObject")
root = fso.GetSpecialFolder(2).Path & "\orvi_byref_" & CLng(Timer * 100)
fso.CreateFolder root
Set form = New FakeForm
form.HDC = 0
' A character the ANSI code page lacks (it comes back as "?"), read from a
' UTF-16 file, since this engine has no ChrW.
Set wide = fso.CreateTextFile(root & "\wide.txt", True, False)
wide.Write Chr(255) & Chr(254) & Chr(&H2D) & Chr(&H4E)
wide.Close
Set wide = fso.OpenTextFile(root & "\wide.txt", 1, False, -1)
v = wide.ReadAll
wide.Close
wide = v
' What the members that give a value give, seen through a variable of the
' parameter's own type.
flags = 0
machine.IsConnectedToInternet flags
copyMessage = ""
u.FileCopy root & "\wide.txt", root, copyMessage
Check "FileCopy onto its folder gives a message", copyMessage <> ""

' The call of each row, its variable passed by reference.
Sub CallWith(name, v)
    Select Case name
    Case "GetProResStrings.lResId": info.GetProResStrings v
    Case "GetProResPicture.lResId": info.GetProResPicture v, 2
    Case "GetProResPicture.lRestype": info.GetProResPicture 101, v
    Case "GetProResData.lResId": info.GetProResData v, 6
    Case "GetProResData.vRestype": info.GetProResData 7, v
    Case "GetDisplayBitsPerPixel.frmForm": summary.GetDisplayBitsPerPixel v
    Case "DayName.Short": locale.DayName 1, v
    Case "MonthName.Short": locale.MonthName 1, v
    Case "MaxScreenColors.frmForm": machine.MaxScreenColors v
    Case "ControlPanel.Setting": machine.ControlPanel v
    Case "Directory.WhichDir": machine.Directory v
    Case "DriveMBFree.Drive": machine.DriveMBFree v
    Case "DriveMBSize.Drive": machine.DriveMBSize v
    Case "DriveName.Drive": machine.DriveName v
    Case "DriveType.Drive": machine.DriveType v
    Case "IsConnectedToInternet.ConnectMode": machine.IsConnectedToInternet v
    Case "Running.InSeconds": machine.Running v
    Case "EthernetAddress.LanaNumber": adapter.EthernetAddress v
    Case "AsPercent.MaxVal": u.AsPercent v, 3
    Case "AsPercent.ValNow": u.AsPercent 8, v
    Case "AsPercent.UpToMax": u.AsPercent 8, 3, v
    Case "FileCopy.SourceFile": u.FileCopy v, root & "\t.txt"
    Case "FileCopy.TargetFile": u.FileCopy root & "\none.txt", v
    Case "FileCopy.ErrMsg": u.FileCopy root & "\wide.txt", root, v
    Case "FileCopyAPI.Src": u.FileCopyAPI v, root & "\t.txt"
    Case "FileCopyAPI.dest": u.FileCopyAPI root & "\none.txt", v
    Case "FileCopyAPI.FailIfDestExists": u.FileCopyAPI root & "\none.txt", root & "\t.txt", v
    Case "FileFind.RootPath": u.FileFind v, "none.dat"
    Case "FileFind.Filename": u.FileFind root, v
    Case "FileKill.FileMask": u.FileKill v
    Case "FileKill.OlderThan": u.FileKill root & "\*.none", v
    Case "FileKill.Prompt": u.FileKill root & "\*.none", , v
    Case "FilePart.FullPath": u.FilePart v
    Case "FilePart.WhichPart": u.FilePart "C:\a\b.txt", v
    Case "FormOnTop.hWnd": u.FormOnTop v, False
    Case "FormOnTop.OnTop": u.FormOnTop 0, v
    Case "Gender.GenderX": u.Gender v
    Case "GUIDx.Formatted": u.GUIDx v
    Case "RandomNumber.Lower": u.RandomNumber v, 7
    Case "RandomNumber.Upper": u.RandomNumber 7, v
    Case "SoundX.pAccuracy": u.SoundX "Robert", v
    Case "SoundsLike.Accuracy": u.SoundsLike "Robert", v
    Case "SoundsLike.AsNumeric": u.SoundsLike "Robert", 5, v
    Case "Wait.AsMilliSecs": u.Wait 1, v
    Case "BusinessDays.WeekEndsOnly": u.BusinessDays DateSerial(2024, 1, 1), DateSerial(2024, 1, 5), v
    Case "DayPart.vTime": u.DayPart v
    Case "DayPart.Greeting": u.DayPart TimeSerial(9, 0, 0), v
    Case "Extract.StartTag": u.Extract "a 1 b", v
    Case "EndOfMonth.SomeDate": u.EndOfMonth v
    Case "ExactAge.StartDate": u.ExactAge v
    Case "ExactAge.YearsOnly": u.ExactAge DateSerial(2000, 1, 1), v
    Case "HowOld.varBirthDate": u.HowOld v
    Case "IsGoodDate.DateIN": u.IsGoodDate v
    Case "IsGoodDate.CompDate": u.IsGoodDate DateSerial(2000, 1, 1), v
    Case "NextDate.GetNext": u.NextDate DateSerial(2024, 1, 3), 7, v
    Case "WeekNo.SomeDate": u.WeekNo v
    Case Else: Check "no call for " & name, False
    End Select
End Sub

' member.parameter, value before, error raised, value after (its type included)
Dim rows
rows = Array( _
    Array("GetProResStrings.lResId", 125, 0, 125), _
    Array("GetProResPicture.lResId", CDbl(101), 326, CDbl(101)), _
    Array("GetProResPicture.lRestype", "2", 326, "2"), _
    Array("GetProResData.lResId", 7, 0, 7), _
    Array("GetProResData.vRestype", 6, 0, 6), _
    Array("GetDisplayBitsPerPixel.frmForm", form, 0, form), _
    Array("DayName.Short", 1, 0, 1), _
    Array("MonthName.Short", "True", 0, "True"), _
    Array("MaxScreenColors.frmForm", form, 0, form), _
    Array("ControlPanel.Setting", CDbl(0), 0, CDbl(0)), _
    Array("Directory.WhichDir", 1, 0, 1), _
    Array("DriveMBFree.Drive", "c", 0, "c:\"), _
    Array("DriveMBSize.Drive", "c", 0, "c:\"), _
    Array("DriveName.Drive", "c", 0, "c:\"), _
    Array("DriveType.Drive", "C:/WINNT", 0, "C:/WINNT/"), _
    Array("DriveType.Drive", 3, 0, "3:\"), _
    Array("IsConnectedToInternet.ConnectMode", CLng(99), 0, CLng(flags)), _
    Array("Running.InSeconds", 0, 0, 0), _
    Array("EthernetAddress.LanaNumber", 0, 0, 0), _
    Array("AsPercent.MaxVal", 8, 0, 8), _
    Array("AsPercent.ValNow", "3", 0, "3"), _
    Array("AsPercent.UpToMax", 0, 0, 0), _
    Array("FileCopy.SourceFile", 7, 0, 7), _
    Array("FileCopy.TargetFile", root & "\t.txt", 0, root & "\t.txt"), _
    Array("FileCopy.ErrMsg", Empty, 0, copyMessage), _
    Array("FileCopyAPI.Src", root & "\a" & wide & ".txt", 0, root & "\a?.txt"), _
    Array("FileCopyAPI.Src", 7, 0, 7), _
    Array("FileCopyAPI.dest", root & "\b" & wide & ".txt", 0, root & "\b?.txt"), _
    Array("FileCopyAPI.FailIfDestExists", 0, 0, 0), _
    Array("FileFind.RootPath", root & "\" & wide, 0, root & "\?"), _
    Array("FileFind.RootPath", 7, 0, 7), _
    Array("FileFind.Filename", wide & ".dat", 0, "?.dat"), _
    Array("FileKill.FileMask", root & "\*.none", 0, root & "\*.none"), _
    Array("FileKill.OlderThan", CStr(DateSerial(2000, 1, 1)), 0, DateSerial(2000, 1, 1)), _
    Array("FileKill.Prompt", 0, 0, 0), _
    Array("FilePart.FullPath", "C:\a\b.txt", 0, "C:\a\b.txt"), _
    Array("FilePart.WhichPart", CDbl(1), 0, CDbl(1)), _
    Array("FormOnTop.hWnd", 0, 0, 0), _
    Array("FormOnTop.OnTop", 0, 0, 0), _
    Array("Gender.GenderX", "Mr", 0, "Mr"), _
    Array("GUIDx.Formatted", 1, 0, 1), _
    Array("RandomNumber.Lower", CLng(7), 0, CLng(7)), _
    Array("RandomNumber.Upper", "7", 0, "7"), _
    Array("SoundX.pAccuracy", 12, 0, 9), _
    Array("SoundX.pAccuracy", "2", 0, "3"), _
    Array("SoundX.pAccuracy", CByte(5), 0, CByte(4)), _
    Array("SoundsLike.Accuracy", CLng(5), 0, CLng(5)), _
    Array("SoundsLike.AsNumeric", 0, 0, 0), _
    Array("Wait.AsMilliSecs", -1, 0, -1), _
    Array("BusinessDays.WeekEndsOnly", 0, 0, 0), _
    Array("DayPart.vTime", TimeSerial(9, 0, 0), 0, "09:00"), _
    Array("DayPart.Greeting", "Good", 0, "Good"), _
    Array("DayPart.Greeting", CLng(5), 0, CLng(5)), _
    Array("Extract.StartTag", CInt(1), 0, CInt(1)), _
    Array("Extract.StartTag", " ", 0, " "), _
    Array("EndOfMonth.SomeDate", "2024-02-15", 0, "2024-02-15"), _
    Array("ExactAge.StartDate", DateSerial(2000, 1, 1), 0, DateSerial(2000, 1, 1)), _
    Array("ExactAge.YearsOnly", 1, 0, 1), _
    Array("HowOld.varBirthDate", "2000-01-01", 0, "2000-01-01"), _
    Array("IsGoodDate.DateIN", CDbl(40000), 0, CDbl(40000)), _
    Array("IsGoodDate.CompDate", DateSerial(2000, 1, 1), 0, DateSerial(2000, 1, 1)), _
    Array("NextDate.GetNext", 0, 0, 0), _
    Array("WeekNo.SomeDate", "2024-01-01", 0, "2024-01-01"))

On Error Resume Next
For i = 0 To UBound(rows)
    row = rows(i)
    If IsObject(row(1)) Then Set v = row(1) Else v = row(1)
    CallWith row(0), v
    CheckEqual row(0) & " error", row(2), Err.Number
    Err.Clear
    If IsObject(row(3)) Then
        Check row(0) & " is the same object", v Is row(3)
    Else
        CheckEqual row(0) & " type", VarType(row(3)), VarType(v)
        CheckEqual row(0) & " value", row(3), v
    End If
    Err.Clear
Next

' An array of names: into an Empty variable, over a script array, and not
' into a fixed-size array.
Dim names, script, fixed(2)
machine.DSNs names
CheckEqual "DSNs into Empty", 0, Err.Number
CheckEqual "DSNs gives an array", vbArray + vbVariant, VarType(names)
CheckEqual "DSNs one element without sources", 0, UBound(names)
CheckEqual "DSNs empty text without sources", "", names(0)
Err.Clear
script = Array(1, 2, 3)
machine.DSNs script
CheckEqual "DSNs over an array", 0, Err.Number
CheckEqual "DSNs replaces the array", 0, UBound(script)
CheckEqual "DSNs elements are texts", vbString, VarType(script(0))
Err.Clear
' A ReDim'ed array. (Wine 8's VBScript fails the ReDim of a variable never
' declared, Err 0x80004005, leaving it Empty, before any call is made.)
Dim resized
ReDim resized(2)
machine.DSNs resized
CheckEqual "DSNs over a ReDim'ed array", 0, Err.Number
CheckEqual "DSNs replaces the ReDim'ed array", 0, UBound(resized)
Err.Clear
machine.DSNs fixed
CheckEqual "DSNs into a fixed array", 10, Err.Number
CheckEqual "DSNs leaves a fixed array", 2, UBound(fixed)
Err.Clear
v = 5
machine.DSNs v
CheckEqual "DSNs into a number", 13, Err.Number
CheckEqual "DSNs leaves the number", 5, v
On Error GoTo 0

fso.DeleteFolder root, True
Finish
