#include "engine/Charsets.h"
#include "engine/TagFormats.h"
#include "tests/engine/EngineFakes.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

// Bar pieces written as role digits: hb_k with the default mapping is code k + 1.
std::string Pieces(std::string_view roles) {
    std::string out;
    for (char r : roles) out += static_cast<char>(r - '0' + 1);
    return out;
}

} // namespace

TEST(BarPercent, RealNumbersRoundHalfToEven) {
    EXPECT_EQ(BarPercent("50"), 50);
    EXPECT_EQ(BarPercent(" 2.5 "), 2);
    EXPECT_EQ(BarPercent("3,5"), 4);
    EXPECT_EQ(BarPercent("99.5"), 100);
    EXPECT_EQ(BarPercent("1e2"), 100);
    EXPECT_EQ(BarPercent("+7"), 7);
    EXPECT_EQ(BarPercent("abc"), 0);
    EXPECT_EQ(BarPercent(""), 0);
    EXPECT_EQ(BarPercent("50%"), 0);
    EXPECT_EQ(BarPercent("nan"), 0);
    EXPECT_EQ(BarPercent("inf"), 0);
    EXPECT_EQ(BarPercent("0x10"), 0);
    EXPECT_EQ(BarPercent("-0.4"), 0);
    EXPECT_EQ(BarPercent("-3"), -1);
    EXPECT_EQ(BarPercent("100.6"), 101);
    EXPECT_EQ(BarPercent("1e999"), 101);
    EXPECT_EQ(BarPercent("-1e999"), -1);
    EXPECT_EQ(BarPercent("1e-999"), 0);
    EXPECT_EQ(BarPercent("99999999999999999999999"), 101);
}

TEST(BarFormat, PiecesForEmptyPartialAndFullBars) {
    TCharsets charsets;
    EXPECT_EQ(RenderBar(50, 10, charsets), Pieces("1555542227")) << "X = 4.5";
    EXPECT_EQ(RenderBar(0, 10, charsets), Pieces("0222222227"));
    EXPECT_EQ(RenderBar(100, 10, charsets), Pieces("1555555556"));
    EXPECT_EQ(RenderBar(99, 10, charsets), Pieces("1555555556")) << "X = 8.91: right end filled";
    EXPECT_EQ(RenderBar(89, 10, charsets), Pieces("1555555556"))
        << "X = 8.01: the right end takes the place of the partial cell";
    EXPECT_EQ(RenderBar(10, 12, charsets), Pieces("153222222227")) << "X = 1.1: one third";
    EXPECT_EQ(RenderBar(50, 11, charsets), Pieces("15555522227")) << "X = 5.0: empty partial";
    EXPECT_EQ(RenderBar(41, 11, charsets), Pieces("15555322227")) << "X = 4.1";
    EXPECT_EQ(RenderBar(9, 11, charsets), Pieces("15222222227")) << "X = 0.9: a full partial cell";
    EXPECT_TRUE(RenderBar(101, 10, charsets).empty());
    EXPECT_TRUE(RenderBar(-1, 10, charsets).empty());
    for (int p = 0; p <= 100; ++p)
        for (int w = 2; w <= 20; ++w)
            ASSERT_EQ(RenderBar(p, w, charsets).size(), static_cast<size_t>(w)) << p << "% " << w;
    EXPECT_FALSE(RenderBar(50, 0, charsets).empty()) << "a field of width 0 still draws its ends";

    charsets.SetMapping(kHorizontalBarRoles + 5, 8);
    EXPECT_EQ(RenderBar(100, 3, charsets), std::string("\x02\x08\x07"));
}

TEST(DigitBarFormat, FilledCellsUnderscoresAndTwoDigits) {
    EXPECT_EQ(RenderDigitBar(100, 8), "\x01\x01\x01"
                                      "99"
                                      "\x01\x01\x01");
    EXPECT_EQ(RenderDigitBar(7, 8), "___07___");
    EXPECT_EQ(RenderDigitBar(50, 10), "\x01\x01\x01\x01"
                                      "50"
                                      "____");
    EXPECT_EQ(RenderDigitBar(50, 1), "0") << "position 0 does not exist";
    EXPECT_EQ(RenderDigitBar(50, 2), "50");
    EXPECT_TRUE(RenderDigitBar(101, 8).empty());
    EXPECT_TRUE(RenderDigitBar(-1, 8).empty());
}

TEST(SimpleBarFormat, RedefinesFourSlotsAndFillsTheWidth) {
    TCharsets charsets;
    TRecordingDriver driver;
    charsets.SetDriver(&driver);
    const TGlyphRows full = {0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f};

    EXPECT_EQ(RenderSimpleBar(50, 4, charsets), "\x01\x01\x02\x04");
    ASSERT_EQ(driver.Defines.size(), 4u);
    EXPECT_EQ(driver.Defines[0].Rows, full);
    EXPECT_EQ(driver.Defines[1].Rows, (TGlyphRows{0x1f, 0, 0, 0, 0, 0, 0, 0x1f}));
    EXPECT_EQ(driver.Defines[3].Rows, (TGlyphRows{0x1f, 1, 1, 1, 1, 1, 1, 0x1f}));

    driver.Defines.clear();
    EXPECT_EQ(RenderSimpleBar(0, 3, charsets), "\x02\x03\x04");
    EXPECT_EQ(driver.Defines[1].Rows, (TGlyphRows{0x1f, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1f}))
        << "an empty bar still shows one pixel column";

    driver.Defines.clear();
    EXPECT_EQ(RenderSimpleBar(90, 2, charsets), "\x01\x02") << "9 pixels: one full cell";
    EXPECT_EQ(driver.Defines[1].Rows, (TGlyphRows{0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f, 0x1f}))
        << "four pixels plus the right frame";
    EXPECT_EQ(RenderSimpleBar(100, 5, charsets), "\x01\x01\x01\x01\x01");
    EXPECT_EQ(RenderSimpleBar(5, 10, charsets).size(), 10u);
    EXPECT_TRUE(RenderSimpleBar(101, 5, charsets).empty());
}

TEST(FieldScroll, WindowOverValueBlankValue) {
    EXPECT_EQ(ScrollWindow("abcde", 0, 3), "abc");
    EXPECT_EQ(ScrollWindow("abcde", 4, 3), "de ");
    EXPECT_EQ(ScrollWindow("abcde", 6, 3), " ab");
    EXPECT_EQ(ScrollWindow("abcde", 10, 3), "de") << "the ring ends";
    EXPECT_EQ(ScrollWindow("abcde", 12, 3), "");
    EXPECT_EQ(ScrollWindow("", 1, 3), " ");
    EXPECT_EQ(ScrollWindow("abc", 1, -2), "");
}
