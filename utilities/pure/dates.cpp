#include "dates.h"

#include <cmath>

#include "frame/pure/numeric.h"

namespace orvi::dates {
namespace {

constexpr std::int64_t kZeroDateFromEpoch = -25569;  // 30 December 1899 counted from 1 January 1970
// A multiple of seven that lifts every day of interest above zero, so that
// weekday arithmetic can use plain division.
constexpr std::int64_t kWeekShift = 7 * 100000;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Days from 1 January 1970 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2;
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::int64_t SerialOf(std::int64_t y, std::int64_t m, std::int64_t d) { return DaysFromCivil(y, m, d) - kZeroDateFromEpoch; }

// Weekend days among the days 0..n (n >= 0): day 0 is a Saturday, day 1 a Sunday.
std::int64_t WeekendDaysUpTo(std::int64_t n) { return n < 0 ? 0 : n / 7 + 1 + (n + 6) / 7; }

}  // namespace

bool InRange(std::int64_t day) { return day >= kFirstDay && day <= kLastDay; }

Parts Split(double date) {
    if (!(std::fabs(date) < 1e11)) return Parts{date < 0 ? std::int64_t{-100000000000} : std::int64_t{100000000000}, 0};
    const double whole = std::trunc(date);
    Parts parts{static_cast<std::int64_t>(whole), std::fabs(date - whole)};
    return parts;
}

std::optional<double> Join(std::int64_t day, double time) {
    if (!InRange(day)) return std::nullopt;
    return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

Civil CivilOf(std::int64_t day) {
    const std::int64_t z = day + kZeroDateFromEpoch + 719468;
    const std::int64_t era = FloorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    return Civil{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

int WeekdayOf(std::int64_t day) { return static_cast<int>((day + kWeekShift - 1) % 7) + 1; }
bool IsWeekendDay(std::int64_t day) {
    const int weekday = WeekdayOf(day);
    return weekday == 1 || weekday == 7;
}

std::optional<std::int64_t> DayOf(int year, int month, int day) {
    std::int64_t y = year;
    if (y >= 0 && y <= 29) y += 2000;
    else if (y >= 30 && y <= 99) y += 1900;
    const std::int64_t months = y * 12 + (static_cast<std::int64_t>(month) - 1);
    const std::int64_t serial = SerialOf(FloorDiv(months, 12), months - FloorDiv(months, 12) * 12 + 1, 1) + (static_cast<std::int64_t>(day) - 1);
    if (!InRange(serial)) return std::nullopt;
    return serial;
}

std::optional<double> DateOf(int year, int month, int day, int hour, int minute, int second) {
    const auto first = DayOf(year, month, 1);
    if (!first) return std::nullopt;
    const std::int64_t seconds = static_cast<std::int64_t>(hour) * 3600 + static_cast<std::int64_t>(minute) * 60 + second;
    const std::int64_t whole = *first + (static_cast<std::int64_t>(day) - 1) + FloorDiv(seconds, 86400);
    const std::int64_t rest = seconds - FloorDiv(seconds, 86400) * 86400;
    return Join(whole, static_cast<double>(rest) / 86400.0);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::optional<bool> HasLeapDay(int year) {
    const auto lastOfFebruary = DayOf(year, 3, 0);
    if (!lastOfFebruary) return std::nullopt;
    return CivilOf(*lastOfFebruary).day == 29;
}

int DaysInMonth(int month, bool leapYear) {
    switch (month) {
    case 2: return leapYear ? 29 : 28;
    case 4: case 6: case 9: case 11: return 30;
    case 1: case 3: case 5: case 7: case 8: case 10: case 12: return 31;
    default: return 0;
    }
}

std::int64_t BusinessDays(double first, double second, bool weekEndsOnly) {
    Parts a = Split(first), b = Split(second);
    if (a.day > b.day || (a.day == b.day && a.time > b.time)) std::swap(a, b);
    // The walk keeps the first value's time of day, so the last day counts
    // only when that time is not later than the second value's.
    const std::int64_t last = b.day - (a.time > b.time ? 1 : 0);
    if (last < a.day) return 0;
    const std::int64_t weekendDays = WeekendDaysUpTo(last + kWeekShift) - WeekendDaysUpTo(a.day + kWeekShift - 1);
    return weekEndsOnly ? weekendDays : (last - a.day + 1) - weekendDays;
}

std::optional<double> BusinessDaysAdd(double date, std::int32_t days, bool saturdayIsHoliday) {
    if (days == 0) return date;
    Parts parts = Split(date);
    const int step = days > 0 ? 1 : -1;
    std::int64_t remaining = days;
    while (remaining != 0) {
        parts.day += step;
        if (!InRange(parts.day)) return std::nullopt;
        const int weekday = WeekdayOf(parts.day);
        if (weekday != 1 && (!saturdayIsHoliday || weekday != 7)) remaining -= step;
    }
    return Join(parts.day, parts.time);
}

std::int64_t EndOfMonth(std::int64_t day) {
    const Civil civil = CivilOf(day);
    return SerialOf(civil.year, civil.month, DaysInMonth(civil.month, IsLeapYear(civil.year)));
}

std::optional<double> EndOfWeek(double date) {
    Parts parts = Split(date);
    parts.day += 7 - WeekdayOf(parts.day);
    double seconds = std::round(parts.time * 86400.0);
    if (seconds >= 86400.0) {
        seconds -= 86400.0;
        ++parts.day;
    }
    return Join(parts.day, seconds / 86400.0);
}

std::optional<double> NextDate(double date, std::int32_t whatDay, bool getNext) {
    const std::int64_t g = getNext ? -1 : 0;
    const Parts parts = Split(date);
    const auto x = numeric::RoundToLong(static_cast<double>(parts.day) + parts.time - whatDay + static_cast<double>(g));
    if (!x) return std::nullopt;
    // Floor division: the dates of one weekday leave one remainder mod 7,
    // also below zero.
    const std::int64_t q = FloorDiv(*x, 7);
    return Join((q - g) * 7 + whatDay, 0.0);
}

int WeekNo(std::int64_t day) {
    const Civil civil = CivilOf(day);
    const std::int64_t newYear = SerialOf(civil.year, 1, 1);
    const std::int64_t j = day - newYear;
    return static_cast<int>((j + WeekdayOf(newYear) - 1) / 7 + 1);
}

Age ExactAge(std::int64_t start, std::int64_t today) {
    const Civil from = CivilOf(start), to = CivilOf(today);
    Age age{to.year - from.year, to.month - from.month, to.day - from.day};
    if (age.days < 0) {
        age.days = 30 + age.days;
        --age.months;
    }
    if (age.months < 0) {
        age.months = 12 + age.months;
        --age.years;
    }
    return age;
}

std::wstring AgeText(const Age& age, bool yearsOnly) {
    if (yearsOnly) return numeric::IntegerText(age.years);
    return numeric::IntegerText(age.years) + L" year(s) " + numeric::IntegerText(age.months) + L" month(s) " +
           numeric::IntegerText(age.days) + L" day(s)";
}

int HowOld(std::int64_t birth, std::int64_t today) {
    const Civil born = CivilOf(birth), now = CivilOf(today);
    int years = now.year - born.year;
    const auto birthday = DayOf(now.year, born.month, born.day);
    if (birthday && today < *birthday) --years;
    return years;
}

Greeting DayPartOf(double t) {
    if (t >= 0 && t < 0.5) return Greeting::morning;
    if (t > 0 && t < 17.0 / 24.0) return Greeting::afternoon;
    return Greeting::evening;
}

const wchar_t* GreetingWord(Greeting part) {
    switch (part) {
    case Greeting::morning: return L"morning";
    case Greeting::afternoon: return L"afternoon";
    default: return L"evening";
    }
}

bool IsGoodDate(double value, double comparison, std::int32_t dateType) {
    switch (dateType) {
    case 1: return numeric::RoundHalfEven(value) > numeric::RoundHalfEven(comparison);
    case 2: return value > comparison;
    case 3: return numeric::RoundHalfEven(value) < numeric::RoundHalfEven(comparison);
    case 4: return value < comparison;
    default: return true;
    }
}

void ClockOf(double date, int& hour, int& minute) {
    const long seconds = static_cast<long>(std::round(Split(date).time * 86400.0)) % 86400;
    hour = static_cast<int>(seconds / 3600);
    minute = static_cast<int>(seconds / 60 % 60);
}

}  // namespace orvi::dates
