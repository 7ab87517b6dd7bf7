// Random templates and random module answers through parsing, evaluation, rendering, line
// building, character mapping and transitions.
#include "engine/TagLanguage.h"
#include "engine/Transitions.h"
#include "tests/engine/EngineFakes.h"

#include <gtest/gtest.h>

#include <random>

using namespace orv;
using namespace orv::test;

namespace {

class TRandomText {
public:
    explicit TRandomText(uint32_t seed) : rng_(seed) {}

    size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

    std::string Bytes(size_t maxLength) {
        std::string s(Below(maxLength + 1), '\0');
        for (char& c : s) c = static_cast<char>(Below(255) + 1);
        return s;
    }

    std::string Template() {
        static const std::vector<std::string> tokens = {"$",           "$",
                                                        "[",           "]",
                                                        ",",           ",",
                                                        "\"",          "'",
                                                        " ",           "r",
                                                        "5",           "-1",
                                                        "0",           "100",
                                                        "25",          "99999999999",
                                                        "bar",         "flash",
                                                        "anim",        "anim_char",
                                                        "simple_bar",  "digit_bar",
                                                        "$a",          "$b",
                                                        "$c",          "$a[",
                                                        "$b[,",        "$c[,r,",
                                                        "$a$",         "$b[1,,4,4,bar]$",
                                                        "$c[x,,3,4]$", "$a[,r,,4,anim]$",
                                                        "text",        "#enum3",
                                                        "_4Clock"};
        std::string s;
        const size_t count = Below(12);
        for (size_t i = 0; i < count; ++i)
            s += Below(6) == 0 ? Bytes(4) : tokens[Below(tokens.size())];
        return s;
    }

    std::string Answer() {
        static const std::vector<std::string> answers = {"",
                                                         "50",
                                                         "100",
                                                         "-3",
                                                         "2.5",
                                                         "12,5",
                                                         "1e400",
                                                         "abc",
                                                         "$",
                                                         "[",
                                                         "]",
                                                         "$$[",
                                                         "_SetFlash",
                                                         "_UnsetFlash",
                                                         "_4Clock",
                                                         "_NamedChar:'1;vb_3'",
                                                         "_NamedChar:'x",
                                                         "_MaskChar:'2;x1F;x00'",
                                                         "_MaskChar:9",
                                                         "_SwitchCharset:1",
                                                         "_SwitchCharset:q",
                                                         "_MaskList:1;3;a;hb_1",
                                                         "_MaskList:",
                                                         "_AnimList:'4;hb_0;vb_7'",
                                                         "_AnimList:'4;'",
                                                         "_SetFlash_AnimList:'8;cust_1;cust_2'",
                                                         "#skip",
                                                         "#enum5"};
        switch (Below(5)) {
        case 0: return Bytes(40);
        case 1: return answers[Below(answers.size())] + Bytes(3);
        case 2:
            return Below(20) == 0 ? std::string(Below(20000), static_cast<char>(Below(255) + 1))
                                  : "x";
        default: return answers[Below(answers.size())];
        }
    }

private:
    std::mt19937 rng_;
};

} // namespace

TEST(EngineFuzz, RandomTemplatesAndAnswersKeepRowsWellFormed) {
    constexpr int kWidth = 20, kRows = 4;
    TRandomText random(20240611);
    TFakeCatalogue catalogue;
    catalogue.Declare("m.so", {"$a", "$b", "$c"});
    catalogue.Declare("edge.so", {"$z"});
    catalogue.SetAnswerFunction([&](const TFakeCatalogue::TCall& call) {
        return call.ModuleKey == "edge.so" ? std::string("|") : random.Answer();
    });
    TCharsets charsets;
    TRecordingDriver driver(kRows, kWidth);
    charsets.SetDriver(&driver);
    TTagLanguage language(catalogue, charsets);

    for (int screen = 0; screen < 2000; ++screen) {
        TTagList tags;
        for (int line = 1; line <= kRows; ++line) language.SplitLine(random.Template(), line, tags);
        // A one-character right-aligned element last on every line: each line must come out
        // exactly as wide as the display, whatever came before it.
        for (int line = 1; line <= kRows; ++line) language.SplitLine("$z[,r]$", line, tags);
        for (int tick = 0; tick < 25; ++tick) {
            for (int line = 1; line <= kRows; ++line) {
                std::string row = language.BuildLine(tags, line, kWidth);
                ASSERT_EQ(row.size(), static_cast<size_t>(kWidth)) << "screen " << screen;
                ASSERT_EQ(row.back(), '|');
                const size_t before = row.size();
                charsets.MapRow(row);
                ASSERT_EQ(row.size(), before);
                for (char c : row)
                    ASSERT_FALSE(static_cast<unsigned char>(c) < 32 && c > 8) << "unmapped code";
            }
        }
        for (const auto& d : driver.Defines) ASSERT_LT(d.Slot, 8);
        driver.Defines.clear();
    }
}

TEST(EngineFuzz, TransitionsWriteWholeRowsForAnyInput) {
    TRandomText random(7);
    TFakeClock clock;
    TSystemRandom chance;
    TTransitionPlayer player(clock, chance);
    for (int round = 0; round < 200; ++round) {
        const auto rows = static_cast<int32_t>(1 + random.Below(8));
        const auto cols = static_cast<int32_t>(1 + random.Below(40));
        TRecordingDriver driver(rows, cols);
        TScreenRows oldRows, newRows;
        for (auto& r : oldRows) r = random.Bytes(50);
        for (auto& r : newRows) r = random.Bytes(50);
        const int effect = static_cast<int>(random.Below(kTransitionEffectCount + 2));
        player.Play(&driver, oldRows, newRows, effect, static_cast<int32_t>(random.Below(1000)));
        for (const auto& w : driver.Writes) {
            ASSERT_EQ(w.Text.size(), static_cast<size_t>(cols));
            ASSERT_GE(w.Row, 1);
            ASSERT_LE(w.Row, rows);
        }
        if (!driver.Writes.empty()) {
            // Every effect ends with the new rows in place.
            for (int32_t r = 0; r < rows; ++r) {
                std::string expected = newRows[r];
                expected.resize(cols, ' ');
                ASSERT_EQ(driver.Writes[driver.Writes.size() - rows + r].Text, expected);
            }
        }
    }
}
