' The utilities class by ProgID, late-bound: optional arguments left out at
' the end and in the middle, in/out arguments written back, files in a
' private folder. (Named arguments are not VBScript; the unit tests pass them.)
Dim u, fso, root, path, acc, tagStart, msg, copied, older, found, col, k
Set u = CreateObject("Orvilib10.clsKvOrviUtilitesA")
Set fso = CreateObject("Scripting.FileSystemObject")

' Text and numbers
CheckEqual "SoundX default accuracy", "R163", u.SoundX("Robert")
acc = 12
CheckEqual "SoundX accuracy 12", 10, Len(u.SoundX("Robert", acc))
CheckEqual "SoundX writes the accuracy back", 9, acc
CheckEqual "SoundX accuracy given", "R1630", u.SoundX("Robert", 5)
CheckEqual "SoundsLike defaults", "R1630", u.SoundsLike("Robert")
CheckEqual "SoundsLike accuracy left out in the middle", "163", u.SoundsLike("Robert", , True)
CheckEqual "SoundsLike accuracy skipped", "R16", u.SoundsLike("Robert", 3)
CheckEqual "Extract default tags", "two", u.Extract("one two three")
CheckEqual "Extract tags", "abc", u.Extract("name=[abc] rest", "[", "]")
CheckEqual "Extract other tags", "abc", u.Extract("x=abc;y", "=", ";")
tagStart = "["
CheckEqual "Extract start tag by reference", "abc", u.Extract("name=[abc] rest", tagStart, "]")
CheckEqual "Extract leaves the start tag", "[", tagStart
CheckEqual "Gender 1", "Female", u.Gender(1)
CheckEqual "Gender text", 2, u.Gender("Mr")
CheckEqual "Gender type", 2, VarType(u.Gender("x"))
CheckEqual "GUIDx plain", 32, Len(u.GUIDx())
CheckEqual "GUIDx formatted", 38, Len(u.GUIDx(True))
CheckEqual "AsPercent", 38, u.AsPercent(8, 3)
CheckEqual "AsPercent up to max", 100, u.AsPercent(100, 150, True)
CheckEqual "RandomNumber one value", 7, u.RandomNumber(7, 7)
Check "PI", Abs(u.PI - 3.141592653589793) < 1E-15

' Dates
CheckEqual "BusinessDays week", 5, u.BusinessDays(DateSerial(2024, 1, 1), DateSerial(2024, 1, 5))
CheckEqual "BusinessDays weekend only", 2, u.BusinessDays(DateSerial(2024, 1, 6), DateSerial(2024, 1, 7), True)
CheckEqual "BusinessDaysAdd Friday", DateSerial(2024, 1, 8), u.BusinessDaysAdd(DateSerial(2024, 1, 5), 1)
CheckEqual "BusinessDaysAdd Saturday counts", DateSerial(2024, 1, 6), u.BusinessDaysAdd(DateSerial(2024, 1, 5), 1, False)
CheckEqual "DaysInMonth leap", 29, u.DaysInMonth(DateSerial(2024, 2, 10))
CheckEqual "DaysInMonth number", 30, u.DaysInMonth(4)
CheckEqual "DaysInMonth omitted", Day(DateSerial(Year(Date), Month(Date) + 1, 0)), u.DaysInMonth()
CheckEqual "DaysInYear 1900", 365, u.DaysInYear(1900)
CheckEqual "IsLeapYear 2000", True, u.IsLeapYear(2000)
CheckEqual "WeekNo omitted", u.WeekNo(Date), u.WeekNo()
CheckEqual "WeekNo 1 January", 1, u.WeekNo(DateSerial(2023, 1, 1))
CheckEqual "NextDate default Saturday", DateSerial(2024, 1, 6), u.NextDate(DateSerial(2024, 1, 3))
CheckEqual "NextDate previous", DateSerial(2023, 12, 30), u.NextDate(DateSerial(2024, 1, 3), , False)
CheckEqual "NextDate Sunday", DateSerial(2024, 1, 7), u.NextDate(DateSerial(2024, 1, 3), 1)
CheckEqual "EndOfMonth", DateSerial(2024, 2, 29), u.EndOfMonth(DateSerial(2024, 2, 15))
CheckEqual "Today", Date, u.Today
CheckEqual "Tomorrow", Date + 1, u.Tomorrow
Dim t
t = TimeSerial(9, 0, 0)
CheckEqual "DayPart with greeting", "Good morning", u.DayPart(t, "  Good ")
CheckEqual "DayPart writes the short time back", "09:00", t
CheckEqual "DayPart at five", "Hi evening", u.DayPart(TimeSerial(17, 0, 0), "Hi")
Check "DayPart omitted", u.DayPart() = "morning" Or u.DayPart() = "afternoon" Or u.DayPart() = "evening"
CheckEqual "IsGoodDate past time omitted comparison", True, u.IsGoodDate(Now - 1, , 4)
CheckEqual "IsGoodDate future date", False, u.IsGoodDate(Now - 1, , 1)
CheckEqual "IsGoodDate no date", False, u.IsGoodDate("nonsense")
CheckEqual "HowOld", 30, u.HowOld(DateSerial(Year(Date) - 30, Month(Date), Day(Date)))
CheckEqual "ExactAge years only", "30", u.ExactAge(DateSerial(Year(Date) - 30, Month(Date), Day(Date)), True)

' Files in a private folder
root = fso.GetSpecialFolder(2).Path & "\orvi_vbs_" & CLng(Timer * 100)
fso.CreateFolder root
path = root & "\a.txt"
CheckEqual "FileWrite", True, u.FileWrite(path, "hello")
CheckEqual "FileRead", "hello", u.FileRead(path)
CheckEqual "FileExists", True, u.FileExists(path)
CheckEqual "FilePart default", "a", u.FilePart(path)
CheckEqual "FilePart extension", "txt", u.FilePart(path, 0)
msg = "untouched"
copied = u.FileCopy(path, root & "\b.txt", msg)
CheckEqual "FileCopy", True, copied
CheckEqual "FileCopy success leaves ErrMsg", "untouched", msg
CheckEqual "FileCopy copies the contents", "hello", u.FileRead(root & "\b.txt")
CheckEqual "FileCopy missing source", False, u.FileCopy(root & "\none.txt", root & "\c.txt")
CheckEqual "FileCopyAPI", True, u.FileCopyAPI(path, root & "\c.txt")
CheckEqual "FileCopyAPI fails if it exists", False, u.FileCopyAPI(path, root & "\c.txt", True)
fso.CreateFolder root & "\sub"
fso.CreateFolder root & "\sub\deeper"
Set col = CreateObject("Scripting.Dictionary")
u.FileDirectories root, col
CheckEqual "FileDirectories count", 2, col.Count
Check "FileDirectories parent first", col.Exists(root & "\sub\") And col.Exists(root & "\sub\deeper\")
k = col.Keys
CheckEqual "FileDirectories depth first", root & "\sub\", k(0)
fso.CreateTextFile(root & "\sub\deeper\needle.dat").Close
found = u.FileFind(root, "needle.dat")
CheckEqual "FileFind", LCase(root & "\sub\deeper\needle.dat"), LCase(found)
older = "not a date"
CheckEqual "FileKill with a text that is no date", True, u.FileKill(root & "\*.txt", older)
CheckEqual "FileKill kept the files", True, u.FileExists(path)
older = CStr(DateSerial(2000, 1, 1))
CheckEqual "FileKill old files only", True, u.FileKill(root & "\*.txt", older)
CheckEqual "FileKill stores the date back", 7, VarType(older)
CheckEqual "FileKill kept new files", True, u.FileExists(path)
CheckEqual "FileKill all", True, u.FileKill(root & "\*.txt")
CheckEqual "FileKill deleted them", False, u.FileExists(path)
CheckEqual "FileKill kept other files", True, u.FileExists(root & "\sub\deeper\needle.dat")
CheckEqual "FileKill nothing left", True, u.FileKill(root & "\*.txt")

On Error Resume Next
Dim size
size = u.FileSize(root & "\missing.bin")
CheckError "FileSize of a missing file", 53, "Orvilib10.clsKvOrviUtilitesA", ""
size = u.AsPercent(0, 5)
CheckError "AsPercent by zero", 11, "", ""
u.FileDirectories root, Nothing
CheckError "FileDirectories without a collection", 91, "", ""
u.FileDirectories root, col
CheckError "FileDirectories into a collection that holds the keys", 457, "", ""
u.FileDirectories root, fso
CheckError "FileDirectories into an object without Add", 438, "", ""
Dim dp
dp = u.DayPart("no time")
CheckError "DayPart of no time", 13, "", ""
On Error GoTo 0

fso.DeleteFolder root, True
Finish
