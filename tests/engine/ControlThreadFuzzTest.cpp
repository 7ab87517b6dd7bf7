// Random jobs, module answers, settings, geometries and navigation through many ticks of the
// cycle: nothing may crash, and every row must be exactly as wide as the display.
#include "tests/engine/ThreadRig.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

using namespace orv;
using namespace orv::test;

namespace {

class TChance {
public:
    explicit TChance(uint32_t seed) : rng_(seed) {}
    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool OneIn(int n) { return Between(1, n) == 1; }
    template <typename T> const T& Pick(const std::vector<T>& items) {
        return items[static_cast<size_t>(Between(0, static_cast<int>(items.size()) - 1))];
    }
    std::string Bytes(int maxLength) {
        std::string s(static_cast<size_t>(Between(0, maxLength)), '\0');
        for (char& c : s) c = static_cast<char>(Between(1, 255));
        return s;
    }

private:
    std::mt19937 rng_;
};

const std::vector<std::string> kPieces = {"$a$",
                                          "$b[,,,4]$",
                                          "$c[,,6,4,bar]$",
                                          "$a[,r,,3]$",
                                          "$b[,5,3,2,flash]$",
                                          "$c[,,4,4,anim]$",
                                          "$a[,,8,4,simple_bar]$",
                                          "$b[,,6,4,digit_bar]$",
                                          "$c[,,,4,anim_char]$",
                                          "$first[,,,4]$",
                                          "text ",
                                          "a long piece of plain text that will not fit",
                                          "$",
                                          "[",
                                          "]",
                                          "$$",
                                          "#enum2",
                                          "$a[,25]$",
                                          "$b[\"x,y\",-3,-1,9]$"};

const std::vector<std::string> kAnswers = {"#enum3",
                                           "#enum",
                                           "#enum300",
                                           "#enum-1",
                                           "#skip",
                                           "#skip!",
                                           "_SetFlash blink",
                                           "_UnsetFlash",
                                           "_AnimList:1;hb_0;hb_1;nope",
                                           "_MaskChar:'1;x1F;x00;x1F;x00;x1F;x00;x1F;x00'",
                                           "_4Clock",
                                           "_SwitchCharset:1",
                                           "_SwitchCharset:x",
                                           "_NamedChar:'9;cust_1'",
                                           "_MaskList:1;3;a;b",
                                           "50",
                                           "100",
                                           "-5",
                                           "33.5",
                                           "",
                                           "\x01\x09\x11\x1F",
                                           std::string(300, 'w')};

std::string RandomLine(TChance& chance) {
    std::string line;
    const int pieces = chance.Between(0, 5);
    for (int i = 0; i < pieces; ++i)
        line += chance.OneIn(8) ? chance.Bytes(6) : chance.Pick(kPieces);
    return line;
}

uint8_t RandomMode(TChance& chance) {
    return static_cast<uint8_t>(chance.OneIn(6) ? chance.Between(3, 255) : chance.Between(0, 2));
}

} // namespace

TEST(ControlThreadFuzz, RandomJobsNeverBreakTheCycleOrTheRowWidth) {
    size_t frames = 0;
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE(seed);
        TChance chance(seed);
        const int32_t rows = chance.Between(1, 8);
        const int32_t cols = chance.Between(1, 40);
        TThreadRig rig(rows, cols);
        rig.catalogue.Declare("fuzz.so", {"$a", "$b", "$c", "$first"});
        rig.catalogue.SetAnswerFunction([&](const TFakeCatalogue::TCall&) -> std::string {
            if (chance.OneIn(40)) throw std::runtime_error("module");
            return chance.OneIn(4) ? chance.Bytes(40) : chance.Pick(kAnswers);
        });

        const int screens = chance.Between(1, 6);
        for (int s = 0; s < screens; ++s) {
            rig.AddScreen({}, chance.Between(-1, 3));
            for (int line = 1; line <= 8; ++line) {
                rig.job.SetLine(s, line, RandomLine(chance));
                rig.job.SetAlign(s, line, TLineAlign{RandomMode(chance)});
                rig.job.SetScroll(s, line, TLineScroll{RandomMode(chance)});
            }
            rig.job.SetShow(s, !chance.OneIn(5));
            rig.job.SetOnce(s, chance.OneIn(5));
            rig.job.SetTransitionEffect(s, static_cast<uint8_t>(chance.Between(0, 9)));
        }
        rig.settings.BaseTimeoutMs = chance.Between(-10, 1000);
        rig.settings.LongDelayPeriod = chance.Between(-1, 30);
        rig.settings.CalculateTimeForLongStrings = chance.OneIn(2);
        rig.settings.SubScreenShowTimeS = chance.Between(0, 3);
        rig.settings.ScrollDelimiter = chance.Pick(std::vector<std::string>{"", "|", " <*> "});
        rig.settings.UseScrollDelimiter = chance.OneIn(2);
        rig.settings.TransitionSpeedMs = chance.Between(0, 500);
        rig.charsets.SwitchCharset(static_cast<uint8_t>(chance.Between(0, 2)));

        rig.sink.OnFrame = [&](size_t) {
            if (chance.OneIn(10)) {
                switch (chance.Between(0, 2)) {
                case 0: rig.thread.Previous(); break;
                case 1: rig.thread.Next(); break;
                default: rig.thread.GoTo(chance.Between(-1, screens)); break;
                }
            }
            if (chance.OneIn(30)) rig.driver.Active = !rig.driver.Active;
        };
        rig.RunFor(400 * int64_t{std::max(rig.settings.BaseTimeoutMs, 1)});

        frames += rig.sink.Frames.size();
        for (const auto& frame : rig.sink.Frames) {
            ASSERT_EQ(frame.Rows.size(), static_cast<size_t>(rows));
            for (const auto& row : frame.Rows) ASSERT_EQ(row.size(), static_cast<size_t>(cols));
        }
        for (const auto& write : rig.driver.Writes) {
            ASSERT_GE(write.Row, 1);
            ASSERT_LE(write.Row, rows);
            ASSERT_EQ(write.Text.size(), static_cast<size_t>(cols));
        }

        rig.driver.Active = true;
        std::array<std::string, 8> lines;
        for (auto& line : lines) line = RandomLine(chance);
        for (int step = 0; step < 20; ++step)
            for (const auto& row : rig.thread.PreviewStep(lines, step == 0))
                ASSERT_EQ(row.size(), static_cast<size_t>(cols));
        const size_t writes = rig.driver.Writes.size();
        rig.thread.ShowQuitMessage(RandomLine(chance), RandomLine(chance));
        for (size_t i = writes; i < rig.driver.Writes.size(); ++i)
            ASSERT_EQ(rig.driver.Writes[i].Text.size(), static_cast<size_t>(cols));
    }
    EXPECT_GT(frames, 10'000u); // the runs really showed screens
}
