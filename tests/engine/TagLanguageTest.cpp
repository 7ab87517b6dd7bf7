#include "engine/TagLanguage.h"
#include "tests/engine/EngineFakes.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

class TagLanguage : public ::testing::Test {
protected:
    TagLanguage() {
        catalogue.Declare("chronos.so", {"$time", "$date", "$v", "$w"});
        catalogue.SetAnswer("$time", "12:34");
        charsets.SetDriver(&driver);
    }

    TTagList Split(std::string_view lineTemplate, int32_t lineNo = 1) {
        TTagList tags;
        language.SplitLine(lineTemplate, lineNo, tags);
        return tags;
    }

    // One tick of a one-line template, as often as asked.
    std::vector<std::string> Ticks(TTagList& tags, int count, int32_t width = 20) {
        std::vector<std::string> lines;
        for (int i = 0; i < count; ++i) lines.push_back(language.BuildLine(tags, 1, width));
        return lines;
    }

    size_t CallsWithArgument(const std::string& argument) const {
        return std::count_if(catalogue.Calls.begin(), catalogue.Calls.end(),
                             [&](const auto& c) { return c.Argument == argument; });
    }

    TFakeCatalogue catalogue;
    TCharsets charsets;
    TRecordingDriver driver;
    TTagLanguage language{catalogue, charsets};
};

// Answers as the character-set module gives them.
void DeclareGlyphModule(TFakeCatalogue& catalogue) {
    catalogue.Declare("glyphset.so", {"$defineCharset", "$CustomChar", "$NamedChar", "$MaskChar",
                                      "$AnimChars", "$US", "$<", "$>"});
    catalogue.SetAnswerFunction([](const TFakeCatalogue::TCall& call) -> std::string {
        if (call.ModuleKey != "glyphset.so") return "x";
        switch (call.TagIndex) {
        case 0: return "_SwitchCharset:" + call.Argument;
        case 1: return std::string(1, static_cast<char>(std::stoi(call.Argument)));
        case 2: return "_NamedChar:" + call.Argument;
        case 3: return "_MaskChar:" + call.Argument;
        case 4: return "_AnimList:" + call.Argument;
        case 5: return "$";
        case 6: return "[";
        default: return "]";
        }
    });
}

} // namespace

TEST_F(TagLanguage, TagWithoutParametersTakesTheDefaults) {
    auto tags = Split("$time$", 2);
    ASSERT_EQ(tags.size(), 1u);
    const TLCDTag& t = tags[0];
    EXPECT_EQ(t.LineNo, 2);
    EXPECT_EQ(t.Name, "$time");
    EXPECT_EQ(t.ModuleKey, "chronos.so");
    EXPECT_EQ(t.TagIndex, 0);
    EXPECT_EQ(t.Argument, "0");
    EXPECT_EQ(t.Left, kLeftFollow);
    EXPECT_EQ(t.Width, 5);
    EXPECT_FALSE(t.Overflow);
    EXPECT_EQ(t.PadCount, 0);
    EXPECT_FALSE(t.RefreshOn);
    EXPECT_EQ(t.Format, tfText);
    EXPECT_EQ(t.TickCount, 1);
    EXPECT_EQ(t.Value, "12:34");
    ASSERT_EQ(catalogue.Calls.size(), 1u);
    EXPECT_EQ(catalogue.Calls[0].Argument, "0");
}

TEST_F(TagLanguage, ParametersByPositionAndTheirFallbacks) {
    auto tags = Split("$time[5,r,8,4,flash]$$time[,x,y,z,w]$$time[]$$date[a,,,,anim]$"
                      "$date[a,,,,anim_char]$$date[a,-1,,,simple_bar]$");
    ASSERT_EQ(tags.size(), 6u);
    EXPECT_EQ(tags[0].Argument, "5");
    EXPECT_EQ(tags[0].Left, kLeftRight);
    EXPECT_EQ(tags[0].Width, 8);
    EXPECT_EQ(tags[0].PadCount, 3);
    EXPECT_EQ(tags[0].RefreshMode, 4);
    EXPECT_TRUE(tags[0].RefreshOn);
    EXPECT_EQ(tags[0].Format, tfFlash);

    EXPECT_EQ(tags[1].Argument, "");
    EXPECT_EQ(tags[1].Left, kLeftFollow);
    EXPECT_EQ(tags[1].Width, 5);
    EXPECT_FALSE(tags[1].RefreshOn);
    EXPECT_EQ(tags[1].Format, tfText);

    EXPECT_EQ(tags[2].Argument, "") << "an empty item is an empty argument";
    EXPECT_EQ(tags[3].Format, tfAnim);
    EXPECT_EQ(tags[3].AnimIndex, 1);
    EXPECT_EQ(tags[4].Format, tfAnimChar);
    EXPECT_EQ(tags[4].AnimIndex, 0);
    EXPECT_EQ(tags[5].Format, tfSimpleBar);
}

TEST_F(TagLanguage, RefreshRatesFollowTheTickCounter) {
    auto tags = Split("$date[m1,,,1]$$date[m2,,,2]$$date[m3,,,3]$$date[m4,,,4]$$date[m9,,,9]$");
    catalogue.Calls.clear();
    Ticks(tags, 40);
    EXPECT_EQ(CallsWithArgument("m1"), 2u) << "very low: every 20 ticks";
    EXPECT_EQ(CallsWithArgument("m2"), 10u) << "low: every fourth tick";
    EXPECT_EQ(CallsWithArgument("m3"), 20u) << "medium: every second tick";
    EXPECT_EQ(CallsWithArgument("m4"), 40u) << "high: every tick";
    EXPECT_EQ(CallsWithArgument("m9"), 0u) << "unknown rates never refresh";

    language.SetLongDelayPeriod(8);
    tags = Split("$date[m1,,,1]$");
    catalogue.Calls.clear();
    Ticks(tags, 40);
    EXPECT_EQ(CallsWithArgument("m1"), 5u);

    language.SetLongDelayPeriod(0);
    EXPECT_EQ(language.LongDelayPeriod(), 1);
    Ticks(tags, 3);
    EXPECT_EQ(CallsWithArgument("m1"), 8u);
}

TEST_F(TagLanguage, ArgumentFiveWithMediumRateRefreshesEverySecondTick) {
    auto tags = Split("$time[5,,,3]$");
    Ticks(tags, 6);
    ASSERT_EQ(catalogue.Calls.size(), 4u);
    EXPECT_EQ(catalogue.Calls.back().Argument, "5");
}

TEST_F(TagLanguage, UnknownTagsAndPlainTextShowThemselves) {
    auto tags = Split("Hello $foo$!");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "Hello foo!");
    EXPECT_TRUE(catalogue.Calls.empty());

    tags = Split("$$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "");
    tags = Split("end$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "end");
    tags = Split("x[y]z");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "x") << "text after [ is read as parameters";
    tags = Split("_4Clock _SetFlash");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "_4Clock _SetFlash") << "plain text has no commands";
    EXPECT_TRUE(driver.Defines.empty());
    tags = Split("$Time$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "Time") << "tag names are case-sensitive";
}

TEST_F(TagLanguage, ModuleGoneAtEvaluationGivesAnEmptyValue) {
    auto tags = Split("<$time[,,,4]$>");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "<12:34>");
    catalogue.Remove("chronos.so");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "<>");
}

TEST_F(TagLanguage, LeftPlacesElementsOnTheLine) {
    auto tags = Split("ab$time[,r]$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "ab             12:34");
    tags = Split("abcdefghijklmnopqrs$time[,r]$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "abcdefghijklmno12:34");
    tags = Split("abcdefghij$time[,r]$");
    EXPECT_EQ(language.BuildLine(tags, 1, 3), "12:34") << "wider than the display: starts at 1";
    tags = Split("ab$time[,5]$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "ab  12:34");
    tags = Split("abcdefgh$time[,3]$!");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "ab12:34!");
    tags = Split("ab$time[,25]$$time[,0]$$time[,-2]$$time[,21]$!");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "ab!") << "columns outside 1..20 are not drawn";

    catalogue.SetAnswer("$v", "abc");
    tags = Split("$v[,r,,4,anim]$");
    EXPECT_EQ(Ticks(tags, 3, 4), (std::vector<std::string>{"   a", "   b", "   c"}))
        << "a right-aligned element renders once per tick";
}

TEST_F(TagLanguage, LinesTakeOnlyTheirOwnElements) {
    TTagList tags;
    language.SplitLine("one", 1, tags);
    language.SplitLine("two $time$", 2, tags);
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "one");
    EXPECT_EQ(language.BuildLine(tags, 2, 20), "two 12:34");
    EXPECT_EQ(language.BuildLine(tags, 3, 20), "");
}

TEST_F(TagLanguage, FieldWidthIsDecidedByTheFirstValue) {
    catalogue.SetAnswer("$v", "abc");
    auto tags = Split("$v[,,4,4]$|");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "abc |");
    catalogue.SetAnswer("$v", "abcde");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "abcde |") << "padded, not scrolled";

    tags = Split("$v[,,3,4]$|");
    EXPECT_TRUE(tags[0].Overflow);
    EXPECT_EQ(Ticks(tags, 9), (std::vector<std::string>{"abc|", "abc|", "bcd|", "cde|", "de |",
                                                        "e a|", " ab|", "abc|", "bcd|"}));
    catalogue.SetAnswer("$v", "x");
    EXPECT_EQ(Ticks(tags, 3), (std::vector<std::string>{"x|", "x x|", " x|"}))
        << "a value that shrank keeps scrolling inside its old field";
}

TEST_F(TagLanguage, FlashAndAnimationFormats) {
    catalogue.SetAnswer("$v", "ab");
    catalogue.SetAnswer("$w", "abc");
    auto tags = Split("$v[,,,,flash]$|$w[,,,,anim]$|$w[,,,,anim_char]$");
    EXPECT_EQ(Ticks(tags, 4),
              (std::vector<std::string>{"  |a|abc", "ab|b|abc", "  |c|abc", "ab|a|abc"}));
    catalogue.SetAnswer("$w", "");
    tags = Split("$w[,,,,anim]$|");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "|");
}

TEST_F(TagLanguage, BarFormatsOnALine) {
    catalogue.SetAnswer("$v", "50");
    auto tags = Split("$v[,,10,,bar]$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "\x02\x06\x06\x06\x06\x05\x03\x03\x03\x08");
    catalogue.SetAnswer("$v", "100");
    tags = Split("$v[,,8,,digit_bar]$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "\x01\x01\x01"
                                               "99"
                                               "\x01\x01\x01");
    catalogue.SetAnswer("$v", "7");
    tags = Split("$v[,,8,,digit_bar]$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "___07___");
    catalogue.SetAnswer("$v", "n/a");
    tags = Split("$v[,,4,,bar]$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "\x01\x03\x03\x08") << "not a number counts as 0";
}

TEST_F(TagLanguage, GlyphCommandsLoadSlotsAndShowTheirCode) {
    DeclareGlyphModule(catalogue);
    auto tags = Split("$US$$<$$>$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "$[]");

    tags = Split("$defineCharset[1]$$CustomChar[9]$");
    std::string row = language.BuildLine(tags, 1, 20);
    charsets.MapRow(row);
    EXPECT_EQ(row, "\x01");
    EXPECT_EQ(charsets.ActiveCharset(), 1);
    EXPECT_EQ(driver.Defines.size(), 8u);

    driver.Defines.clear();
    tags = Split("$NamedChar['3;vb_3']$$MaskChar['2;x1F;x00;x1F;x00;x1F;x00;x1F;x00']$"
                 "$NamedChar['4;nothing']$");
    EXPECT_EQ(language.BuildLine(tags, 1, 20), "\x03\x02\x04");
    ASSERT_EQ(driver.Defines.size(), 2u) << "an unknown glyph name defines nothing";
    EXPECT_EQ(driver.Defines[0].Slot, 2);
    EXPECT_EQ(driver.Defines[0].Rows, charsets.Glyph(12)->Rows);
    EXPECT_EQ(driver.Defines[1].Slot, 1);
    EXPECT_EQ(driver.Defines[1].Rows, (TGlyphRows{0x1f, 0, 0x1f, 0, 0x1f, 0, 0x1f, 0}));

    driver.Defines.clear();
    tags = Split("$AnimChars['4;hb_0;hb_5;vb_0',,,4,anim_char]$");
    EXPECT_EQ(Ticks(tags, 3), (std::vector<std::string>{"\x04", "\x04", "\x04"}));
    ASSERT_EQ(driver.Defines.size(), 4u);
    EXPECT_EQ(driver.Defines[0].Rows, charsets.Glyph(1)->Rows) << "first value at parsing";
    EXPECT_EQ(driver.Defines[1].Rows, charsets.Glyph(6)->Rows);
    EXPECT_EQ(driver.Defines[2].Rows, charsets.Glyph(9)->Rows);
    EXPECT_EQ(driver.Defines[3].Rows, charsets.Glyph(1)->Rows) << "back to the first name";
    EXPECT_EQ(tags[0].AnimSlot, 4);
    EXPECT_EQ(tags[0].AnimList.size(), 3u);
}

TEST_F(TagLanguage, FlashCommandsAndTheBigClock) {
    catalogue.SetAnswer("$v", "_SetFlash_MaskList:1;2;hb_0;hb_1");
    auto tags = Split("$v$|");
    EXPECT_EQ(tags[0].Format, tfFlash);
    EXPECT_EQ(tags[0].Value, "\x02");
    ASSERT_EQ(driver.Defines.size(), 1u);
    EXPECT_EQ(driver.Defines[0].Slot, 1);
    EXPECT_EQ(driver.Defines[0].Rows, charsets.Glyph(2)->Rows) << "name 1 of the list";
    EXPECT_EQ(Ticks(tags, 2), (std::vector<std::string>{" |", "\x02|"}));

    catalogue.SetAnswer("$v", "_SetFlashhello");
    tags = Split("$v$");
    EXPECT_EQ(tags[0].Value, "hello");
    catalogue.SetAnswer("$v", "_UnsetFlashbye");
    language.Evaluate(tags[0]);
    EXPECT_EQ(tags[0].Format, tfText);
    EXPECT_EQ(tags[0].Value, "bye");

    driver.Defines.clear();
    catalogue.SetAnswer("$w", "_4Clock");
    tags = Split("$w$");
    EXPECT_EQ(tags[0].Value, "");
    EXPECT_EQ(driver.Defines.size(), 6u);
    EXPECT_EQ(charsets.ActiveCharset(), 2);
}

TEST_F(TagLanguage, CommandsWithoutAValidSlotDoNothingAndTheCycleGoesOn) {
    const std::vector<std::string> answers = {
        "_NamedChar:'x;vb_3'", "_NamedChar:'0;vb_3'", "_NamedChar:'9;vb_3'",
        "_NamedChar",          "_MaskChar:",          "_MaskChar:'z;x1F'",
        "_SwitchCharset:z",    "_SwitchCharset:",     "_MaskList:1;",
        "_MaskList:a;2;hb_1",  "_MaskList:1;x;hb_1",  "_AnimList:'9;a;b'",
        "_AnimList:",          "ab_NamedChar",        "_SetFlash",
        "_SetFlash_UnsetFlash"};
    charsets.SwitchCharset(0);
    driver.Defines.clear();
    size_t next = 0;
    catalogue.SetAnswerFunction([&](const auto&) { return answers[next++ % answers.size()]; });
    auto tags = Split("$v[,,,4]$");
    for (size_t i = 0; i < answers.size(); ++i) {
        const std::string line = language.BuildLine(tags, 1, 20);
        EXPECT_TRUE(tags[0].Value.empty()) << answers[i];
    }
    EXPECT_TRUE(driver.Defines.empty());
    EXPECT_EQ(charsets.ActiveCharset(), 0);

    catalogue.SetAnswerFunction([](const auto&) { return std::string("_MaskList:5;3;a;b"); });
    language.Evaluate(tags[0]);
    EXPECT_EQ(tags[0].Value, "\x03") << "a list too short defines nothing but shows the slot";
    EXPECT_TRUE(driver.Defines.empty());

    catalogue.SetAnswerFunction([](const auto&) { return std::string("_AnimList:'3;hb_2'"); });
    tags = Split("$v[,,,4,anim]$");
    EXPECT_EQ(tags[0].AnimIndex, 0) << "an index past the list starts again at its front";
    EXPECT_EQ(driver.Defines.size(), 1u);
}

TEST_F(TagLanguage, OversizedAnswersAndParametersAreBounded) {
    catalogue.SetAnswer("$v", std::string(1 << 20, 'x'));
    auto tags = Split("$v$");
    EXPECT_EQ(tags[0].Value.size(), kMaxValueLength);
    EXPECT_EQ(language.BuildLine(tags, 1, 20).size(), kMaxValueLength);

    catalogue.SetAnswer("$v", "$[x],\"'");
    tags = Split("$v[,,2147483647]$$v[,,-5]$|");
    EXPECT_EQ(tags[0].Width, static_cast<int32_t>(kMaxValueLength));
    EXPECT_EQ(tags[1].Width, 0);
    EXPECT_EQ(language.BuildLine(tags, 1, 20),
              "$[x],\"'" + std::string(kMaxValueLength - 7, ' ') + "|");

    catalogue.SetAnswer("$v", "1");
    TLCDTag tag = language.ParseElement("$v[2147483647,0,,,1]$");
    EXPECT_EQ(tag.LineNo, 2147483647);
    language.SetLongDelayPeriod(2147483647);
    tag.TickCount = 2147483647;
    language.Render(tag);
    EXPECT_EQ(tag.TickCount, 1) << "the refresh counter never overflows";
}
