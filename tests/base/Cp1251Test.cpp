#include "base/Cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

using namespace orv;

namespace {

// The UTF-8 text of one byte according to the C library's CP1251 table; empty if it has none.
std::string IconvByte(uint8_t byte) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
    char in = static_cast<char>(byte);
    char out[8] = {};
    char* pin = &in;
    char* pout = out;
    size_t inLeft = 1, outLeft = sizeof out;
    const size_t rc = iconv(cd, &pin, &inLeft, &pout, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return {};
    return std::string(out, sizeof out - outLeft);
}

} // namespace

TEST(Cp1251, EveryByteMatchesTheCLibraryTable) {
    for (int b = 1; b < 256; ++b) {
        const std::string expected = IconvByte(static_cast<uint8_t>(b));
        const std::string got = Cp1251ToUtf8(std::string(1, static_cast<char>(b)));
        if (expected.empty()) {
            EXPECT_EQ(got, "?") << "byte " << b;
            continue;
        }
        EXPECT_EQ(got, expected) << "byte " << b;
        EXPECT_EQ(Utf8ToCp1251(expected), std::string(1, static_cast<char>(b))) << "byte " << b;
    }
}

TEST(Cp1251, RoundTripsRussianText) {
    const std::string utf8 = "Привет, мир! Ёё №5 «ок» — €";
    const std::string cp = Utf8ToCp1251(utf8);
    EXPECT_EQ(cp.size(), 27u);
    EXPECT_EQ(static_cast<uint8_t>(cp[0]), 0xCF); // П
    EXPECT_EQ(Cp1251ToUtf8(cp), utf8);
}

TEST(Cp1251, UnmappableAndMalformedInputBecomesQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("a\xE2\x98\x83z"), "a?z"); // snowman
    EXPECT_EQ(Utf8ToCp1251("\xF0\x9F\x98\x80"), "?"); // emoji
    EXPECT_EQ(Utf8ToCp1251("x\xC3"), "x?");           // truncated sequence
    EXPECT_EQ(Utf8ToCp1251("\xC0\xAF"), "??");        // overlong form
    EXPECT_EQ(Utf8ToCp1251("\x80q"), "?q");           // stray continuation byte
    EXPECT_EQ(Cp1251ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1251, LiteralsAreConvertedAtCompileTime) {
    constexpr const char* text = "Дата/время"_cp1251;
    EXPECT_EQ(std::string(text), Utf8ToCp1251("Дата/время"));
    EXPECT_STREQ("plain"_cp1251, "plain");
}

TEST(Cp1251, FileTextIsReadAsUtf8OnlyWhenItIsMultiByteUtf8) {
    EXPECT_EQ(FileTextToCp1251("Tschüß – Пока"), "Tsch?? \x96 \xCF\xEE\xEA\xE0");
    EXPECT_EQ(FileTextToCp1251("\xEF\xBB\xBF[Пока]"), "[\xCF\xEE\xEA\xE0]");
    // Windows-1251 text, as the program writes it, is no valid UTF-8 and stays as it is.
    const std::string cp1251 = Utf8ToCp1251("Привет, мир! Ёё №5");
    EXPECT_EQ(FileTextToCp1251(cp1251), cp1251);
    // One bad sequence among good ones: the file is not UTF-8.
    EXPECT_EQ(FileTextToCp1251("Пока \xE0 и"), "Пока \xE0 и");
    EXPECT_EQ(FileTextToCp1251("plain ASCII"), "plain ASCII");
    EXPECT_EQ(FileTextToCp1251("\xEF\xBF\xBD"), "?"); // U+FFFD is valid UTF-8 itself
}

TEST(Cp1251, FileTextReadsBackAsTheWindows1251TextItWasWrittenFrom) {
    // Ordinary Cyrillic stays Windows-1251 on disk.
    const std::string plain = Utf8ToCp1251("Температура 42°");
    EXPECT_EQ(Cp1251ToFileText(plain), plain);
    // In Windows-1251, "Р°" and "п»Ѕ" are the bytes of UTF-8 "а" and U+FFFD: written as UTF-8.
    for (const std::string& text : {Utf8ToCp1251("Р° 5"), Utf8ToCp1251("x п»Ѕ x")}) {
        const std::string file = Cp1251ToFileText(text);
        EXPECT_TRUE(file.starts_with("\xEF\xBB\xBF")) << text;
        EXPECT_EQ(FileTextToCp1251(file), text);
    }
}
