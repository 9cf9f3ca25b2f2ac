// The date members, on the automation date.
#include <cmath>
#include <string>

#include "conversions.h"
#include "utilities/pure/dates.h"
#include "utilities/pure/text.h"
#include "utilities_class.h"
#include "values.h"

using namespace orvi;
using namespace orvi::utilities;

namespace {

std::int64_t DayOf(double date) { return dates::Split(values::CheckedDate(date)).day; }

// A date argument, or today when it holds no date.
double DateOrToday(const VARIANT* value) {
    if (const auto date = values::AsDate(value)) return values::CheckedDate(*date);
    return values::Today();
}

int CurrentYear() { return dates::CivilOf(DayOf(values::Now())).year; }

// The year a value stands for: a date's year, else the value as a 16-bit number.
short YearOf(const VARIANT* value) {
    if (const auto date = values::AsDate(value)) return static_cast<short>(dates::CivilOf(DayOf(*date)).year);
    const auto number = values::AsNumber(value);
    if (!number) Raise(values::IsNull(*values::Plain(value).Get()) ? errInvalidNull : errTypeMismatch);
    return ToInteger(*number);
}

bool LeapYear(const VARIANT* value) {
    bool leap = false;
    Attempt([&] { leap = dates::HasLeapDay(YearOf(value)).value_or(false); });
    return leap;
}

int MonthFromText(std::wstring_view text) {
    std::wstring head(text.substr(0, 3));
    for (wchar_t& c : head) c = text::FoldCase(c);
    if (head == L"FEB") return 2;
    for (const wchar_t* name : {L"JAN", L"MAR", L"MAY", L"JUL", L"AUG", L"OCT", L"DEC"})
        if (head == name) return 1;
    for (const wchar_t* name : {L"APR", L"JUN", L"SEP", L"NOV"})
        if (head == name) return 4;
    return 0;
}

}  // namespace

STDMETHODIMP clsKvOrviUtilitesA::IsWeekend(VARIANT SomeDate, VARIANT_BOOL* result) {
    return Produce(result, [&] {
        const auto date = values::AsDate(&SomeDate);
        return AsBool(date && dates::IsWeekendDay(DayOf(*date)));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::BusinessDays(VARIANT Date1, VARIANT Date2, VARIANT_BOOL* WeekEndsOnly, long* result) {
    return Produce(result, [&] {
        const bool weekEndsOnly = Argument(WeekEndsOnly) != VARIANT_FALSE;
        const auto first = values::AsDate(&Date1);
        if (!first) return 0L;
        const double second = DateOrToday(&Date2);
        return static_cast<long>(dates::BusinessDays(values::CheckedDate(*first), second, weekEndsOnly));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::BusinessDaysAdd(DATE SomeDate, long Days, VARIANT_BOOL SaturdayIsHoliday, DATE* result) {
    return Produce(result, [&] {
        if (Days == 0) return SomeDate;
        return values::CheckedDate(dates::BusinessDaysAdd(values::CheckedDate(SomeDate), Days, SaturdayIsHoliday != VARIANT_FALSE));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::DaysInMonth(VARIANT SomeDate, short* result) {
    return Produce(result, [&] {
        int month = 0, year = 0;
        if (values::IsMissing(&SomeDate)) {
            const dates::Civil today = dates::CivilOf(DayOf(values::Today()));
            month = today.month;
            year = today.year;
        } else if (const auto date = values::AsDate(&SomeDate)) {
            const dates::Civil civil = dates::CivilOf(DayOf(*date));
            month = civil.month;
            year = civil.year;
        } else if (const auto number = values::AsNumber(&SomeDate)) {
            year = CurrentYear();
            const short whole = ToInteger(*number);
            month = (*number > 0 && *number < 13) ? whole : 0;
        } else if (const auto name = values::AsText(&SomeDate)) {
            year = CurrentYear();
            month = MonthFromText(*name);
        }
        if (month != 2) return static_cast<short>(dates::DaysInMonth(month, false));
        const Variant yearValue = values::IntegerValue(static_cast<short>(year));
        return static_cast<short>(dates::DaysInMonth(2, LeapYear(yearValue.Get())));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::DaysInYear(VARIANT SomeValue, short* result) {
    return Produce(result, [&] {
        if (!values::AsDate(&SomeValue) && !values::AsNumber(&SomeValue)) return short{0};
        return static_cast<short>(LeapYear(&SomeValue) ? 366 : 365);
    });
}

STDMETHODIMP clsKvOrviUtilitesA::IsLeapYear(VARIANT SomeValue, VARIANT_BOOL* result) {
    return Produce(result, [&] { return AsBool(LeapYear(&SomeValue)); });
}

STDMETHODIMP clsKvOrviUtilitesA::DayPart(VARIANT* vTime, BSTR* Greeting, BSTR* result) {
    return Produce(result, [&] {
        VARIANT& time = Argument(vTime);
        VARIANT* target = &time;
        while (V_VT(target) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(target)) target = V_VARIANTREF(target);
        const bool writable = !(V_VT(target) & VT_BYREF);
        const Variant given = values::Plain(&time);
        if (given.Type() == VT_NULL) Raise(errInvalidNull);

        double t = 0;
        const auto text = values::AsText(&time);
        const bool empty = values::IsMissing(&time) || given.Type() == VT_EMPTY || (text && text->empty());
        std::optional<double> date = empty ? std::optional<double>(values::Now() - values::Today()) : values::AsDate(&time);
        if (date) {
            // The caller's variable receives the short time text.
            int hour = 0, minute = 0;
            dates::ClockOf(*date, hour, minute);
            const auto digit = [](int value) { return static_cast<wchar_t>(L'0' + value); };
            const wchar_t clock[] = {digit(hour / 10), digit(hour % 10), L':', digit(minute / 10), digit(minute % 10), 0};
            if (writable) {
                Variant replaced = values::TextValue(clock);
                VariantClear(target);
                replaced.DetachTo(target);
            }
            t = (hour * 60 + minute) / 1440.0;
        } else if (const auto number = values::AsNumber(&time)) {
            t = *number;
        } else {
            Raise(errTypeMismatch);
        }
        std::wstring word = dates::GreetingWord(dates::DayPartOf(t));
        const std::wstring_view greeting = Bstr::ViewOf(Greeting ? *Greeting : nullptr);
        if (!greeting.empty()) word = text::CollapseSpaces(std::wstring(greeting) + L" " + word);
        return Bstr(word);
    });
}

STDMETHODIMP clsKvOrviUtilitesA::EndOfMonth(VARIANT* SomeDate, DATE* result) {
    return Produce(result, [&] {
        const auto date = values::AsDate(&Argument(SomeDate));
        if (!date) return 0.0;
        return static_cast<double>(dates::EndOfMonth(DayOf(*date)));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::EndOfWeek(DATE SomeDate, DATE* result) {
    return Produce(result, [&] { return values::CheckedDate(dates::EndOfWeek(values::CheckedDate(SomeDate))); });
}

STDMETHODIMP clsKvOrviUtilitesA::ExactAge(VARIANT* StartDate, VARIANT_BOOL* YearsOnly, BSTR* result) {
    return Produce(result, [&] {
        const bool yearsOnly = Argument(YearsOnly) != VARIANT_FALSE;
        const auto start = values::AsDate(&Argument(StartDate));
        if (!start) return Bstr();
        const dates::Parts from = dates::Split(values::CheckedDate(*start)), now = dates::Split(values::Now());
        if (from.day > now.day || (from.day == now.day && from.time > now.time)) return Bstr();
        return Bstr(dates::AgeText(dates::ExactAge(from.day, now.day), yearsOnly));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::HowOld(VARIANT* varBirthDate, short* result) {
    return Produce(result, [&] {
        const auto birth = values::AsDate(&Argument(varBirthDate));
        if (!birth) return short{0};
        return ToInteger(static_cast<std::int32_t>(dates::HowOld(DayOf(*birth), DayOf(values::Today()))));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::IsGoodDate(VARIANT* DateIN, VARIANT* CompDate, GoodDateTypes DateType, VARIANT_BOOL,
                                            VARIANT_BOOL* result) {
    return Produce(result, [&] {
        bool good = false;
        Attempt([&] {
            const std::optional<double> comparison = values::IsMissing(CompDate) ? values::Now() : values::AsDate(CompDate);
            const auto value = values::AsDate(&Argument(DateIN));
            if (!value || !comparison) return;
            good = dates::IsGoodDate(*value, *comparison, DateType);
        });
        return AsBool(good);
    });
}

STDMETHODIMP clsKvOrviUtilitesA::NextDate(DATE d, DayOfWeek WhatDay, VARIANT_BOOL* GetNext, DATE* result) {
    return Produce(result, [&] {
        const bool getNext = Argument(GetNext) != VARIANT_FALSE;
        return values::CheckedDate(dates::NextDate(values::CheckedDate(d), WhatDay, getNext));
    });
}

STDMETHODIMP clsKvOrviUtilitesA::WeekNo(VARIANT* SomeDate, short* result) {
    return Produce(result, [&] { return static_cast<short>(dates::WeekNo(DayOf(DateOrToday(SomeDate)))); });
}

STDMETHODIMP clsKvOrviUtilitesA::Today(DATE* result) {
    return Produce(result, [&] { return values::Today(); });
}
STDMETHODIMP clsKvOrviUtilitesA::Tomorrow(DATE* result) {
    return Produce(result, [&] { return values::Today() + 1; });
}
STDMETHODIMP clsKvOrviUtilitesA::Yesterday(DATE* result) {
    return Produce(result, [&] { return values::Today() - 1; });
}
