' The OS classification, late-bound by ProgID.
Dim info
Set info = CreateObject("Orvilib10.clsKvOrviOSInfoA")
CheckEqual "default member is the display name", "Windows 2000", CStr(info)
CheckEqual "OSName", info.OSName, "" & info
CheckEqual "OSEnum", 10, info.OSEnum
Check "IsNT", info.IsNT
Check "IsWin2K", info.IsWin2K
Check "not IsWin98", Not info.IsWin98
Check "OSMajorVersion", info.OSMajorVersion >= 5
Check "OSBuildNumber", info.OSBuildNumber > 0
Check "OSProductType is a known code", info.OSProductType >= 0 And info.OSProductType <= 3
Finish
