// Rounding, narrowing and the low word, natively under the sanitizers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame/pure/numeric.h"

using namespace orvi::numeric;

TEST(RoundToEven, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(2, RoundToLong(2.5));
    EXPECT_EQ(4, RoundToLong(3.5));
    EXPECT_EQ(0, RoundToLong(0.5));
    EXPECT_EQ(0, RoundToLong(-0.5));
    EXPECT_EQ(-2, RoundToLong(-1.5));
    EXPECT_EQ(3, RoundToLong(2.5000001));
    EXPECT_EQ(-3, RoundToLong(-2.6));
}

TEST(RoundToEven, OutOfRangeAndNonFiniteAreOverflow) {
    EXPECT_EQ(2147483647, RoundToLong(2147483647.4));
    EXPECT_FALSE(RoundToLong(2147483647.5));
    EXPECT_EQ(std::numeric_limits<int32_t>::min(), RoundToLong(-2147483648.5));
    EXPECT_FALSE(RoundToLong(-2147483649.0));
    EXPECT_FALSE(RoundToLong(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(RoundToLong(std::numeric_limits<double>::infinity()));
    EXPECT_EQ(-32768, RoundToInteger(-32768.5));
    EXPECT_FALSE(RoundToInteger(32767.5));
    EXPECT_FALSE(RoundToInteger(1e300));
    // A byte's range, as late-bound arguments are checked against it.
    EXPECT_EQ(255, RoundWithin(255.4, 0, 255));
    EXPECT_FALSE(RoundWithin(255.5, 0, 255));
    EXPECT_EQ(0, RoundWithin(-0.5, 0, 255));
    EXPECT_FALSE(RoundWithin(-0.51, 0, 255));
    EXPECT_FALSE(RoundWithin(4294967295.0, -2147483648LL, 2147483647));
    EXPECT_FALSE(RoundWithin(-std::numeric_limits<double>::infinity(), 0, 255));
}

TEST(Narrowing, SixteenBitRange) {
    EXPECT_EQ(32767, NarrowToInteger(32767));
    EXPECT_EQ(-32768, NarrowToInteger(-32768));
    EXPECT_FALSE(NarrowToInteger(32768));
    EXPECT_FALSE(NarrowToInteger(-32769));
}

TEST(LowWordNative, Table) {
    static_assert(LowWord(0x0000FFFFu) == -1);
    static_assert(LowWord(0x12347FFFu) == 32767);
    static_assert(LowWord(0x00008000u) == -32768);
    EXPECT_EQ(0, LowWord(0xFFFF0000u));
}
