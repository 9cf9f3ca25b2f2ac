' The information base, late-bound by ProgID, with the stand-in sibling library.
Dim info, other, props, data, first, second, shell, standin, log, text, id, expectedPath

Set info = CreateObject("Orvilib10.clsKvOrviInformationA")
Set other = CreateObject("Orvilib10.clsKvOrviInformationA")

' The string table.
For Each id In Array(101, 124, 128, 139)
    CheckEqual "string " & id, "-", info.GetProResStrings((id))
Next
CheckEqual "string 125", "WIN32S", info.GetProResStrings(125)
CheckEqual "string 126", "WIN32_9X", info.GetProResStrings(126)
CheckEqual "string 127", "WIN32_NT", info.GetProResStrings(127)
CheckEqual "string 140", "WINDOWS", info.GetProResStrings(140)
CheckEqual "string 150", "INTERNET EXPLORER", info.GetProResStrings(150)
On Error Resume Next
text = info.GetProResStrings(141)
CheckEqual "string 141 Err.Number", 326, Err.Number
CheckEqual "string 141 Err.Source", "Orvilib10.clsKvOrviInformationA", Err.Source
Check "string 141 description names the id [" & Err.Description & "]", InStr(Err.Description, "141") > 0
Err.Clear

' Raw data and pictures.
data = info.GetProResData(7, 6)
CheckEqual "string-table block is an array of bytes", vbArray + vbByte, VarType(data)
CheckEqual "no error for the block", 0, Err.Number
data = Empty
data = info.GetProResData(1, "TYPELIB")
CheckEqual "custom type by name", vbArray + vbByte, VarType(data)
data = info.GetProResData(7, 10)
CheckError "absent raw data", 326, "Orvilib10.clsKvOrviInformationA", ""
Set data = info.GetProResPicture(1, 0)
CheckError "bitmap", 326, "", ""
Set data = info.GetProResPicture(125, 1)
CheckError "icon", 326, "", ""
Set data = info.GetProResPicture(101, 2)
CheckError "cursor", 326, "", ""
Set data = info.GetProResPicture(101, 40000)
CheckError "picture kind beyond 16 bits", 6, "", ""
On Error GoTo 0

' The application-properties object: one per thread.
Set props = info.GetProStdProperties
Check "same object on every call", props Is info.GetProStdProperties
Check "same object for another instance", props Is other.GetProStdProperties
CheckEqual "Title", "Orvilib10", props.Title
CheckEqual "Major", 1, props.Major
CheckEqual "Major is an Integer", vbInteger, VarType(props.Major)
CheckEqual "Minor", 0, props.Minor
CheckEqual "Revision", 84, props.Revision
expectedPath = EnvironmentValue("ORVI_DLL")
expectedPath = Left(expectedPath, InStrRev(expectedPath, "\") - 1)
CheckEqual "Path", LCase(expectedPath), LCase(props.Path)
CheckEqual "EXEName", "orvilib10", props.EXEName
Check "CompanyName", props.CompanyName <> ""
Check "ProductName", props.ProductName <> ""
Check "LegalTrademarks", props.LegalTrademarks <> ""

' The buddy object, shared by the thread's instances.
Check "buddy starts empty", info.BuddyObjectGlobal Is Nothing
Set info.BuddyObjectGlobal = props
Check "buddy seen by another instance", other.BuddyObjectGlobal Is props
Set other.BuddyObjectGlobal = Nothing
Check "buddy cleared", info.BuddyObjectGlobal Is Nothing

' Fresh version records at every read.
Set first = info.OSVERSIONINFO
Set second = info.OSVERSIONINFO
Check "different records", Not (first Is second)
first.MajorVersion = 99
Check "a let does not reach the next record", info.OSVERSIONINFO.MajorVersion <> 99
CheckEqual "record filled", "WIN32_NT", second.PlatformName
Check "browser records differ", Not (info.IEVersionInfo Is info.IEVersionInfo)

' Memberless classes.
Check "clsKvOrviGeneralA", IsObject(CreateObject("Orvilib10.clsKvOrviGeneralA"))
Check "clsKvOrviAdvancedA", IsObject(CreateObject("Orvilib10.clsKvOrviAdvancedA"))

' The about box through the stand-in.
Set standin = CreateObject("KvVendrel10.clsKvVendrel10A")
standin.ClearLog
standin.FailAbout = False
CheckEqual "About shown", 0, info.About
CheckEqual "the box got the properties", "AppAboutKvrl|object Title=Orvilib10" & vbLf, standin.CallLog
standin.ClearLog
standin.FailAbout = True
CheckEqual "About failing inside still returns 0", 0, info.About
log = Split(standin.CallLog, vbLf)
CheckEqual "two calls recorded", 3, UBound(log) + 1
CheckEqual "error report in order", "ErrorHandlerMessageKv|ref object Title=Orvilib10" & _
    "|ref object Number=5 Source=KvVendrel10.clsKvVendrel10A Description=About box failed" & _
    "|ref text:|ref text:basKvrlCommonA.AppAboutKvrl_Pro|ref long:0|ref text:|ref long:0|missing", log(1)
standin.FailAbout = False
standin.ClearLog

Set shell = CreateObject("WScript.Shell")
CheckEqual "unregister the stand-in", 0, shell.Run("regsvr32 /s /u """ & EnvironmentValue("ORVI_STANDIN_DLL") & """", 0, True)
On Error Resume Next
text = info.About
CheckError "About without the sibling library", 429, "Orvilib10", ""
On Error GoTo 0
CheckEqual "register the stand-in again", 0, shell.Run("regsvr32 /s """ & EnvironmentValue("ORVI_STANDIN_DLL") & """", 0, True)
CheckEqual "About works again", 0, info.About
Finish
