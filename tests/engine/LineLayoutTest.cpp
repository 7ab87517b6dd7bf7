#include "engine/LineLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orv;

namespace {

// Start positions (1-based) of the windows that n layouts of text show.
std::vector<int> WindowStarts(TLineLayout& layout, const std::string& text, int cols,
                              TLineScroll scroll, const std::string& separator, int n) {
    const std::string ring = text + separator + text;
    std::vector<int> starts;
    for (int i = 0; i < n; ++i) {
        const std::string out = layout.Layout(1, text, cols, laLeft, scroll, separator);
        EXPECT_EQ(out.size(), static_cast<size_t>(cols));
        const size_t at = ring.find(out);
        starts.push_back(at == std::string::npos ? -1 : static_cast<int>(at) + 1);
    }
    return starts;
}

} // namespace

TEST(LineLayout, BackAndForthShowsEachEndWindowThreeTimes) {
    TLineLayout layout;
    layout.Reset(2);
    EXPECT_EQ(WindowStarts(layout, "ABCDEFGHIJKLMNOPQRST", 16, lsBackAndForth, " ", 14),
              (std::vector<int>{1, 2, 3, 4, 5, 5, 5, 4, 3, 2, 1, 1, 1, 2}));
}

TEST(LineLayout, MovingLeftWrapsAfterLengthPlusOnePositions) {
    TLineLayout layout;
    layout.Reset(1);
    const std::vector<int> expected = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 1, 2};
    EXPECT_EQ(WindowStarts(layout, "ABCDEFGHIJ", 8, lsMoveLeft, " ", 14), expected);

    // A longer separator does not move the wrap: position 11 starts at the separator.
    layout.Reset(1);
    EXPECT_EQ(WindowStarts(layout, "ABCDEFGHIJ", 8, lsMoveLeft, "<-->", 14), expected);
    layout.Reset(1, 11);
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsMoveLeft, "<-->"), "<-->ABCD");
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsMoveLeft, "<-->"), "ABCDEFGH");
}

TEST(LineLayout, MovingRightWrapsToTheLastCharacter) {
    TLineLayout layout;
    layout.Reset(1);
    EXPECT_EQ(WindowStarts(layout, "ABCDEFGHIJ", 8, lsMoveRight, " ", 13),
              (std::vector<int>{1, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 10, 9}));
    // The window from the last character runs through the separator into the text again.
    layout.Reset(1, 10);
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsMoveRight, "|"), "J|ABCDEF");
}

TEST(LineLayout, AlignsLinesThatFit) {
    TLineLayout layout;
    layout.Reset(8);
    EXPECT_EQ(layout.Layout(1, "abc", 16, laLeft, lsMoveLeft, " "), "abc             ");
    EXPECT_EQ(layout.Layout(1, "abc", 16, laCentre, lsMoveLeft, " "), "      abc       ");
    EXPECT_EQ(layout.Layout(1, "abc", 16, laRight, lsMoveLeft, " "), "             abc");
    EXPECT_EQ(layout.Layout(1, "abcd", 16, laCentre, lsMoveLeft, " "), "      abcd      ");
    EXPECT_EQ(layout.Layout(1, "", 4, laRight, lsMoveLeft, " "), "    ");
    // Exactly the width: shown as it is and never scrolled.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(layout.Layout(2, "0123456789", 10, laCentre, lsBackAndForth, " "), "0123456789");
    // Alignment and scroll values that a hand-edited job may hold still give a full row.
    EXPECT_EQ(layout.Layout(3, "abc", 16, TLineAlign{3}, lsMoveLeft, " "), "abc             ");
    EXPECT_EQ(layout.Layout(3, "abc", 16, TLineAlign{255}, lsMoveLeft, " "), "abc             ");
    EXPECT_EQ(layout.Layout(4, "ABCDEFGHIJ", 8, laLeft, TLineScroll{7}, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(4, "ABCDEFGHIJ", 8, laLeft, TLineScroll{7}, " "), "ABCDEFGH");
    // Lines outside 1..8 and degenerate widths.
    EXPECT_EQ(layout.Layout(0, "ABCDEFGHIJ", 8, laLeft, lsMoveLeft, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(9, "abc", 5, laRight, lsMoveLeft, " "), "  abc");
    EXPECT_EQ(layout.Layout(1, "abc", 0, laLeft, lsMoveLeft, " "), "");
}

TEST(LineLayout, ScrollStateIsPerLineAndSurvivesTextChanges) {
    TLineLayout layout;
    layout.Reset(2);
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsMoveLeft, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsMoveLeft, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsMoveLeft, " "), "BCDEFGHI");
    // Line 2 has a scroll position of its own.
    EXPECT_EQ(layout.Layout(2, "abcdefghij", 8, laLeft, lsMoveLeft, " "), "abcdefgh");

    // A line that became much shorter while far into its scroll starts over at a full window.
    layout.Reset(2, 30);
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsMoveLeft, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(2, "ABCDEFGHIJ", 8, laLeft, lsMoveRight, " "), "J ABCDEF");
    layout.Reset(2, 30);
    // Back and forth starts from the last full window.
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsBackAndForth, " "), "CDEFGHIJ");
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsBackAndForth, " "), "CDEFGHIJ");
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsBackAndForth, " "), "BCDEFGHI");

    // Reset brings every line back to its start.
    layout.Reset(2);
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsBackAndForth, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, laLeft, lsBackAndForth, " "), "BCDEFGHI");
}
