// Megabyte and percentage rounding, OS release, pixels through twips, drive
// texts and date pictures, natively under the sanitizers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>

#include "locale/pure/pictures.h"
#include "machine/pure/figures.h"

using namespace orvi::machine;

TEST(FormatMegabytes, Table) {
    constexpr double MiB = 1048576.0;
    struct Row { double bytes, megabytes; } rows[] = {
        {0, 0},
        {1, 0},
        {MiB, 1},
        {1.005 * MiB, 1.01},           // a half in its decimal form rounds up
        {1.004999 * MiB, 1.0},
        {1572864, 1.5},
        {1000000, 0.95},
        {3221225472.0, 3072},          // 3 GiB stays positive
        {8.0 * 512 * 50000, 195.31},   // 8 sectors of 512 bytes, 50,000 clusters
        {1.5 * 1099511627776.0 + 0.125 * MiB, 1572864.13},  // beyond 1 TiB: no cut at a group separator
        {-1.005 * MiB, -1.01},
    };
    for (const Row& row : rows) EXPECT_DOUBLE_EQ(row.megabytes, FormatMegabytes(row.bytes)) << row.bytes;
}

TEST(RoundHalfAway, WholeNumbersAndLimits) {
    EXPECT_EQ(38.0, RoundHalfAway(37.5, 0));
    EXPECT_EQ(-38.0, RoundHalfAway(-37.5, 0));
    EXPECT_EQ(37.0, RoundHalfAway(37.4999, 0));
    EXPECT_EQ(0.0, RoundHalfAway(0.004, 2));
    EXPECT_EQ(0.01, RoundHalfAway(0.005, 2));
    EXPECT_FALSE(std::signbit(RoundHalfAway(-0.001, 2)));  // no negative zero
    EXPECT_EQ(1e300, RoundHalfAway(1e300, 2));
    EXPECT_TRUE(std::isinf(RoundHalfAway(std::numeric_limits<double>::infinity(), 2)));
}

// The rounding as the formatted-print functions spell it: 15 significant
// digits, half away from zero at the place, the decimal text read back.
double RoundThroughPrint(double value, int decimals) {
    char text[40];
    std::snprintf(text, sizeof text, "%.14e", std::fabs(value));
    const int exponent = std::atoi(text + 17);
    const int kept = exponent + 1 + decimals;
    if (kept >= 15) return std::copysign(std::strtod(text, nullptr), value);
    if (kept < 0) return 0.0;
    long long whole = 0;
    int digit = 0;
    for (int i = 0; i <= kept; ++i) {
        const char c = text[i == 0 ? 0 : i + 1];
        if (i < kept) whole = whole * 10 + (c - '0');
        else digit = c - '0';
    }
    if (digit >= 5) ++whole;
    if (whole == 0) return 0.0;
    char rounded[48];
    std::snprintf(rounded, sizeof rounded, "%lldE%d", whole, -decimals);
    return std::copysign(std::strtod(rounded, nullptr), value);
}

TEST(RoundHalfAway, AgreesWithTheFormattedPrintOverRandomFigures) {
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> exponent(-6.0, 16.0);
    std::uniform_int_distribution<int> places(0, 4);
    for (int i = 0; i < 200000; ++i) {
        const double value = std::pow(10.0, exponent(random)) * (i % 2 ? 1 : -1);
        const int decimals = places(random);
        ASSERT_EQ(RoundThroughPrint(value, decimals), RoundHalfAway(value, decimals)) << value << " at " << decimals;
    }
    for (double half = 0.005; half < 100; half += 0.01)  // every half cent
        ASSERT_EQ(RoundThroughPrint(half, 2), RoundHalfAway(half, 2)) << half;
}

TEST(FormatMegabytes, AgreesWithTheFormattedPrintOverRandomByteCounts) {
    std::mt19937_64 random(8122026);
    std::uniform_int_distribution<int> bits(20, 52);
    for (int i = 0; i < 200000; ++i) {
        const double bytes = static_cast<double>(random() >> (64 - bits(random)));
        ASSERT_EQ(RoundThroughPrint(bytes / 1048576.0, 2), FormatMegabytes(bytes)) << bytes;
    }
    // Ties after the 15th digit and carries into a new power of ten.
    for (double bytes : {1048576.0 * 99999.995, 1048576.0 * 1048575.99999, 1099511627776.0 - 1, 1099511627776.0 + 5243,
                         1048576.0 * 1.5 + 0.5, 4503599627370495.0, 1048576.0 + 1, 9007199254740991.0})
        EXPECT_EQ(RoundThroughPrint(bytes / 1048576.0, 2), FormatMegabytes(bytes)) << bytes;
}

TEST(ClassifyOsVersion, Releases) {
    struct Row { int major, minor, platform, expected; } rows[] = {
        {3, 10, 0, 1}, {3, 51, 2, 4}, {3, 10, 1, 0},  // Win32s, NT 3.51, odd platform
        {4, 0, 1, 2}, {4, 10, 1, 3}, {4, 90, 1, 3},   // 95, 98, Millennium
        {4, 0, 2, 5},                                 // NT 4.0
        {5, 0, 2, 6}, {5, 1, 2, 6}, {5, 2, 2, 6},     // 2000, XP, 2003
        {6, 0, 2, 0}, {10, 0, 2, 0}, {0, 0, 0, 0},    // later releases, failed query
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, ClassifyOsVersion(row.major, row.minor, row.platform)) << row.major << "." << row.minor;
}

TEST(PixelsThroughTwips, UsualAndOddDensities) {
    EXPECT_EQ(1280, PixelsThroughTwips(1280, 96).value);
    EXPECT_EQ(1024, PixelsThroughTwips(1024, 120).value);
    EXPECT_EQ(1053, PixelsThroughTwips(1024, 100).value);  // 14.4 twips a pixel rounds to 14
    EXPECT_EQ(11, PixelsThroughTwips(1024, 0).error);      // no density: division by zero, not a crash
    EXPECT_EQ(11, PixelsThroughTwips(1024, 3000).error);   // less than half a twip a pixel
    EXPECT_EQ(6, PixelsThroughTwips(40000, 96).error);     // past 16 bits
    EXPECT_EQ(6, PixelsThroughTwips(std::numeric_limits<int32_t>::max(), 96).error);
    EXPECT_EQ(0, PixelsThroughTwips(32767, 96).error);
}

TEST(DriveTexts, NormaliseAndSeparator) {
    struct Row { const wchar_t *given, *drive, *withSeparator; } rows[] = {
        {L"C", L"C:\\", L"C:\\"},
        {L"a", L"a:\\", L"a:\\"},
        {L"C:", L"C:\\", L"C:\\"},
        {L"C:\\", L"C:\\", L"C:\\"},
        {L"C:/", L"C:/", L"C:/"},
        {L"C:/WINNT", L"C:/WINNT", L"C:/WINNT/"},
        {L"C:\\Windows", L"C:\\Windows", L"C:\\Windows\\"},
        {L"\\\\server\\share", L"\\\\server\\share", L"\\\\server\\share\\"},
        {L"", L"", L""},
        {L"Cx", L"Cx", L"Cx\\"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.drive, NormaliseDrive(row.given));
        EXPECT_EQ(row.withSeparator, AppendPathSeparator(NormaliseDrive(row.given)));
    }
}

TEST(DatePictures, FourDigitYear) {
    using orvi::locale::WithFourDigitYear;
    struct Row { const wchar_t *picture, *expected; } rows[] = {
        {L"M/d/yy", L"M/d/YYYY"},
        {L"M/d/yyyy", L"M/d/yyyy"},
        {L"dd.MM.yy", L"dd.MM.YYYY"},
        {L"dd.MM.yyyy", L"dd.MM.yyyy"},
        {L"yY-MM-dd", L"YYYY-MM-dd"},
        {L"YyYy/M/d", L"YyYy/M/d"},
        {L"yy/M/d yy", L"YYYY/M/d YYYY"},
        {L"yyy", L"YYYYy"},
        {L"d/M/y", L"d/M/y"},
        {L"", L""},
    };
    for (const Row& row : rows) EXPECT_EQ(row.expected, WithFourDigitYear(row.picture)) << row.picture;
    EXPECT_EQ(L"##.##0,00", orvi::locale::NumberPicture(L".", L","));
}
