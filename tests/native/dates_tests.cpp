// Calendar arithmetic of the utilities, natively under the sanitizers.
#include <gtest/gtest.h>

#include "utilities/pure/dates.h"

using namespace orvi::dates;

namespace {
std::int64_t D(int y, int m, int d) { return *DayOf(y, m, d); }
double At(int y, int m, int d, int h, int mi) { return *DateOf(y, m, d, h, mi, 0); }
}  // namespace

TEST(Calendar, DayNumbersAndWeekdaysOfTheAutomationDate) {
    EXPECT_EQ(0, D(1899, 12, 30));
    EXPECT_EQ(1, D(1899, 12, 31));
    EXPECT_EQ(45292, D(2024, 1, 1));
    EXPECT_EQ(kFirstDay, D(100, 1, 1));
    EXPECT_EQ(kLastDay, D(9999, 12, 31));
    EXPECT_FALSE(DayOf(9999, 12, 32));
    EXPECT_EQ(7, WeekdayOf(0));   // Saturday
    EXPECT_EQ(1, WeekdayOf(1));   // Sunday
    EXPECT_EQ(2, WeekdayOf(D(2024, 1, 1)));  // Monday
    EXPECT_EQ(6, WeekdayOf(D(1752, 9, 15)));  // proleptic Gregorian Friday
    const Civil c = CivilOf(D(2024, 2, 29));
    EXPECT_EQ(2024, c.year);
    EXPECT_EQ(2, c.month);
    EXPECT_EQ(29, c.day);
    const Civil before = CivilOf(-1);
    EXPECT_EQ(29, before.day);
}

TEST(Calendar, RollOverAndTwoDigitYears) {
    EXPECT_EQ(D(2024, 2, 29), D(2024, 3, 0));
    EXPECT_EQ(D(2025, 1, 1), D(2024, 13, 1));
    EXPECT_EQ(D(2023, 12, 31), D(2024, 1, 0));
    EXPECT_EQ(D(2023, 11, 1), D(2024, -1, 1));
    EXPECT_EQ(D(2029, 5, 1), D(29, 5, 1));
    EXPECT_EQ(D(1930, 5, 1), D(30, 5, 1));
    EXPECT_EQ(D(2000, 1, 1), D(99, 13, 1));
    EXPECT_DOUBLE_EQ(D(2024, 1, 2) + 1.5 / 24, *DateOf(2024, 1, 1, 25, 30, 0));
    EXPECT_DOUBLE_EQ(D(2023, 12, 31) + 23.5 / 24, *DateOf(2024, 1, 1, -1, 30, 0));
}

TEST(Calendar, LeapYears) {
    struct Row { int year; bool leap; } rows[] = {{1900, false}, {2000, true}, {2024, true}, {2023, false}, {2100, false}, {0, true}, {4, true}};
    for (const Row& row : rows) EXPECT_EQ(row.leap, HasLeapDay(row.year).value()) << row.year;
    EXPECT_FALSE(HasLeapDay(-5));
    EXPECT_FALSE(HasLeapDay(10000));
    EXPECT_EQ(29, DaysInMonth(2, true));
    EXPECT_EQ(28, DaysInMonth(2, false));
    EXPECT_EQ(0, DaysInMonth(13, false));
}

TEST(Calendar, NegativeDatesKeepTheirTimeForward) {
    const Parts p = Split(-1.25);  // 29 December 1899, 06:00
    EXPECT_EQ(-1, p.day);
    EXPECT_DOUBLE_EQ(0.25, p.time);
    EXPECT_DOUBLE_EQ(-1.25, *Join(-1, 0.25));
    EXPECT_FALSE(Join(kLastDay + 1, 0));
    EXPECT_EQ(100000000000, Split(1e300).day);
}

TEST(BusinessDays, CountsAcrossWeekendsAndYearEnds) {
    struct Row { double a, b; bool weekends; std::int64_t expected; } rows[] = {
        {(double)D(2024, 1, 1), (double)D(2024, 1, 5), false, 5},
        {(double)D(2024, 1, 5), (double)D(2024, 1, 1), false, 5},
        {(double)D(2024, 1, 6), (double)D(2024, 1, 7), false, 0},
        {(double)D(2024, 1, 6), (double)D(2024, 1, 7), true, 2},
        {(double)D(2023, 12, 29), (double)D(2024, 1, 2), false, 3},
        {(double)D(2023, 12, 29), (double)D(2024, 1, 2), true, 2},
        {(double)D(2024, 1, 3), (double)D(2024, 1, 3), false, 1},
        {At(2024, 1, 1, 12, 0), At(2024, 1, 3, 8, 0), false, 2},
        {At(2024, 1, 1, 8, 0), At(2024, 1, 3, 12, 0), false, 3},
        {(double)D(2024, 1, 1), (double)D(2024, 12, 31), false, 262},
        {-3.0, 3.0, false, 5},
    };
    for (const Row& row : rows) EXPECT_EQ(row.expected, BusinessDays(row.a, row.b, row.weekends)) << row.a << " " << row.b;
}

TEST(BusinessDays, AddSkipsWeekendsBothWays) {
    const double friday = D(2024, 1, 5), saturday = D(2024, 1, 6), monday = D(2024, 1, 8);
    EXPECT_DOUBLE_EQ(monday, *BusinessDaysAdd(friday, 1, true));
    EXPECT_DOUBLE_EQ(saturday, *BusinessDaysAdd(friday, 1, false));
    EXPECT_DOUBLE_EQ(friday, *BusinessDaysAdd(monday, -1, true));
    EXPECT_DOUBLE_EQ(saturday, *BusinessDaysAdd(saturday, 0, true));
    EXPECT_DOUBLE_EQ(D(2024, 1, 2), *BusinessDaysAdd(D(2023, 12, 29), 2, true));
    EXPECT_DOUBLE_EQ(monday + 0.75, *BusinessDaysAdd(friday + 0.75, 1, true));
    EXPECT_FALSE(BusinessDaysAdd(kLastDay, 1, true));
    EXPECT_FALSE(BusinessDaysAdd(D(2024, 1, 1), 2147483647, true));
}

TEST(Weeks, WeekNumbersAtYearBoundaries) {
    EXPECT_EQ(1, WeekNo(D(2023, 1, 1)));   // a Sunday
    EXPECT_EQ(1, WeekNo(D(2022, 1, 1)));   // a Saturday
    EXPECT_EQ(2, WeekNo(D(2022, 1, 2)));   // its first Sunday
    EXPECT_EQ(53, WeekNo(D(2022, 12, 31)));
    EXPECT_EQ(54, WeekNo(D(2000, 12, 31)));  // leap year starting on a Saturday
    EXPECT_EQ(1, WeekNo(D(2024, 1, 6)));
    EXPECT_EQ(2, WeekNo(D(2024, 1, 7)));
}

TEST(Weeks, EndsAndNextDates) {
    EXPECT_DOUBLE_EQ(At(2024, 1, 6, 10, 30), *EndOfWeek(At(2024, 1, 3, 10, 30)));
    EXPECT_DOUBLE_EQ(D(2024, 1, 6), *EndOfWeek(D(2024, 1, 6)));
    EXPECT_EQ(D(2024, 2, 29), EndOfMonth(D(2024, 2, 15)));
    EXPECT_EQ(D(2023, 1, 31), EndOfMonth(D(2023, 1, 31)));
    EXPECT_EQ(D(9999, 12, 31), EndOfMonth(D(9999, 12, 5)));
    EXPECT_EQ(D(9999, 12, 31), EndOfMonth(D(9999, 12, 31)));  // no first of the next month to step back from
    const double wednesday = D(2024, 1, 3);
    EXPECT_DOUBLE_EQ(D(2024, 1, 6), *NextDate(wednesday, 7, true));
    EXPECT_DOUBLE_EQ(D(1899, 12, 23), *NextDate(D(1899, 12, 20), 7, true));  // below day 0 the weeks floor
    EXPECT_DOUBLE_EQ(D(2023, 12, 30), *NextDate(wednesday, 7, false));
    EXPECT_DOUBLE_EQ(D(2024, 1, 6), *NextDate(D(2024, 1, 6), 7, true));
    EXPECT_DOUBLE_EQ(D(2024, 1, 6), *NextDate(D(2024, 1, 6), 7, false));
    EXPECT_DOUBLE_EQ(D(2024, 1, 7), *NextDate(wednesday, 1, true));
    EXPECT_DOUBLE_EQ(D(2024, 1, 4), *NextDate(wednesday + 0.6, 5, true));  // after noon counts as the next day
    // Near and before the zero date the weekday still comes out right.
    EXPECT_DOUBLE_EQ(7.0, *NextDate(4.0, 7, true));
    EXPECT_DOUBLE_EQ(0.0, *NextDate(4.0, 7, false));
    for (double d = -30; d < 30; ++d) {
        EXPECT_EQ(7, WeekdayOf(static_cast<std::int64_t>(*NextDate(d, 7, true))));
        EXPECT_LE(d, *NextDate(d, 7, true));
        EXPECT_GE(d, *NextDate(d, 7, false));
    }
    EXPECT_FALSE(NextDate(kLastDay, 7, true) && *NextDate(kLastDay, 7, true) > kLastDay);
}

TEST(Ages, ExactAgeAndHowOld) {
    EXPECT_EQ(L"0 year(s) 1 month(s) 0 day(s)", AgeText(ExactAge(D(2024, 1, 31), D(2024, 3, 1)), false));
    EXPECT_EQ(L"0 year(s) 1 month(s) 0 day(s)", AgeText(ExactAge(D(2023, 1, 31), D(2023, 3, 1)), false));
    EXPECT_EQ(L"42 year(s) 3 month(s) 12 day(s)", AgeText(ExactAge(D(1980, 1, 10), D(2022, 4, 22)), false));
    EXPECT_EQ(L"42", AgeText(ExactAge(D(1980, 1, 10), D(2022, 4, 22)), true));
    EXPECT_EQ(L"0 year(s) 11 month(s) 29 day(s)", AgeText(ExactAge(D(2023, 1, 2), D(2024, 1, 1)), false));
    // Born on 29 February: the birthday is reached on 1 March in other years.
    EXPECT_EQ(22, HowOld(D(2000, 2, 29), D(2023, 2, 28)));
    EXPECT_EQ(23, HowOld(D(2000, 2, 29), D(2023, 3, 1)));
    EXPECT_EQ(24, HowOld(D(2000, 2, 29), D(2024, 2, 29)));
    EXPECT_EQ(29, HowOld(D(1994, 6, 16), D(2024, 6, 15)));
    EXPECT_EQ(30, HowOld(D(1994, 6, 15), D(2024, 6, 15)));
    EXPECT_EQ(-1, HowOld(D(2025, 6, 15), D(2024, 6, 15)));
}

TEST(Greetings, DayParts) {
    struct Row { int h, m; Greeting part; } rows[] = {
        {0, 0, Greeting::morning}, {11, 59, Greeting::morning}, {12, 0, Greeting::afternoon},
        {16, 59, Greeting::afternoon}, {17, 0, Greeting::evening}, {23, 59, Greeting::evening}};
    for (const Row& row : rows) EXPECT_EQ(row.part, DayPartOf((row.h * 60 + row.m) / 1440.0)) << row.h << ":" << row.m;
    EXPECT_EQ(Greeting::evening, DayPartOf(-0.1));
    EXPECT_EQ(Greeting::evening, DayPartOf(1.25));
    int h = 0, m = 0;
    ClockOf(At(2024, 1, 1, 11, 59) + 59.0 / 86400, h, m);
    EXPECT_EQ(11, h);
    EXPECT_EQ(59, m);
    EXPECT_STREQ(L"afternoon", GreetingWord(Greeting::afternoon));
}

TEST(Validation, EveryGoodDateType) {
    const double now = At(2024, 5, 10, 15, 0);  // afternoon: rounds to the next day
    struct Row { double value; std::int32_t type; bool good; } rows[] = {
        {now + 2, 1, true}, {(double)D(2024, 5, 11), 1, false}, {now - 2, 1, false},
        {now + 1.0 / 1440, 2, true}, {now, 2, false}, {now - 1.0 / 1440, 2, false},
        {now - 2, 3, true}, {(double)D(2024, 5, 10), 3, true}, {now + 1, 3, false},
        {now - 1.0 / 1440, 4, true}, {now, 4, false}, {now + 1, 4, false},
        {now - 1000, 0, true}, {now + 1000, 0, true}, {now, 99, true}, {now, -1, true}};
    for (const Row& row : rows) EXPECT_EQ(row.good, IsGoodDate(row.value, now, row.type)) << row.value << " type " << row.type;
}
