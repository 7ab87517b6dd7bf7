// The screen renderer as a caller outside the display thread uses it: begin a screen, then step.
#include "engine/JobUnit.h"
#include "engine/ScreenRenderer.h"
#include "engine/TagLanguage.h"
#include "tests/engine/EngineFakes.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace orv;
using namespace orv::test;

namespace {

struct TRendererRig {
    explicit TRendererRig(TScreenRenderer::TWrites writes = TScreenRenderer::TWrites::All)
        : renderer(language, charsets, writes) {
        renderer.SetGeometry(3, 10);
        renderer.SetSeparator("|");
        catalogue.Declare("v.so", {"$v"});
    }

    // The row numbers of the writes from index from on.
    std::vector<int> RowsWritten(size_t from = 0) const {
        std::vector<int> rows;
        for (size_t i = from; i < driver.Writes.size(); ++i) rows.push_back(driver.Writes[i].Row);
        return rows;
    }

    TFakeCatalogue catalogue;
    TCharsets charsets;
    TTagLanguage language{catalogue, charsets};
    TRecordingDriver driver{3, 10};
    TScreenRenderer renderer;
};

TJobScreen Screen(std::vector<std::string> lines) {
    TJobScreen screen;
    std::copy(lines.begin(), lines.end(), screen.Line.begin());
    return screen;
}

} // namespace

TEST(ScreenRenderer, EachStepLaysOutMapsAndWritesEveryRow) {
    TRendererRig rig;
    rig.charsets.SwitchCharset(1); // glyph entries 9..16 at codes 1..8
    rig.catalogue.SetAnswer("$v", "\x09");
    TJobScreen screen = Screen({"$v$ ab", "0123456789AB"});
    screen.Align[0] = laRight;
    screen.Scroll[1] = lsMoveRight;
    rig.renderer.Begin(screen, 2, 1);

    EXPECT_EQ(rig.renderer.Step(&rig.driver),
              (std::vector<std::string>{"      \x01 ab", "0123456789", "          "}));
    // Texts are the lines before layout and mapping.
    EXPECT_EQ(rig.renderer.Texts()[0], "\x09 ab");
    EXPECT_EQ(rig.renderer.Step(&rig.driver)[1], "B|01234567");
    EXPECT_EQ(rig.RowsWritten(), (std::vector<int>{1, 2, 3, 1, 2, 3}));

    // Without a driver the rows are only returned.
    EXPECT_EQ(rig.renderer.Step(nullptr)[1], "AB|0123456");
    EXPECT_EQ(rig.driver.Writes.size(), 6u);
}

TEST(ScreenRenderer, ChangedWritesSkipRowsThePanelAlreadyShows) {
    TRendererRig rig(TScreenRenderer::TWrites::Changed);
    int n = 0;
    rig.catalogue.SetAnswerFunction([&](const auto&) { return std::to_string(n); });
    rig.renderer.Begin(Screen({"fixed", "$v[,,,4]$"}), 2);

    rig.renderer.Step(&rig.driver);
    EXPECT_EQ(rig.RowsWritten(), (std::vector<int>{1, 2, 3}));
    rig.renderer.Step(&rig.driver);
    EXPECT_EQ(rig.RowsWritten(3), (std::vector<int>{}));
    n = 1; // the refresh of every tick now brings a new value
    rig.renderer.Step(&rig.driver);
    EXPECT_EQ(rig.RowsWritten(3), (std::vector<int>{2}));

    // The panel may show something else: after a forget, and on another panel, all rows again.
    rig.renderer.ForgetShownRows();
    rig.renderer.Step(&rig.driver);
    EXPECT_EQ(rig.RowsWritten(4), (std::vector<int>{1, 2, 3}));
    TRecordingDriver other(3, 10);
    rig.renderer.Step(&other);
    EXPECT_EQ(other.Writes.size(), 3u);
    rig.renderer.Step(&rig.driver);
    EXPECT_EQ(rig.RowsWritten(7), (std::vector<int>{1, 2, 3}));
}

TEST(ScreenRenderer, EditSeesEachLineBetweenBuildingAndLayout) {
    TRendererRig rig;
    rig.renderer.Begin(Screen({"one", "two", "three"}), 3);
    std::vector<int> lines;
    const auto& rows = rig.renderer.Step(&rig.driver, [&](int32_t line, std::string& text) {
        lines.push_back(line);
        if (line == 2) text += " and more";
    });
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 3}));
    // The edited line is too long now, so it scrolls; the others stay as they were built.
    EXPECT_EQ(rows, (std::vector<std::string>{"one       ", "two and mo", "three     "}));
    EXPECT_EQ(rig.renderer.Texts()[1], "two and more");
}

TEST(ScreenRenderer, OnlyTheLinesBegunAreSplitAndAFailedStepKeepsItsFinishedRows) {
    TRendererRig rig;
    bool fail = false;
    rig.catalogue.SetAnswerFunction([&](const auto& call) -> std::string {
        if (fail) throw std::runtime_error("module");
        return "v" + call.Argument;
    });
    rig.renderer.Begin(Screen({"a", "$v[,,,4]$", "$v[9]$"}), 2);
    EXPECT_EQ(rig.catalogue.Calls.size(), 1u) << "line 3 was not begun";
    EXPECT_EQ(rig.renderer.Step(nullptr)[2], "          ");

    fail = true;
    EXPECT_THROW(rig.renderer.Step(nullptr), std::runtime_error);
    EXPECT_EQ(rig.renderer.Frame(), (std::vector<std::string>{"a         "}));
}
