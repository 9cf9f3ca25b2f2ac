// The locale class over the system's en-US and de-DE locale data (the
// user-default reads redirected to a chosen locale) and over failures.
#include <cstring>
#include <string>

#include "errors.h"
#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

ComPtr<_clsKvOrviUtilitesLocaleA> NewLocale() {
    return CreateThroughFactory<_clsKvOrviUtilitesLocaleA>(__uuidof(clsKvOrviUtilitesLocaleA));
}

// What the user's default locale is made to be, and what the reads asked.
LCID chosenLocale = 0x0409;
int localeCalls = 0;
bool askedForUserDefault = true;
int lengthSeen = 0;
const char* shortDatePicture = nullptr;  // replaces item 31 when set

int WINAPI RedirectedLocaleInfo(LCID locale, LCTYPE item, LPSTR buffer, int length) {
    ++localeCalls;
    askedForUserDefault = askedForUserDefault && locale == LOCALE_USER_DEFAULT;
    lengthSeen = length;
    if (item == LOCALE_SSHORTDATE && shortDatePicture) {
        std::strcpy(buffer, shortDatePicture);
        return static_cast<int>(std::strlen(shortDatePicture)) + 1;
    }
    return GetLocaleInfoA(chosenLocale, item, buffer, length);
}
int WINAPI FailingLocaleInfo(LCID, LCTYPE, LPSTR, int) {
    ++localeCalls;
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
}
int WINAPI OverlongLocaleInfo(LCID, LCTYPE, LPSTR buffer, int length) {
    std::memset(buffer, 'x', static_cast<size_t>(length));  // no NUL, and a count past the buffer
    return length + 50;
}

// The text the system holds for an item of a locale, for comparison.
std::wstring SystemText(LCID locale, LCTYPE item) {
    wchar_t text[256] = {};
    return GetLocaleInfoW(locale, item, text, 256) > 0 ? text : L"";
}

std::wstring Read(_clsKvOrviUtilitesLocaleA* locale, HRESULT (STDMETHODCALLTYPE _clsKvOrviUtilitesLocaleA::*get)(BSTR*)) {
    Bstr text;
    EXPECT_EQ(S_OK, (locale->*get)(text.Put()));
    return std::wstring(text.View());
}
std::wstring Day(_clsKvOrviUtilitesLocaleA* locale, short day, bool abbreviated) {
    Bstr text;
    VARIANT_BOOL flag = abbreviated ? VARIANT_TRUE : VARIANT_FALSE;
    EXPECT_EQ(S_OK, locale->DayName(day, &flag, text.Put()));
    return std::wstring(text.View());
}
std::wstring Month(_clsKvOrviUtilitesLocaleA* locale, short month, bool abbreviated) {
    Bstr text;
    VARIANT_BOOL flag = abbreviated ? VARIANT_TRUE : VARIANT_FALSE;
    EXPECT_EQ(S_OK, locale->MonthName(month, &flag, text.Put()));
    return std::wstring(text.View());
}

using L = _clsKvOrviUtilitesLocaleA;

struct LocaleCase {
    const char* label;
    LCID locale;
    const wchar_t *thousands, *decimal, *shortDate, *time, *number, *monday, *december, *country;
};

class UserLocale : public testing::TestWithParam<LocaleCase> {};

TEST_P(UserLocale, SeparatorsNamesAndPictures) {
    const LocaleCase& row = GetParam();
    SubstituteScope scope;
    scope.Replace<decltype(&::GetLocaleInfoA)>("kernel32.dll", "GetLocaleInfoA", &RedirectedLocaleInfo);
    chosenLocale = row.locale;
    shortDatePicture = nullptr;
    askedForUserDefault = true;
    auto locale = NewLocale();
    EXPECT_EQ(row.thousands, Read(locale.Get(), &L::get_ThousandSpecifier));
    EXPECT_EQ(row.decimal, Read(locale.Get(), &L::get_DecimalSpecifier));
    // The system's German picture already has four year digits (its day and
    // month digits differ between system versions).
    EXPECT_EQ(row.shortDate ? row.shortDate : SystemText(row.locale, LOCALE_SSHORTDATE), Read(locale.Get(), &L::get_DateFormat));
    EXPECT_EQ(row.time, Read(locale.Get(), &L::get_TimeFormat));
    EXPECT_EQ(row.number, Read(locale.Get(), &L::get_NumberFormat));
    EXPECT_EQ(row.country, Read(locale.Get(), &L::get_Country));
    EXPECT_EQ(row.monday, Day(locale.Get(), 1, false));
    EXPECT_EQ(row.december, Month(locale.Get(), 12, false));
    // The rest as the system holds them for that locale.
    EXPECT_EQ(SystemText(row.locale, LOCALE_SCURRENCY), Read(locale.Get(), &L::get_CurrencySpecifier));
    EXPECT_EQ(SystemText(row.locale, LOCALE_SNATIVELANGNAME), Read(locale.Get(), &L::get_LanguageName));
    EXPECT_EQ(SystemText(row.locale, LOCALE_SNATIVECTRYNAME), Read(locale.Get(), &L::get_NativeCountryName));
    EXPECT_EQ(SystemText(row.locale, LOCALE_SPOSITIVESIGN), Read(locale.Get(), &L::get_PositiveSign));
    EXPECT_EQ(SystemText(row.locale, LOCALE_SNEGATIVESIGN), Read(locale.Get(), &L::get_NegativeSign));
    EXPECT_EQ(SystemText(row.locale, LOCALE_SABBREVDAYNAME7), Day(locale.Get(), 7, true));
    EXPECT_EQ(SystemText(row.locale, LOCALE_SABBREVMONTHNAME12), Month(locale.Get(), 12, true));
    EXPECT_EQ(SystemText(row.locale, LOCALE_SMONTHNAME3), Month(locale.Get(), 3, false));
    // Numbers past the days and months select the neighbouring items.
    EXPECT_EQ(SystemText(row.locale, LOCALE_SABBREVDAYNAME1), Day(locale.Get(), 8, false));
    EXPECT_EQ(SystemText(row.locale, LOCALE_SDAYNAME7), Day(locale.Get(), 0, true));
    EXPECT_EQ(SystemText(row.locale, LOCALE_S2359), Day(locale.Get(), 0, false));
    EXPECT_EQ(SystemText(row.locale, LOCALE_SABBREVMONTHNAME1), Month(locale.Get(), 13, false));
    EXPECT_EQ(SystemText(row.locale, LOCALE_SPOSITIVESIGN), Month(locale.Get(), 13, true));
    EXPECT_TRUE(askedForUserDefault);
    EXPECT_EQ(256, lengthSeen);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, UserLocale,
    testing::Values(
        LocaleCase{"en_US", 0x0409, L",", L".", L"M/d/yyyy", L"h:mm:ss ", L"##,##0.00", L"Monday", L"December", L"United States"},
        LocaleCase{"de_DE", 0x0407, L".", L",", nullptr, L"HH:mm:ss", L"##.##0,00", L"Montag", L"Dezember", L"Germany"}),
    [](const testing::TestParamInfo<LocaleCase>& info) { return std::string(info.param.label); });

TEST(LocalePictures, TwoDigitYearsBecomeFourDigits) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetLocaleInfoA)>("kernel32.dll", "GetLocaleInfoA", &RedirectedLocaleInfo);
    auto locale = NewLocale();
    struct Row { const char* picture; const wchar_t* expected; } rows[] = {
        {"M/d/yy", L"M/d/YYYY"}, {"M/d/yyyy", L"M/d/yyyy"}, {"dd.MM.yy", L"dd.MM.YYYY"}, {"dd.MM.yyyy", L"dd.MM.yyyy"}};
    for (const Row& row : rows) {
        shortDatePicture = row.picture;
        EXPECT_EQ(row.expected, Read(locale.Get(), &L::get_DateFormat));
    }
    shortDatePicture = nullptr;
}

TEST(LocaleFailures, FailedReadsGiveEmptyTexts) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetLocaleInfoA)>("kernel32.dll", "GetLocaleInfoA", &FailingLocaleInfo);
    auto locale = NewLocale();
    EXPECT_EQ(L"", Read(locale.Get(), &L::get_ThousandSpecifier));
    EXPECT_EQ(L"", Read(locale.Get(), &L::get_DateFormat));
    EXPECT_EQ(L"", Read(locale.Get(), &L::get_TimeFormat));
    EXPECT_EQ(L"####000", Read(locale.Get(), &L::get_NumberFormat));
    EXPECT_EQ(L"", Day(locale.Get(), 1, true));
    EXPECT_FALSE(TakeErrorInfo().present);
}

TEST(LocaleFailures, MissingFunctionIsTranslatedWithItsOwnSource) {
    SubstituteScope scope;
    scope.Remove("kernel32.dll", "GetLocaleInfoA");
    auto locale = NewLocale();
    Bstr text;
    EXPECT_EQ(ErrorHResult(errFunctionNotFound), locale->get_DateFormat(text.Put()));
    ErrorReport report = TakeErrorInfo();
    EXPECT_EQ(L"CGLocaleInfo GetDateFormat", report.source);
    EXPECT_NE(std::wstring::npos, report.description.find(L"GetLocaleInfoA"));

    // Untranslated members keep the class as the source.
    EXPECT_EQ(ErrorHResult(errFunctionNotFound), locale->get_DecimalSpecifier(text.Put()));
    EXPECT_EQ(L"Orvilib10.clsKvOrviUtilitesLocaleA", TakeErrorInfo().source);

    // The number picture traps everything.
    EXPECT_EQ(S_OK, locale->get_NumberFormat(text.Put()));
    EXPECT_EQ(L"##,##,0.00", text.View());
    EXPECT_FALSE(TakeErrorInfo().present);

    // Late-bound, the translated error reaches the caller's exception record.
    const LateCall call = GetProperty(locale.As<IDispatch>().Get(), L"DateFormat");
    EXPECT_EQ(DISP_E_EXCEPTION, call.hr);
    EXPECT_EQ(L"CGLocaleInfo GetDateFormat", call.Source());
}

LANGID systemLanguage = 0x0407;
LANGID WINAPI FakeSystemLanguage() { return systemLanguage; }
DWORD verLanguageLengthSeen = 0;
DWORD languageToName = 0;
DWORD WINAPI FakeLanguageName(DWORD language, LPSTR buffer, DWORD length) {
    languageToName = language;
    verLanguageLengthSeen = length;
    std::strcpy(buffer, "Deutsch (Deutschland)");
    return 21;
}

TEST(LocaleSystemLanguage, IdentifierAndName) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetSystemDefaultLangID)>("kernel32.dll", "GetSystemDefaultLangID", &FakeSystemLanguage);
    scope.Replace<DWORD(WINAPI*)(DWORD, LPSTR, DWORD)>("kernel32.dll", "VerLanguageNameA", &FakeLanguageName);
    auto locale = NewLocale();
    long id = 0;
    systemLanguage = 0x0407;
    EXPECT_EQ(S_OK, locale->get_SysLanguageID(&id));
    EXPECT_EQ(1031, id);
    EXPECT_EQ(L"Deutsch (Deutschland)", Read(locale.Get(), &L::get_SysLanguageName));
    EXPECT_EQ(50u, verLanguageLengthSeen);
    EXPECT_EQ(0x0407u, languageToName);
    systemLanguage = 0x8001;  // widened with its sign
    EXPECT_EQ(S_OK, locale->get_SysLanguageID(&id));
    EXPECT_EQ(-32767, id);

    scope.Remove("kernel32.dll", "VerLanguageNameA");
    Bstr text;
    EXPECT_EQ(ErrorHResult(errFunctionNotFound), locale->get_SysLanguageName(text.Put()));
    EXPECT_EQ(L"CGLocaleInfo GetSysLanguageName", TakeErrorInfo().source);
}

TEST(LocaleNames, OverflowBeforeAnyReadAndNoOverRead) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetLocaleInfoA)>("kernel32.dll", "GetLocaleInfoA", &RedirectedLocaleInfo);
    chosenLocale = 0x0409;
    auto locale = NewLocale();
    Bstr text;
    struct Row { bool day; short number; HRESULT expected; } rows[] = {
        {true, 32718, S_OK}, {true, 32719, ErrorHResult(errOverflow)},
        {false, 32700, S_OK}, {false, 32701, ErrorHResult(errOverflow)},
        {true, -32768, S_OK}, {false, -32768, S_OK}};
    for (const Row& row : rows) {
        localeCalls = 0;
        const HRESULT hr = row.day ? locale->DayName(row.number, nullptr, text.Put()) : locale->MonthName(row.number, nullptr, text.Put());
        EXPECT_EQ(row.expected, hr) << row.number;
        if (FAILED(hr)) {
            EXPECT_EQ(0, localeCalls);
            EXPECT_EQ(L"Orvilib10.clsKvOrviUtilitesLocaleA", TakeErrorInfo().source);
        }
    }
    // Negative numbers name no item: nothing is asked.
    localeCalls = 0;
    EXPECT_EQ(L"", Day(locale.Get(), -100, true));
    EXPECT_EQ(0, localeCalls);

    scope.Replace<decltype(&::GetLocaleInfoA)>("kernel32.dll", "GetLocaleInfoA", &OverlongLocaleInfo);
    EXPECT_EQ(std::wstring(256, L'x'), Read(locale.Get(), &L::get_Country));
}

TEST(LocaleNames, LateBoundShortIsOptional) {
    SubstituteScope scope;
    scope.Replace<decltype(&::GetLocaleInfoA)>("kernel32.dll", "GetLocaleInfoA", &RedirectedLocaleInfo);
    chosenLocale = 0x0409;
    auto locale = NewLocale();
    IDispatch* late = locale.As<IDispatch>().Get();
    EXPECT_EQ(L"Monday", TextOf(CallMethod(late, L"DayName", {LongValue(1)}).result));
    Variant yes;
    V_VT(yes.Put()) = VT_BOOL;
    V_BOOL(yes.Get()) = VARIANT_TRUE;
    EXPECT_EQ(L"Sun", TextOf(CallMethod(late, L"DayName", {LongValue(7), yes}).result));
    EXPECT_EQ(L"Dec", TextOf(CallMethod(late, L"MonthName", {LongValue(12), yes}).result));
    EXPECT_EQ(L"January", TextOf(CallMethod(late, L"MonthName", {LongValue(1)}).result));
    EXPECT_EQ(L"##,##0.00", TextOf(GetProperty(late, L"NumberFormat").result));
    EXPECT_EQ(0x6803000C, DispatchIdOf(late, L"DateFormat"));
    EXPECT_EQ(0x6003000F, DispatchIdOf(late, L"MonthName"));
}

}  // namespace
