#include "modules/common/DecimalFormat.h"
#include "modules/common/QuantityFormat.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(DecimalFormat, RoundsThousandthsHalfAwayFromZero) {
    EXPECT_EQ(FormatMilli(1749, 2, "."), "1.75");
    EXPECT_EQ(FormatMilli(1744, 2, "."), "1.74");
    EXPECT_EQ(FormatMilli(1005, 2, "."), "1.01") << "exact in integers, no binary fraction";
    EXPECT_EQ(FormatMilli(41600, 0, "."), "42");
    EXPECT_EQ(FormatMilli(41499, 0, "."), "41");
    EXPECT_EQ(FormatMilli(-12000, 2, "."), "-12.00");
    EXPECT_EQ(FormatMilli(-4995, 2, "."), "-5.00");
    EXPECT_EQ(FormatMilli(-4, 2, "."), "0.00") << "no minus sign on zero";
    EXPECT_EQ(FormatMilli(3312, 2, ","), "3,31");
    EXPECT_EQ(FormatMilli(INT64_MIN, 0, "."), "-9223372036854776");
}

TEST(DecimalFormat, ShortestFormDropsTrailingZeros) {
    EXPECT_EQ(FormatMilliShortest(115200, "."), "115.2");
    EXPECT_EQ(FormatMilliShortest(33600, ","), "33,6");
    EXPECT_EQ(FormatMilliShortest(56000, "."), "56");
    EXPECT_EQ(FormatMilliShortest(1234567, "."), "1234.567");
    EXPECT_EQ(FormatMilliShortest(0, "."), "0");
    EXPECT_EQ(FormatMilliShortest(-1500, "."), "-1.5");
}

TEST(QuantityFormat, ByteRateHasTheRateStepsAndTheByteWord) {
    TUnitWords words = TUnitWords::Defaults();
    words.Set(TUnitWord::Bit, "bit");
    words.Set(TUnitWord::Byte, "B");
    const auto rate = [&](int64_t value) {
        return FormatQuantity(value, TQuantityMode::ByteRate, words, ".");
    };
    EXPECT_EQ(rate(0), "0 Bps");
    EXPECT_EQ(rate(1000), "1000 Bps");
    EXPECT_EQ(rate(1500000), "1.50 MBps");
    EXPECT_EQ(rate(12000000000), "12.00 GBps");
    EXPECT_EQ(FormatQuantity(1500000, TQuantityMode::Rate, words, "."), "1.50 Mbitps");
}
