' The version records, late-bound by ProgID.
Dim record, browser, second
Set record = CreateObject("Orvilib10.clsKvOrviOsVersionInfoA")
CheckEqual "PlatformName", "WIN32_NT", record.PlatformName
CheckEqual "PlatformID", 2, record.PlatformID
Check "MajorVersion is positive", record.MajorVersion > 0
record.MajorVersion = 99
CheckEqual "MajorVersion let", 99, record.MajorVersion
record.PlatformName = "mine"
CheckEqual "PlatformName let", "mine", record.PlatformName
record.PlatformID = 7
CheckEqual "PlatformID let unchecked", 7, record.PlatformID

Set second = CreateObject("Orvilib10.clsKvOrviOsVersionInfoA")
CheckEqual "a new record is filled afresh", "WIN32_NT", second.PlatformName
Check "a new record keeps its own major version", second.MajorVersion <> 99

Set browser = CreateObject("Orvilib10.clsKvOrviIEVersionInfoA")
Check "browser MajorVersion is not negative", browser.MajorVersion >= 0
browser.BuildNumber = 1234
CheckEqual "browser BuildNumber let", 1234, browser.BuildNumber

On Error Resume Next
Dim value
value = record.NoSuchMember
CheckError "unknown member", 438, "", ""
record.MajorVersion = "not a number"
CheckError "text for a Long", 13, "", ""
On Error GoTo 0

Finish
