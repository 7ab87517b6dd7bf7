#include "engine/ControlThread.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orv;

namespace {

// Start positions (1-based) of the windows that n layouts of text show.
std::vector<int> WindowStarts(TLineLayout& layout, const std::string& text, int cols,
                              uint8_t scroll, const std::string& separator, int n) {
    const std::string ring = text + separator + text;
    std::vector<int> starts;
    for (int i = 0; i < n; ++i) {
        const std::string out = layout.Layout(1, text, cols, 0, scroll, separator);
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
    EXPECT_EQ(WindowStarts(layout, "ABCDEFGHIJKLMNOPQRST", 16, 2, " ", 14),
              (std::vector<int>{1, 2, 3, 4, 5, 5, 5, 4, 3, 2, 1, 1, 1, 2}));
}

TEST(LineLayout, MovingLeftWrapsAfterLengthPlusOnePositions) {
    TLineLayout layout;
    layout.Reset(1);
    const std::vector<int> expected = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 1, 2};
    EXPECT_EQ(WindowStarts(layout, "ABCDEFGHIJ", 8, 0, " ", 14), expected);

    // A longer separator does not move the wrap: position 11 starts at the separator.
    layout.Reset(1);
    EXPECT_EQ(WindowStarts(layout, "ABCDEFGHIJ", 8, 0, "<-->", 14), expected);
    layout.Reset(1, 11);
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 0, "<-->"), "<-->ABCD");
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 0, "<-->"), "ABCDEFGH");
}

TEST(LineLayout, MovingRightWrapsToTheLastCharacter) {
    TLineLayout layout;
    layout.Reset(1);
    EXPECT_EQ(WindowStarts(layout, "ABCDEFGHIJ", 8, 1, " ", 13),
              (std::vector<int>{1, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 10, 9}));
    // The window from the last character runs through the separator into the text again.
    layout.Reset(1, 10);
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 1, "|"), "J|ABCDEF");
}

TEST(LineLayout, AlignsLinesThatFit) {
    TLineLayout layout;
    layout.Reset(8);
    EXPECT_EQ(layout.Layout(1, "abc", 16, 0, 0, " "), "abc             ");
    EXPECT_EQ(layout.Layout(1, "abc", 16, 1, 0, " "), "      abc       ");
    EXPECT_EQ(layout.Layout(1, "abc", 16, 2, 0, " "), "             abc");
    EXPECT_EQ(layout.Layout(1, "abcd", 16, 1, 0, " "), "      abcd      ");
    EXPECT_EQ(layout.Layout(1, "", 4, 2, 0, " "), "    ");
    // Exactly the width: shown as it is and never scrolled.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(layout.Layout(2, "0123456789", 10, 1, 2, " "), "0123456789");
    // Alignment and scroll values that a hand-edited job may hold still give a full row.
    EXPECT_EQ(layout.Layout(3, "abc", 16, 3, 0, " "), "abc             ");
    EXPECT_EQ(layout.Layout(3, "abc", 16, 255, 0, " "), "abc             ");
    EXPECT_EQ(layout.Layout(4, "ABCDEFGHIJ", 8, 0, 7, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(4, "ABCDEFGHIJ", 8, 0, 7, " "), "ABCDEFGH");
    // Lines outside 1..8 and degenerate widths.
    EXPECT_EQ(layout.Layout(0, "ABCDEFGHIJ", 8, 0, 0, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(9, "abc", 5, 2, 0, " "), "  abc");
    EXPECT_EQ(layout.Layout(1, "abc", 0, 0, 0, " "), "");
}

TEST(LineLayout, ScrollStateIsPerLineAndSurvivesTextChanges) {
    TLineLayout layout;
    layout.Reset(2);
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 0, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 0, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 0, " "), "BCDEFGHI");
    EXPECT_EQ(layout.Layout(2, "abcdefghij", 8, 0, 0, " "), "abcdefgh"); // own position

    // A line that became much shorter while far into its scroll starts over at a full window.
    layout.Reset(2, 30);
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 0, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(2, "ABCDEFGHIJ", 8, 0, 1, " "), "J ABCDEF");
    layout.Reset(2, 30);
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 2, " "), "CDEFGHIJ"); // the last full window
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 2, " "), "CDEFGHIJ");
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 2, " "), "BCDEFGHI");

    // Reset brings every line back to its start.
    layout.Reset(2);
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 2, " "), "ABCDEFGH");
    EXPECT_EQ(layout.Layout(1, "ABCDEFGHIJ", 8, 0, 2, " "), "BCDEFGHI");
}
