// Screen lines of the tag language with module answers from the input: parsing, the command
// pass, every format, line building, the layout to the display width and the character map.
//
// Input: lines separated by '\n'; the first four are the templates of rows 1..4, the rest are
// the answers the modules give, in turn.
#include "engine/Charsets.h"
#include "engine/LineLayout.h"
#include "engine/TagLanguage.h"
#include "fuzz/FuzzInput.h"
#include "tests/engine/EngineFakes.h"

using namespace orv;
using namespace orv::test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr int kRows = 4, kCols = 20, kTicks = 24;
    const auto lines = fuzz::Split(fuzz::AsText(data, size), '\n');
    std::vector<std::string> answers(lines.begin() + std::min<size_t>(lines.size(), kRows),
                                     lines.end());
    if (answers.empty()) answers.emplace_back("42");

    TFakeCatalogue catalogue;
    catalogue.Declare("m.so", {"$a", "$b", "$c"});
    size_t nextAnswer = 0;
    catalogue.SetAnswerFunction(
        [&](const TFakeCatalogue::TCall&) { return answers[nextAnswer++ % answers.size()]; });
    TCharsets charsets;
    TRecordingDriver driver(kRows, kCols);
    charsets.SetDriver(&driver);
    TTagLanguage language(catalogue, charsets);
    language.SetLongDelayPeriod(1 + static_cast<int32_t>(size % 5));

    TTagList tags;
    for (int row = 1; row <= kRows; ++row)
        language.SplitLine(static_cast<size_t>(row) <= lines.size() ? lines[row - 1] : "", row,
                           tags);
    TLineLayout layout;
    layout.Reset(kRows);
    for (int tick = 0; tick < kTicks; ++tick) {
        for (int row = 1; row <= kRows; ++row) {
            const std::string line = language.BuildLine(tags, row, kCols);
            const auto align = static_cast<TLineAlign>((tick + row) % 4);
            const auto scroll = static_cast<TLineScroll>((size + static_cast<size_t>(row)) % 4);
            std::string shown = layout.Layout(row, line, kCols, align, scroll, " * ");
            FUZZ_CHECK(shown.size() == static_cast<size_t>(kCols));
            charsets.MapRow(shown);
            FUZZ_CHECK(shown.size() == static_cast<size_t>(kCols));
            for (const char c : shown) FUZZ_CHECK(!(c > 8 && c < 32));
        }
    }
    for (const auto& define : driver.Defines) FUZZ_CHECK(define.Slot >= 0 && define.Slot < 8);
    return 0;
}
