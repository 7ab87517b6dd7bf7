#include "tests/support/BuiltModule.h"

#include <gtest/gtest.h>

using namespace orv;
using orv::test::TBuiltModule;

namespace {
enum : int32_t { charset, customChar, namedChar, maskChar, animChars, dollar, lbracket, rbracket };
} // namespace

TEST(Glyphset, DescriptorListsTheEightTagsWithTheirTexts) {
    TBuiltModule glyphset("glyphset.so");
    ASSERT_TRUE(glyphset.Loaded());
    const TPluginDescriptor& d = glyphset.Descriptor();
    EXPECT_STREQ(d.Name, "Custom chars support");
    EXPECT_TRUE(
        Cp1251ToUtf8(d.Description).starts_with("Поддержка наборов пользовательских символов\r\r"));
    EXPECT_EQ(d.Id, 11);
    EXPECT_EQ(Cp1251ToUtf8(d.GroupCaption), "Символы пользователя");
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$defineCharset", "$CustomChar", "$NamedChar", "$MaskChar",
                                     "$AnimChars", "$US", "$<", "$>"}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagCaptions),
              TBuiltModule::Sixteen({"переключить набор символов", "вывести символ пользователя",
                                     "вывести символ по имени", "вывести символ по маске",
                                     "вывести анимацию символов", "вывести символ \"$\"",
                                     "вывести символ \"[\"", "вывести символ \"]\""}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagExamples)[3],
              "$MaskChar['1;x00;x00;x00;x00;x00;x00;x00;x00']$");

    // Paragraphs of a hint are separated by two carriage returns.
    const std::vector<std::string> hints = TBuiltModule::Texts(d.TagHints);
    EXPECT_NE(hints[1].find("с единицы!\r\rПеред выводом символа"), std::string::npos);
    for (size_t k : {5, 6, 7})
        EXPECT_TRUE(hints[k].ends_with("\"\r\rНекоторые символы ($, [, ]) нельзя вывести как "
                                       "обычные символы, т.к. они используются в формировании "
                                       "тега; поэтому для их вывода используются специальные теги"))
            << k;
    EXPECT_EQ(d.LoadSettings, nullptr);
    EXPECT_EQ(d.Configure, nullptr);
    EXPECT_EQ(d.Finalize, nullptr);
}

TEST(Glyphset, DefineCharsetAndCustomCharTakeANumber) {
    TBuiltModule glyphset("glyphset.so");
    ASSERT_TRUE(glyphset.Loaded());
    EXPECT_EQ(glyphset.Value(charset, "1"), "_SwitchCharset:1");
    EXPECT_EQ(glyphset.Value(charset, "0"), "_SwitchCharset:0") << "tag without brackets";
    EXPECT_EQ(glyphset.Value(charset, ""), "_SwitchCharset:0");
    EXPECT_EQ(glyphset.Value(charset, "'1;x'"), "_SwitchCharset:0") << "text counts as 0";

    EXPECT_EQ(glyphset.Value(customChar, "3"), "\x03");
    EXPECT_EQ(glyphset.Value(customChar, "255"), "\xFF");
    // No code 0 (it would end the string) and no wrapped codes: such numbers show nothing.
    for (const char* param : {"0", "256", "300", "-1", "", "abc"})
        EXPECT_EQ(glyphset.Value(customChar, param), "") << param;
}

TEST(Glyphset, GlyphCommandsCarryTheTextArgumentButNeverAnEarlierOne) {
    TBuiltModule glyphset("glyphset.so");
    ASSERT_TRUE(glyphset.Loaded());
    EXPECT_EQ(glyphset.Value(namedChar, "'1;char_name'"), "_NamedChar:'1;char_name'");
    EXPECT_EQ(glyphset.Value(maskChar, "'1;x00;x1F;x00;x1F;x00;x1F;x00;x1F'"),
              "_MaskChar:'1;x00;x1F;x00;x1F;x00;x1F;x00;x1F'");
    EXPECT_EQ(glyphset.Value(animChars, "'7;a;b'"), "_AnimList:'7;a;b'");

    // A number is no glyph reference: the command word alone, whatever came before.
    const std::pair<int32_t, const char*> commands[] = {
        {namedChar, "_NamedChar:"}, {maskChar, "_MaskChar:"}, {animChars, "_AnimList:"}};
    for (const auto& [index, word] : commands) {
        {
            std::string earlier = "'3;gone_glyph'";
            glyphset.Value(index, earlier.c_str());
            earlier.assign(earlier.size(), 'X');
        }
        EXPECT_EQ(glyphset.Value(index, "5"), word);
        EXPECT_EQ(glyphset.Value(index, "0"), word);
    }
}

TEST(Glyphset, ReservedCharactersReleaseAndUnknownIndexes) {
    TBuiltModule glyphset("glyphset.so");
    ASSERT_TRUE(glyphset.Loaded());
    // The template $US$$<$$>$.
    EXPECT_EQ(glyphset.Value(dollar) + glyphset.Value(lbracket) + glyphset.Value(rbracket), "$[]");
    EXPECT_EQ(glyphset.Value(0x12340000 | dollar), "$") << "only the low 16 bits count";

    EXPECT_EQ(glyphset.Value(namedChar, "'1;a'"), "_NamedChar:'1;a'");
    EXPECT_EQ(glyphset.Value(-1), "");
    EXPECT_EQ(glyphset.Value(namedChar, "'1;a'"), "_NamedChar:'1;a'");
    EXPECT_EQ(glyphset.Value(static_cast<int32_t>(0xABCDFFFF)), "") << "also -1";
    EXPECT_EQ(glyphset.Value(8), "");
}
