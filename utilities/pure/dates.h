// Calendar arithmetic on the automation date: a day count from 30 December
// 1899 whose fraction is the time of day (for days before the zero date the
// fraction still counts forward from midnight). Free of the platform headers.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace orvi::dates {

// The automation date range: 1 January 100 to 31 December 9999.
inline constexpr std::int64_t kFirstDay = -657434;
inline constexpr std::int64_t kLastDay = 2958465;

struct Civil {
    int year = 1899, month = 12, day = 30;
};

// A date split into its whole day and its time of day (0 <= time < 1).
struct Parts {
    std::int64_t day = 0;
    double time = 0;
};
Parts Split(double date);
// The date of a day and a time of day; empty outside the date range.
std::optional<double> Join(std::int64_t day, double time);
bool InRange(std::int64_t day);

Civil CivilOf(std::int64_t day);
// 1 = Sunday ... 7 = Saturday.
int WeekdayOf(std::int64_t day);
bool IsWeekendDay(std::int64_t day);

// The day of (year, month, day) with months and days rolling over into
// neighbouring months and years; years 0 to 99 are two-digit years
// (0-29 the 2000s, 30-99 the 1900s). Empty when the result leaves the range.
std::optional<std::int64_t> DayOf(int year, int month, int day);
// A date from calendar parts and a clock time; hours, minutes and seconds
// outside their ranges move the date. Empty outside the range.
std::optional<double> DateOf(int year, int month, int day, int hour, int minute, int second);

bool IsLeapYear(int year);  // Gregorian rule, for a four-digit year
// Last day of February of a (possibly two-digit) year is the 29th; empty
// when that date is outside the range.
std::optional<bool> HasLeapDay(int year);
int DaysInMonth(int month, bool leapYear);  // 0 for a month outside 1..12

// Days counted from the first date to the second, stepping whole days with
// the first one's time kept: all days, or only weekend days.
std::int64_t BusinessDays(double first, double second, bool weekEndsOnly);
// Moves a date by business days; empty when a step leaves the range.
std::optional<double> BusinessDaysAdd(double date, std::int32_t days, bool saturdayIsHoliday);

// Last day of the date's month, at midnight.
std::int64_t EndOfMonth(std::int64_t day);
// The Saturday of the date's Sunday-to-Saturday week, time kept to the second.
std::optional<double> EndOfWeek(double date);
// First (getNext) or last date on or around `date` that falls on `whatDay`.
std::optional<double> NextDate(double date, std::int32_t whatDay, bool getNext);
// Week of the year, weeks starting on Sunday, week 1 holding 1 January.
int WeekNo(std::int64_t day);

struct Age {
    int years = 0, months = 0, days = 0;
};
// Years, months and days from `start` to `today` (a borrowed month counts 30 days).
Age ExactAge(std::int64_t start, std::int64_t today);
std::wstring AgeText(const Age& age, bool yearsOnly);
// Whole years from a birth date to today; 29 February is reached on 1 March.
int HowOld(std::int64_t birth, std::int64_t today);

enum class Greeting { morning, afternoon, evening };
Greeting DayPartOf(double timeOfDay);
const wchar_t* GreetingWord(Greeting part);

// The tests of the date-validation member, by its enumeration value.
bool IsGoodDate(double value, double comparison, std::int32_t dateType);

// Time of day rounded to the minute's start (seconds dropped), as hours and minutes.
void ClockOf(double date, int& hour, int& minute);

}  // namespace orvi::dates
