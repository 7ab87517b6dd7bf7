#include "modules/common/DurationFormat.h"
#include "modules/common/NumberFormat.h"
#include "modules/common/QuantityFormat.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

std::string Bytes(int64_t value, const TUnitWords& words = TUnitWords::Defaults()) {
    return FormatQuantity(value, TQuantityMode::Byte, words, ".");
}
std::string Rate(int64_t value) {
    return FormatQuantity(value, TQuantityMode::Rate, TUnitWords::Defaults(), ".");
}
std::string Hertz(int64_t value) {
    return FormatQuantity(value, TQuantityMode::Hertz, TUnitWords::Defaults(), ".");
}

} // namespace

TEST(NumberFormat, PadsToTheMinimumDigitsAfterTheSign) {
    EXPECT_EQ(Pad2(7), "07");
    EXPECT_EQ(Pad2(0), "00");
    EXPECT_EQ(Pad2(59), "59");
    EXPECT_EQ(Pad2(2026), "2026");
    EXPECT_EQ(Pad2(-5), "-05");
    EXPECT_EQ(PadInt(26, 4), "0026");
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-307), "-307");
    EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
}

TEST(NumberFormat, SelectorIsTheLowByteOfTheParameterOrTheFallback) {
    EXPECT_EQ(ParseSelector("0", 5), 0);
    EXPECT_EQ(ParseSelector("4", 5), 4);
    EXPECT_EQ(ParseSelector(" 3 ", 5), 3);
    EXPECT_EQ(ParseSelector("257", 5), 1);
    EXPECT_EQ(ParseSelector("-1", 5), 255);
    EXPECT_EQ(ParseSelector("", 5), 5) << "empty parameter";
    EXPECT_EQ(ParseSelector("abc", 5), 5);
    EXPECT_EQ(ParseSelector("3x", 5), 5);
    EXPECT_EQ(ParseSelector("99999999999", 5), 5) << "beyond 32 bits";
    EXPECT_EQ(ParseSelector(nullptr, 5), 0) << "no parameter reads as \"0\"";
}

TEST(DurationFormat, EverySelectorWithTheDefaultWords) {
    const TUnitWords words = TUnitWords::Defaults();
    EXPECT_EQ(FormatDuration(307000, 0, words), "307");
    EXPECT_EQ(FormatDuration(307000, 1, words), "00 05") << "odd second: blank separator";
    EXPECT_EQ(FormatDuration(306000, 1, words), "00:05") << "even second: colon";
    EXPECT_EQ(FormatDuration(307000, 2, words), "00 h 05 m");
    EXPECT_EQ(FormatDuration(307000, 3, words), "05:07");
    EXPECT_EQ(FormatDuration(307000, 4, words), "05 m 07 s");
    EXPECT_EQ(FormatDuration(307000, 5, words), "00:05:07");
    EXPECT_EQ(FormatDuration(307000, 6, words), "00 h 05 m 07 s");
    EXPECT_EQ(FormatDuration(307000, 7, words), "");
    EXPECT_EQ(FormatDuration(307000, 255, words), "");
    EXPECT_EQ(FormatDuration(307999, 0, words), "307") << "whole seconds, not rounded";
    EXPECT_EQ(FormatDuration(0, 5, words), "00:00:00");
}

TEST(DurationFormat, HoursAreNotWrappedAndLargeCountsDoNotOverflow) {
    const TUnitWords words = TUnitWords::Defaults();
    EXPECT_EQ(FormatDuration(108125000, 5, words), "30:02:05");
    EXPECT_EQ(FormatDuration(108125000, 0, words), "108125");
    EXPECT_EQ(FormatDuration(108125000, 3, words), "02:05") << "minutes of the hour";
    // Past 2^32 ms (49.7 days) the count goes on.
    EXPECT_EQ(FormatDuration(5000000000ULL, 5, words), "1388:53:20");
    EXPECT_EQ(FormatDuration(5000000000ULL, 0, words), "5000000");
}

TEST(DurationFormat, UsesTheModulesUnitWordsAndKeepsTheBlanksOfEmptyOnes) {
    TUnitWords words = TUnitWords::Defaults();
    words.Set(TUnitWord::Hour, "ч");
    words.Set(TUnitWord::Min, "");
    EXPECT_EQ(FormatDuration(108125000, 6, words), "30 ч 02  05 s");
    EXPECT_EQ(FormatDuration(108125000, 2, TUnitWords()), "30  02 ") << "words not read yet";
}

TEST(QuantityFormat, ByteModeUsesBinaryStepsWithInclusiveUpperBounds) {
    EXPECT_EQ(Bytes(0), "0 b");
    EXPECT_EQ(Bytes(1000), "1000 b");
    EXPECT_EQ(Bytes(1024), "1024 b");
    EXPECT_EQ(Bytes(1025), "1.00 kb");
    EXPECT_EQ(Bytes(1048576), "1024.00 kb");
    EXPECT_EQ(Bytes(1048577), "1.00 Mb");
    EXPECT_EQ(Bytes(536870912), "512.00 Mb");
    EXPECT_EQ(Bytes(1073741824), "1024.00 Mb");
    EXPECT_EQ(Bytes(3221225472), "3.00 Gb") << "not truncated to 32 bits";
    EXPECT_EQ(Bytes(int64_t{5} << 40), "5120.00 Gb");
    EXPECT_EQ(Bytes(INT64_MAX), "8589934592.00 Gb");
    EXPECT_EQ(Bytes(-1), "0") << "negative: no unit";
    EXPECT_EQ(Bytes(INT64_MIN), "0");
}

TEST(QuantityFormat, TwoDecimalsRoundHalfUp) {
    EXPECT_EQ(Bytes(1152), "1.13 kb") << "1.125";
    EXPECT_EQ(Bytes(1151), "1.12 kb");
    EXPECT_EQ(Bytes(1048575), "1024.00 kb") << "1023.999";
    EXPECT_EQ(Hertz(44105), "44.11 kHz");
    EXPECT_EQ(Hertz(44104), "44.10 kHz");
}

TEST(QuantityFormat, RateAndHertzModesDifferAtExactlyOneThousand) {
    EXPECT_EQ(Rate(1000), "1000 bps");
    EXPECT_EQ(Rate(1001), "1.00 kbps");
    EXPECT_EQ(Rate(128000), "128.00 kbps");
    EXPECT_EQ(Rate(1000000), "1000.00 kbps");
    EXPECT_EQ(Rate(100000000), "100.00 Mbps");
    EXPECT_EQ(Rate(1000000001), "1.00 Gbps");
    EXPECT_EQ(Rate(-5), "-5 bps");

    EXPECT_EQ(Hertz(999), "999 Hz");
    EXPECT_EQ(Hertz(1000), "1.00 kHz");
    EXPECT_EQ(Hertz(44100), "44.10 kHz");
    EXPECT_EQ(Hertz(999999), "1000.00 kHz");
    EXPECT_EQ(Hertz(1000000), "1.00 MHz");
    EXPECT_EQ(Hertz(866000000), "866.00 MHz");
    EXPECT_EQ(Hertz(2000000000), "2.00 GHz");
    EXPECT_EQ(Hertz(0), "0 Hz");
}

TEST(QuantityFormat, RegionalSeparatorAndUnitWords) {
    EXPECT_EQ(FormatQuantity(44100, TQuantityMode::Hertz, TUnitWords::Defaults(), ","),
              "44,10 kHz");

    TUnitWords words = TUnitWords::Defaults();
    words.Set(TUnitWord::Byte, "");
    EXPECT_EQ(Bytes(1024, words), "1024 ") << "the blank after the number stays";
    EXPECT_EQ(Bytes(1025, words), "1.00 k");
    words.Set(TUnitWord::Kilo, "K");
    words.Set(TUnitWord::Byte, "B");
    EXPECT_EQ(Bytes(2048, words), "2.00 KB");
    EXPECT_EQ(Bytes(2048, TUnitWords()), "2.00 ") << "words not read yet";
}
