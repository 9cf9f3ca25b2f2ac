// Date, text and number members of the utilities class, early-bound through
// the vtable and late-bound through IDispatch, with a fixed clock.
#include <cmath>
#include <set>

#include "orvilib10_h.h"
#include "test_support.h"

using namespace orvi;
using namespace orvi::test;

namespace {

SYSTEMTIME clock{2024, 3, 5, 1, 15, 0, 0, 0};  // Friday 1 March 2024, 15:00
void WINAPI FakeLocal(LPSYSTEMTIME t) { *t = clock; }
constexpr DATE kToday = 45352;  // 1 March 2024

Variant DateValue(DATE d) {
    Variant v;
    V_VT(v.Put()) = VT_DATE;
    V_DATE(v.Get()) = d;
    return v;
}
Variant DoubleValue(double d) {
    Variant v;
    V_VT(v.Put()) = VT_R8;
    V_R8(v.Get()) = d;
    return v;
}
Variant Missing() {
    Variant v;
    V_VT(v.Put()) = VT_ERROR;
    V_ERROR(v.Get()) = DISP_E_PARAMNOTFOUND;
    return v;
}

// A late-bound call with named arguments after the positional ones.
LateCall CallNamed(IDispatch* object, const wchar_t* member, std::vector<Variant> positional,
                   std::vector<std::pair<const wchar_t*, Variant>> named) {
    LateCall call;
    std::vector<LPOLESTR> names{const_cast<LPOLESTR>(member)};
    for (auto& entry : named) names.push_back(const_cast<LPOLESTR>(entry.first));
    std::vector<DISPID> ids(names.size());
    call.hr = object->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()), LOCALE_USER_DEFAULT, ids.data());
    if (FAILED(call.hr)) return call;
    std::vector<VARIANT> args;
    for (auto& entry : named) args.push_back(*entry.second.Get());
    for (auto it = positional.rbegin(); it != positional.rend(); ++it) args.push_back(*it->Get());
    std::vector<DISPID> namedIds(ids.begin() + 1, ids.end());
    DISPPARAMS params{args.data(), namedIds.data(), static_cast<UINT>(args.size()), static_cast<UINT>(namedIds.size())};
    UINT argumentError = 0;
    call.hr = object->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, call.result.Put(), &call.exception,
                             &argumentError);
    return call;
}

class Members : public testing::Test {
protected:
    void SetUp() override {
        scope.Replace<decltype(&::GetLocalTime)>("kernel32.dll", "GetLocalTime", &FakeLocal);
        clock = SYSTEMTIME{2024, 3, 5, 1, 15, 0, 0, 0};
        utilities = CreateThroughFactory<_clsKvOrviUtilitesA>(__uuidof(clsKvOrviUtilitesA));
        ASSERT_TRUE(utilities);
        dispatch = utilities.As<IDispatch>();
    }
    short DaysInMonth(Variant value) {
        short days = -1;
        EXPECT_EQ(S_OK, utilities->DaysInMonth(*value.Get(), &days));
        return days;
    }
    SubstituteScope scope;
    ComPtr<_clsKvOrviUtilitesA> utilities;
    ComPtr<IDispatch> dispatch;
};

TEST_F(Members, DaysInMonthOfDatesNumbersAndTexts) {
    EXPECT_EQ(29, DaysInMonth(DateValue(45337)));  // 15 February 2024
    EXPECT_EQ(29, DaysInMonth(TextValue(L"feb")));  // this year is a leap year
    EXPECT_EQ(30, DaysInMonth(LongValue(4)));
    EXPECT_EQ(30, DaysInMonth(TextValue(L"4")));
    EXPECT_EQ(31, DaysInMonth(TextValue(L"December")));
    EXPECT_EQ(30, DaysInMonth(TextValue(L"sept")));
    for (Variant none : {LongValue(0), LongValue(13), DoubleValue(12.6), DoubleValue(0.4), TextValue(L"Smarch"), TextValue(L"")})
        EXPECT_EQ(0, DaysInMonth(none));
    EXPECT_EQ(31, DaysInMonth(Missing()));  // March
    clock.wYear = 2023;
    EXPECT_EQ(28, DaysInMonth(TextValue(L"FEBRUARY")));
    short days = -1;
    EXPECT_EQ(static_cast<HRESULT>(0x800A0006), utilities->DaysInMonth(*LongValue(40000).Get(), &days));
    EXPECT_EQ(0, days);
}

TEST_F(Members, LeapYearsAndYearLengths) {
    struct Row { Variant value; VARIANT_BOOL leap; short days; } rows[] = {
        {LongValue(2000), VARIANT_TRUE, 366}, {LongValue(1900), VARIANT_FALSE, 365}, {LongValue(2024), VARIANT_TRUE, 366},
        {TextValue(L"2023"), VARIANT_FALSE, 365}, {DateValue(45337), VARIANT_TRUE, 366}, {TextValue(L"not a year"), VARIANT_FALSE, 0},
        {LongValue(100000), VARIANT_FALSE, 365}};
    for (Row& row : rows) {
        VARIANT_BOOL leap = 7;
        short days = -1;
        EXPECT_EQ(S_OK, utilities->IsLeapYear(*row.value.Get(), &leap));
        EXPECT_EQ(row.leap, leap) << TextOf(row.value).c_str();
        EXPECT_EQ(S_OK, utilities->DaysInYear(*row.value.Get(), &days));
        EXPECT_EQ(row.days, days);
    }
}

TEST_F(Members, DayPartsAndGreetings) {
    struct Row { const wchar_t* time; const wchar_t* word; } rows[] = {
        {L"11:59", L"morning"}, {L"12:00", L"afternoon"}, {L"16:59", L"afternoon"}, {L"17:00", L"evening"},
        {L"00:00", L"morning"}, {L"11:59:59", L"morning"}};
    for (const Row& row : rows) {
        Variant time = TextValue(row.time);
        Bstr part;
        EXPECT_EQ(S_OK, utilities->DayPart(time.Get(), nullptr, part.Put()));
        EXPECT_EQ(row.word, part.View()) << row.time;
    }
    Variant nine = DateValue(0.375);
    Bstr greeting(L"  Good "), part;
    BSTR greetingText = greeting.Get();  // by reference, and only read
    EXPECT_EQ(S_OK, utilities->DayPart(nine.Get(), &greetingText, part.Put()));
    EXPECT_EQ(greeting.Get(), greetingText);
    EXPECT_EQ(L"Good morning", part.View());
    EXPECT_EQ(L"09:00", TextOf(nine));
    // Left out: the current time, written back as text.
    const LateCall now = CallMethod(dispatch.Get(), L"DayPart");
    EXPECT_EQ(S_OK, now.hr);
    EXPECT_EQ(L"afternoon", TextOf(now.result));
    const LateCall greeted = CallNamed(dispatch.Get(), L"DayPart", {}, {{L"Greeting", TextValue(L"Hi")}});
    EXPECT_EQ(S_OK, greeted.hr);
    EXPECT_EQ(L"Hi afternoon", TextOf(greeted.result));
    Variant number = DoubleValue(0.8);
    EXPECT_EQ(S_OK, utilities->DayPart(number.Get(), nullptr, part.Put()));
    EXPECT_EQ(L"evening", part.View());
    Variant nonsense = TextValue(L"teatime");
    EXPECT_EQ(static_cast<HRESULT>(0x800A000D), utilities->DayPart(nonsense.Get(), nullptr, part.Put()));
    Variant null;
    V_VT(null.Put()) = VT_NULL;
    EXPECT_EQ(static_cast<HRESULT>(0x800A005E), utilities->DayPart(null.Get(), nullptr, part.Put()));
}

TEST_F(Members, AgesAgainstTheClock) {
    Variant start = DateValue(45322);  // 31 January 2024, called on 1 March
    VARIANT_BOOL yearsOnly = VARIANT_FALSE;
    Bstr age;
    EXPECT_EQ(S_OK, utilities->ExactAge(start.Get(), &yearsOnly, age.Put()));
    EXPECT_EQ(L"0 year(s) 1 month(s) 0 day(s)", age.View());
    Variant later = DateValue(kToday + 16.0 / 24);
    EXPECT_EQ(S_OK, utilities->ExactAge(later.Get(), &yearsOnly, age.Put()));
    EXPECT_TRUE(age.Empty());
    Variant noDate = TextValue(L"someday");
    EXPECT_EQ(S_OK, utilities->ExactAge(noDate.Get(), &yearsOnly, age.Put()));
    EXPECT_TRUE(age.Empty());

    short years = -1;
    Variant thirty = TextValue(L"1994-03-01"), almost = TextValue(L"1994-03-02");
    EXPECT_EQ(S_OK, utilities->HowOld(thirty.Get(), &years));
    EXPECT_EQ(30, years);
    EXPECT_EQ(S_OK, utilities->HowOld(almost.Get(), &years));
    EXPECT_EQ(29, years);
    Variant leapBorn = TextValue(L"2000-02-29");
    clock = SYSTEMTIME{2023, 2, 2, 28, 9, 0, 0, 0};
    EXPECT_EQ(S_OK, utilities->HowOld(leapBorn.Get(), &years));
    EXPECT_EQ(22, years);
    clock = SYSTEMTIME{2023, 3, 3, 1, 9, 0, 0, 0};
    EXPECT_EQ(S_OK, utilities->HowOld(leapBorn.Get(), &years));
    EXPECT_EQ(23, years);
    EXPECT_EQ(S_OK, utilities->HowOld(noDate.Get(), &years));
    EXPECT_EQ(0, years);
}

TEST_F(Members, GoodDatesForEveryTypeWithValidAndInvalidDates) {
    const DATE now = kToday + 15.0 / 24;
    struct Row { Variant value; GoodDateTypes type; VARIANT_BOOL good; } rows[] = {
        {DateValue(now - 1.0 / 1440), PastTime, VARIANT_TRUE}, {DateValue(now + 1.0 / 1440), PastTime, VARIANT_FALSE},
        {DateValue(now + 1.0 / 1440), FutureTime, VARIANT_TRUE}, {DateValue(kToday + 1), FutureDate, VARIANT_FALSE},
        {DateValue(kToday + 2), FutureDate, VARIANT_TRUE}, {DateValue(kToday), PastDate, VARIANT_TRUE},
        {DateValue(kToday + 1), PastDate, VARIANT_FALSE}, {DateValue(0), AnyDate, VARIANT_TRUE},
        {TextValue(L"2024-02-01"), PastDate, VARIANT_TRUE}, {TextValue(L"2099-02-01"), FutureTime, VARIANT_TRUE},
        {TextValue(L"2024-02-30"), AnyDate, VARIANT_FALSE}, {LongValue(45000), AnyDate, VARIANT_FALSE}};
    for (Row& row : rows) {
        Variant missing = Missing();
        VARIANT_BOOL good = 7;
        EXPECT_EQ(S_OK, utilities->IsGoodDate(row.value.Get(), missing.Get(), row.type, VARIANT_TRUE, &good));
        EXPECT_EQ(row.good, good) << TextOf(row.value).c_str() << " " << row.type;
    }
    for (GoodDateTypes type : {AnyDate, FutureDate, FutureTime, PastDate, PastTime}) {
        Variant noDate = TextValue(L"nonsense"), missing = Missing(), comparisonNoDate = TextValue(L"x"), value = DateValue(now);
        VARIANT_BOOL good = 7;
        EXPECT_EQ(S_OK, utilities->IsGoodDate(noDate.Get(), missing.Get(), type, VARIANT_TRUE, &good));
        EXPECT_EQ(VARIANT_FALSE, good);
        EXPECT_EQ(S_OK, utilities->IsGoodDate(value.Get(), comparisonNoDate.Get(), type, VARIANT_TRUE, &good));
        EXPECT_EQ(VARIANT_FALSE, good);
    }
}

TEST_F(Members, BusinessDaysToTodayAndWeeks) {
    VARIANT_BOOL weekends = VARIANT_FALSE;
    long days = -1;
    // Monday 26 February to today, Friday 1 March.
    EXPECT_EQ(S_OK, utilities->BusinessDays(*DateValue(45348).Get(), *Missing().Get(), &weekends, &days));
    EXPECT_EQ(5, days);
    EXPECT_EQ(S_OK, utilities->BusinessDays(*TextValue(L"no date").Get(), *Missing().Get(), &weekends, &days));
    EXPECT_EQ(0, days);
    short week = -1;
    Variant missing = Missing();
    EXPECT_EQ(S_OK, utilities->WeekNo(missing.Get(), &week));
    EXPECT_EQ(9, week);
    DATE date = 0;
    EXPECT_EQ(S_OK, utilities->Today(&date));
    EXPECT_EQ(kToday, date);
    EXPECT_EQ(S_OK, utilities->Yesterday(&date));
    EXPECT_EQ(kToday - 1, date);
    EXPECT_EQ(static_cast<HRESULT>(0x800A0006), utilities->BusinessDaysAdd(2958465, 1, VARIANT_TRUE, &date));
    EXPECT_EQ(S_OK, utilities->BusinessDaysAdd(2958465, 0, VARIANT_TRUE, &date));
    EXPECT_EQ(S_OK, utilities->EndOfWeek(45349.4375, &date));  // Tuesday 10:30
    EXPECT_DOUBLE_EQ(45353.4375, date);
    Variant noDate = TextValue(L"none");
    EXPECT_EQ(S_OK, utilities->EndOfMonth(noDate.Get(), &date));
    EXPECT_EQ(0, date);
    VARIANT_BOOL weekend = 7;
    EXPECT_EQ(S_OK, utilities->IsWeekend(*TextValue(L"2024-03-02").Get(), &weekend));
    EXPECT_EQ(VARIANT_TRUE, weekend);
    EXPECT_EQ(S_OK, utilities->IsWeekend(*LongValue(45353).Get(), &weekend));
    EXPECT_EQ(VARIANT_FALSE, weekend);  // a number is no date
}

TEST_F(Members, PhoneticCodesWriteTheAccuracyBack) {
    Bstr word(L"Robert"), code;
    unsigned char accuracy = 12;
    EXPECT_EQ(S_OK, utilities->SoundX(word.Get(), &accuracy, code.Put()));
    EXPECT_EQ(10u, code.View().size());
    EXPECT_EQ(9, accuracy);

    // Late-bound: a variable passed by reference receives the clamped value.
    Variant variable;
    V_VT(variable.Put()) = VT_I4;
    V_I4(variable.Get()) = 1;
    Variant reference;
    V_VT(reference.Put()) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(reference.Get()) = variable.Get();
    const LateCall call = CallMethod(dispatch.Get(), L"SoundX", {TextValue(L"Robert"), reference});
    EXPECT_EQ(S_OK, call.hr);
    EXPECT_EQ(L"R163", TextOf(call.result));
    EXPECT_EQ(3, LongOf(variable));
    V_VT(reference.Put()) = VT_EMPTY;

    const LateCall defaults = CallMethod(dispatch.Get(), L"SoundsLike", {TextValue(L"Robert")});
    EXPECT_EQ(L"R1630", TextOf(defaults.result));
    Variant yes;
    V_VT(yes.Put()) = VT_BOOL;
    V_BOOL(yes.Get()) = VARIANT_TRUE;
    const LateCall named = CallNamed(dispatch.Get(), L"SoundsLike", {TextValue(L"Robert")}, {{L"AsNumeric", yes}});
    EXPECT_EQ(S_OK, named.hr);
    EXPECT_EQ(L"163", TextOf(named.result));
    const LateCall skipped = CallMethod(dispatch.Get(), L"SoundsLike", {TextValue(L"Robert"), Missing(), yes});
    EXPECT_EQ(L"163", TextOf(skipped.result));
    const LateCall tooBig = CallMethod(dispatch.Get(), L"SoundX", {TextValue(L"Robert"), LongValue(300)});
    EXPECT_EQ(DISP_E_OVERFLOW, tooBig.hr);
}

TEST_F(Members, PhoneticLettersAreToldByTheirAnsiCode) {
    // Code page 1252 writes Omega as "O" and has no letter for omega.
    ASSERT_EQ(1252u, GetACP());
    struct Row { const wchar_t *member, *word, *code; } rows[] = {
        {L"SoundX", L"Ωmega", L"Ω520"}, {L"SoundX", L"ωmega", L"@200"}, {L"SoundsLike", L"BΩB", L"B1000"}};
    for (const Row& row : rows) {
        const LateCall call = CallMethod(dispatch.Get(), row.member, {TextValue(row.word)});
        EXPECT_EQ(row.code, TextOf(call.result)) << row.word;
    }
}

TEST_F(Members, NamedAndLeftOutArgumentsTakeTheirDefaults) {
    const LateCall extract = CallNamed(dispatch.Get(), L"Extract", {TextValue(L"a=b;c")}, {{L"EndTag", TextValue(L";")}, {L"StartTag", TextValue(L"=")}});
    EXPECT_EQ(S_OK, extract.hr);
    EXPECT_EQ(L"b", TextOf(extract.result));
    EXPECT_EQ(L"two", TextOf(CallMethod(dispatch.Get(), L"Extract", {TextValue(L"one two three")}).result));
    EXPECT_EQ(L"index", TextOf(CallMethod(dispatch.Get(), L"FilePart", {TextValue(L"C:/web/site/index.html")}).result));
    const LateCall part = CallNamed(dispatch.Get(), L"FilePart", {TextValue(L"C:/web/site/index.html")}, {{L"WhichPart", LongValue(3)}});
    EXPECT_EQ(L"C:/web/site/", TextOf(part.result));
    const LateCall next = CallNamed(dispatch.Get(), L"NextDate", {DateValue(45349)}, {{L"GetNext", LongValue(0)}});
    EXPECT_EQ(S_OK, next.hr);
    EXPECT_EQ(45346, LongOf(next.result));  // the Saturday before Tuesday 27 February
    EXPECT_EQ(45353, LongOf(CallMethod(dispatch.Get(), L"NextDate", {DateValue(45349)}).result));
    Variant message = TextValue(L"kept");
    Variant reference;
    V_VT(reference.Put()) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(reference.Get()) = message.Get();
    const LateCall copy = CallMethod(dispatch.Get(), L"FileCopy", {TextValue(L"C:\\no\\such.file"), TextValue(L"C:\\no\\target"), reference});
    EXPECT_EQ(S_OK, copy.hr);
    EXPECT_EQ(0, LongOf(copy.result));
    EXPECT_EQ(L"kept", TextOf(message));
    V_VT(reference.Put()) = VT_EMPTY;
    const LateCall noCopyMessage = CallMethod(dispatch.Get(), L"FileCopy", {TextValue(L"C:\\no\\such.file"), TextValue(L"C:\\no\\target")});
    EXPECT_EQ(S_OK, noCopyMessage.hr);
    const LateCall business = CallMethod(dispatch.Get(), L"BusinessDaysAdd", {DateValue(45352), LongValue(1)});
    EXPECT_EQ(45355, LongOf(business.result));  // Friday plus one is Monday
    const LateCall required = CallMethod(dispatch.Get(), L"Extract", {});
    EXPECT_TRUE(FAILED(required.hr));
}

TEST_F(Members, TextAndNumberMembers) {
    struct Percent { long max, now; VARIANT_BOOL upToMax; HRESULT hr; short percent; } percents[] = {
        {8, 3, 0, S_OK, 38}, {8, 1, 0, S_OK, 12}, {100, 150, 0, S_OK, 150}, {100, 150, VARIANT_TRUE, S_OK, 100},
        {100, 150, 1, S_OK, 150}, {100, -5, VARIANT_TRUE, S_OK, -5}, {0, 5, 0, static_cast<HRESULT>(0x800A000B), 0},
        {0, 0, 0, static_cast<HRESULT>(0x800A0006), 0}, {1, 1000, 0, static_cast<HRESULT>(0x800A0006), 0}};
    for (Percent& row : percents) {
        short percent = -1;
        EXPECT_EQ(row.hr, utilities->AsPercent(&row.max, &row.now, &row.upToMax, &percent)) << row.now << "/" << row.max;
        EXPECT_EQ(row.percent, percent);
    }
    struct GenderRow { Variant given; VARTYPE type; const wchar_t* text; } genders[] = {
        {LongValue(1), VT_BSTR, L"Female"}, {LongValue(2), VT_BSTR, L"Male"}, {LongValue(7), VT_BSTR, L"Unknown"},
        {TextValue(L"1"), VT_BSTR, L"Female"}, {Variant(), VT_BSTR, L"Unknown"}, {TextValue(L"female"), VT_I2, L"1"},
        {TextValue(L"Mr"), VT_I2, L"2"}, {TextValue(L"x"), VT_I2, L"0"}, {TextValue(L""), VT_I2, L"0"}};
    for (GenderRow& row : genders) {
        Variant result;
        EXPECT_EQ(S_OK, utilities->Gender(row.given.Get(), result.Put()));
        EXPECT_EQ(row.type, result.Type());
        EXPECT_EQ(row.text, TextOf(result));
    }
    Variant null, result;
    V_VT(null.Put()) = VT_NULL;
    EXPECT_EQ(static_cast<HRESULT>(0x800A005E), utilities->Gender(null.Get(), result.Put()));

    VARIANT_BOOL formatted = VARIANT_FALSE;
    Bstr guid, braced;
    EXPECT_EQ(S_OK, utilities->GUIDx(&formatted, guid.Put()));
    EXPECT_EQ(32u, guid.View().size());
    EXPECT_EQ(std::wstring::npos, guid.View().find_first_not_of(L"0123456789ABCDEF"));
    formatted = VARIANT_TRUE;
    EXPECT_EQ(S_OK, utilities->GUIDx(&formatted, braced.Put()));
    EXPECT_EQ(38u, braced.View().size());
    EXPECT_EQ(L'{', braced.View().front());
    EXPECT_EQ(L'}', braced.View().back());
    EXPECT_NE(guid.View(), braced.View().substr(1, 8));

    double pi = 0;
    EXPECT_EQ(S_OK, utilities->PI(&pi));
    EXPECT_EQ(3.141592653589793, pi);

    std::set<short> seen;
    for (int i = 0; i < 400; ++i) {
        short lower = -3, upper = 3, value = 99;
        EXPECT_EQ(S_OK, utilities->RandomNumber(&lower, &upper, &value));
        EXPECT_GE(value, -3);
        EXPECT_LE(value, 3);
        seen.insert(value);
    }
    EXPECT_EQ(7u, seen.size());
    short seven = 7, same = 7, value = 0, low = -32768, high = 32767;
    EXPECT_EQ(S_OK, utilities->RandomNumber(&seven, &same, &value));
    EXPECT_EQ(7, value);
    EXPECT_EQ(S_OK, utilities->RandomNumber(&low, &high, &value));
    EXPECT_EQ(1, value);
}

TEST_F(Members, NullPointersAreInvalidArguments) {
    Bstr code;
    EXPECT_EQ(static_cast<HRESULT>(0x800A0005), utilities->SoundX(nullptr, nullptr, code.Put()));
    EXPECT_EQ(L"Orvilib10.clsKvOrviUtilitesA", TakeErrorInfo().source);
    EXPECT_EQ(E_POINTER, utilities->PI(nullptr));
}

}  // namespace
