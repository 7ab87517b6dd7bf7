// The quoted mask text of a user-defined character, read and written.
#include "engine/CustomGlyph.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

constexpr TGlyphRows kLetterA{0x00, 0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x00};

} // namespace

TEST(GlyphMask, AMaskTextReadsIntoNumberAndRowsAndIsWrittenTheSame) {
    const char* text = "'1;x00;x0E;x11;x11;x1F;x11;x11;x00'";
    const TGlyphMask mask = ParseGlyphMask(text);
    EXPECT_EQ(mask.Number, 1);
    EXPECT_EQ(mask.Rows, kLetterA);
    EXPECT_EQ(FormatGlyphMask(mask), text);
    EXPECT_EQ(FormatGlyphMask({3, {0x04, 0x0E, 0x1F, 0x0E, 0x04}}),
              "'3;x04;x0E;x1F;x0E;x04;x00;x00;x00'");
}

TEST(GlyphMask, WhatAMaskTextLacksReadsAsNumberOneAndEmptyRows) {
    for (const char* text : {"", "'", "''", "-1", "'x;x1F'"}) {
        const TGlyphMask mask = ParseGlyphMask(text);
        EXPECT_EQ(mask.Number, 1) << text;
        EXPECT_EQ(mask.Rows[1], 0) << text;
    }
    const TGlyphMask partial = ParseGlyphMask("'5;x1F;x0A'");
    EXPECT_EQ(partial.Number, 5);
    EXPECT_EQ(partial.Rows, (TGlyphRows{0x1F, 0x0A}));
    EXPECT_EQ(ParseGlyphMask("' 2 ; x1f ;x1x;31'").Rows, (TGlyphRows{0x1F, 0, 0x1F}))
        << "blanks ignored, lower-case hexadecimal, decimal rows, a broken row reads as 0";
    EXPECT_EQ(ParseGlyphMask("'9;x01'").Number, 9) << "the caller judges the range";
    EXPECT_EQ(ParseGlyphMask("1;x01;x02").Rows[1], 2) << "the quotes may be missing";
}

TEST(GlyphMask, OnlyTheFiveDotsOfARowAreWritten) {
    EXPECT_EQ(FormatMaskRows({0xFF, 0x20, 0x3F}), "x1F;x00;x1F;x00;x00;x00;x00;x00");
}
