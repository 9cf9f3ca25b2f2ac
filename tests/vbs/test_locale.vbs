' The locale class, late-bound by ProgID, against the script engine's own
' view of the user's locale.
Dim locale, thousands, decimal, picture, flag
Set locale = CreateObject("Orvilib10.clsKvOrviUtilitesLocaleA")

thousands = locale.ThousandSpecifier
decimal = locale.DecimalSpecifier
Check "separators are set", Len(thousands) > 0 And Len(decimal) > 0 And thousands <> decimal
CheckEqual "NumberFormat", "##" & thousands & "##0" & decimal & "00", locale.NumberFormat
picture = locale.DateFormat
Check "DateFormat has a four-digit year", InStr(1, picture, "yyyy", vbTextCompare) > 0
Check "TimeFormat is at most 8 characters", Len(locale.TimeFormat) > 0 And Len(locale.TimeFormat) <= 8
Check "CurrencySpecifier", Len(locale.CurrencySpecifier) > 0
Check "NegativeSign", Len(locale.NegativeSign) > 0
Check "Country", Len(locale.Country) > 0
Check "LanguageName", Len(locale.LanguageName) > 0
Check "NativeCountryName", Len(locale.NativeCountryName) > 0
Check "SysLanguageID", locale.SysLanguageID > 0
Check "SysLanguageName", Len(locale.SysLanguageName) > 0

' Day 1 is Monday; Short left out means the full name.
CheckEqual "DayName 1", WeekdayName(2, False, 1), locale.DayName(1)
CheckEqual "DayName 7 short", WeekdayName(1, True, 1), locale.DayName(7, True)
flag = True
CheckEqual "DayName with a variable", WeekdayName(4, True, 1), locale.DayName(3, flag)
CheckEqual "MonthName 12", MonthName(12), locale.MonthName(12)
CheckEqual "MonthName 12 short", MonthName(12, True), locale.MonthName(12, True)
CheckEqual "MonthName 13 is January abbreviated", MonthName(1, True), locale.MonthName(13)

On Error Resume Next
Dim value
value = locale.DayName(32719)
CheckError "DayName past 16 bits", 6, "Orvilib10.clsKvOrviUtilitesLocaleA", ""
value = locale.MonthName(32701, True)
CheckError "MonthName past 16 bits", 6, "", ""
On Error GoTo 0

Finish
