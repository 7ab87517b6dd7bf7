// Outside text (feed titles, mail subjects, file tags) as module answers through the command
// pass: whatever the text holds, it shows letter for letter (control bytes as blanks), defines
// no glyph, switches no charset and is never a screen mark.
//
// Input: lines separated by '\n', the answers the modules give, in turn.
#include "engine/Charsets.h"
#include "engine/LCDTag.h"
#include "engine/ScreenRenderer.h"
#include "engine/TagLanguage.h"
#include "fuzz/FuzzInput.h"
#include "base/TextUtil.h"
#include "modules/common/OutsideText.h"
#include "tests/engine/EngineFakes.h"

using namespace orv;
using namespace orv::test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr int kRows = 4, kCols = 20, kTicks = 8;
    const auto lines = fuzz::Split(fuzz::AsText(data, size), '\n');
    std::vector<std::string> answers(lines.begin(), lines.end());
    if (answers.empty()) answers.emplace_back();

    TFakeCatalogue catalogue;
    catalogue.Declare("m.so", {"$a", "$b", "$c"});
    size_t nextAnswer = 0;
    std::string lastAnswer;
    catalogue.SetAnswerFunction([&](const TFakeCatalogue::TCall&) {
        lastAnswer = answers[nextAnswer++ % answers.size()];
        return OutsideText(lastAnswer);
    });
    TCharsets charsets;
    TRecordingDriver driver(kRows, kCols);
    charsets.SetDriver(&driver);
    const uint8_t charset = charsets.ActiveCharset();
    TTagLanguage language(catalogue, charsets);
    language.SetLongDelayPeriod(1);

    // Each answer on its own, as the command pass leaves it.
    for (size_t i = 0; i < answers.size(); ++i) {
        TLCDTag tag = language.ParseElement("$a[1,0,,,4]$");
        std::string expected = lastAnswer.substr(0, kMaxValueLength);
        BlankControlBytes(expected);
        FUZZ_CHECK(tag.OutsideText && tag.Value == expected);
        FUZZ_CHECK(tag.Format == tfText && tag.AnimList.empty());
    }

    // Whole screens in every text format, a tick at a time.
    TScreenRenderer renderer(language, charsets, TScreenRenderer::TWrites::Changed);
    renderer.SetGeometry(kRows, kCols);
    TTagList& tags = renderer.Tags();
    language.SplitLine("$a[1,0,,,4]$ $b[1,0,,6,4,scroll]$", 1, tags);
    language.SplitLine("$c[2,0,,,4,flash]$", 2, tags);
    language.SplitLine("$a[3,0,,8,4,anim]$$b[3,0,,,4,anim_char]$", 3, tags);
    FUZZ_CHECK(renderer.FirstValue().empty());
    for (int tick = 0; tick < kTicks; ++tick) {
        for (int row = 1; row <= kRows; ++row) {
            std::string line = language.BuildLine(tags, row, kCols);
            charsets.MapRow(line);
            for (const char c : line) FUZZ_CHECK(!IsControlByte(c));
        }
    }
    FUZZ_CHECK(driver.Defines.empty());
    FUZZ_CHECK(charsets.ActiveCharset() == charset);
    return 0;
}
