#include "appcore/TerminalMirror.h"
#include "base/Cp1251.h"

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace orv;

namespace {

// A glyph source where every code is blank except 'A' (a box) and custom character 1 (a bar).
TGlyph TestGlyph(uint8_t code) {
    if (code == 'A') return {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F};
    if (code == 1) return {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10};
    return {};
}

std::string Capture(TTtyMode mode, bool inPlace,
                    const std::vector<std::vector<std::string>>& frames) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    {
        TTerminalMirror mirror(out, mode, inPlace, TestGlyph);
        for (const auto& frame : frames) mirror.ShowFrame(frame);
    }
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

} // namespace

TEST(TerminalMirror, TextModePrintsChangedFramesWithCustomCharacters) {
    const std::string hello = Utf8ToCp1251("Привет");
    const std::string text = Capture(TTtyMode::Text, false,
                                     {{hello + "\x01\x08", "ok  "},
                                      {hello + "\x01\x08", "ok  "},
                                      {"x", std::string("y\0\x1f", 3)}});
    EXPECT_EQ(text, "|Привет①⑧|\n|ok  |\n\n|x|\n|y█ |\n\n") << "code 0 is the full block";
}

TEST(TerminalMirror, DotsModeDrawsTheMatrixWithQuadrantBlocks) {
    TTerminalMirror mirror(stdout, TTtyMode::Dots, false, TestGlyph);
    const auto lines = mirror.Render({"A\x01"});
    ASSERT_EQ(lines.size(), 4u); // eight dot rows, two per line
    // Each cell is six dots wide, three block characters.
    EXPECT_EQ(lines[0], "|▛▀▌▌  |");
    EXPECT_EQ(lines[1], "|▌ ▌▌  |");
    EXPECT_EQ(lines[3], "|▙▄▌▌  |");
    EXPECT_EQ(mirror.Render({"A", "A"}).size(), 9u) << "a blank line between rows";
    EXPECT_EQ(mirror.Render({"A", "A"})[4], "|   |");
    const auto block = mirror.Render({std::string("\0", 1)});
    EXPECT_EQ(block, std::vector<std::string>(4, "|██▌|")) << "code 0, as the HD44780 shows it";
}

TEST(TerminalMirror, InPlaceRedrawMovesTheCursorBack) {
    const std::string text = Capture(TTtyMode::Text, true, {{"a", "b"}, {"c", "d"}});
    EXPECT_NE(text.find("\x1b[2A"), std::string::npos);
    EXPECT_EQ(text.find("\x1b[2A"), text.find("|c|") - std::string("\x1b[2A\r\x1b[2K").size());
}

TEST(TerminalMirror, EndsWhenTheReaderHasGone) {
    std::signal(SIGPIPE, SIG_IGN); // as orvanta3d: a write to the closed pipe fails instead
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::FILE* out = ::fdopen(fds[1], "w");
    TTerminalMirror mirror(out, TTtyMode::Text, false, TestGlyph);
    mirror.ShowFrame({"a"});
    EXPECT_FALSE(mirror.Ended());
    ::close(fds[0]);
    mirror.ShowFrame({"b"});
    EXPECT_TRUE(mirror.Ended());
    mirror.ShowFrame({"c"}); // no further attempt
    std::fclose(out);
}
