// The LCDd driver: its protocol text, how custom characters are shown, the screen's updates,
// and the driver object against a loopback stand-in for LCDd (activation, time-outs, keys,
// reconnection, a server that stops reading).
#include "drivers/lcdd/LCDControl_LCDd.h"
#include "drivers/lcdd/LcddGlyphs.h"
#include "drivers/lcdd/LcddLink.h"
#include "drivers/lcdd/LcddProtocol.h"
#include "drivers/lcdd/LcddScreen.h"
#include "engine/CustomGlyph.h"
#include "font/Font5x8.h"
#include "tests/support/FakeLcdd.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <unistd.h>

using namespace orv;
using namespace orv::test;

namespace {

std::mutex pressedMutex;
std::vector<int8_t> pressed;

std::vector<int8_t> KeysPressed() {
    std::lock_guard lock(pressedMutex);
    return pressed;
}

TLcddPattern Glyph(const std::string& name) {
    for (const TBuiltInGlyph& glyph : kBuiltInGlyphs)
        if (name == glyph.Name) return *ParseGlyphRows(glyph.Rows);
    throw std::invalid_argument(name);
}

std::vector<std::string> Lines(const std::string& commands) {
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = commands.find('\n', start)) != std::string::npos) {
        lines.push_back(commands.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

const TLcddDisplay k20x4{.cols = 20, .rows = 4};

// A screen of 20 x 4 that LCDd has been told everything about.
TLcddScreen SetUpScreen() {
    TLcddScreen screen;
    screen.SetDisplay(k20x4);
    screen.Setup();
    screen.TakeUpdate();
    return screen;
}

void Write(TLcddScreen& screen, uint8_t row, std::string text) {
    text.resize(20, ' ');
    screen.Write(1, row, text.data(), text.size());
}

} // namespace

// The socket thread is woken once a frame: changes between HoldWakes and ReleaseWakes wake it
// at the release, and a frame without a change not at all.
TEST(LcddSharedScreen, AFramesChangesWakeTheSocketThreadOnceAtItsEnd) {
    TLcddSharedScreen shared;
    const auto wakes = [&] {
        uint64_t count = 0;
        return ::read(shared.WakeFd(), &count, sizeof count) == sizeof count ? count : 0;
    };
    shared.Change([](TLcddScreen&) { return true; });
    EXPECT_EQ(wakes(), 1u) << "outside a frame each change wakes it";

    shared.HoldWakes();
    shared.Change([](TLcddScreen&) { return true; });
    shared.Change([](TLcddScreen&) { return true; });
    EXPECT_EQ(wakes(), 0u);
    shared.ReleaseWakes();
    EXPECT_EQ(wakes(), 1u);

    shared.HoldWakes();
    shared.Change([](TLcddScreen&) { return false; });
    shared.ReleaseWakes();
    EXPECT_EQ(wakes(), 0u);
}

// The test program's own key export: what the driver reports to "the program".
ORVANTA3_EXPORT void Orvanta3KeyPress(int8_t code) {
    std::lock_guard lock(pressedMutex);
    pressed.push_back(code);
}

TEST(LcddProtocol, ReadsTheDisplayFromTheAnswerToHello) {
    const auto display = ParseConnectReply(
        "connect LCDproc 0.5.9 protocol 0.3 lcd wid 40 hgt 2 cellwid 6 cellhgt 10");
    ASSERT_TRUE(display);
    EXPECT_EQ(display->cols, 40);
    EXPECT_EQ(display->rows, 2);
    EXPECT_EQ(display->cellWidth, 6);
    EXPECT_EQ(display->cellHeight, 10);
    const auto reordered = ParseConnectReply("connect LCDproc 0.5.9 lcd hgt 4 wid 20");
    ASSERT_TRUE(reordered);
    EXPECT_EQ(reordered->cols, 20);
    EXPECT_EQ(reordered->cellWidth, 5) << "cell size missing: the HD44780 cell";
    for (const char* bad : {"huh? unknown command", "connect LCDproc 0.5.9 lcd wid 0 hgt 4",
                            "connect LCDproc lcd wid x hgt 4", "", "success"})
        EXPECT_FALSE(ParseConnectReply(bad)) << bad;
}

TEST(LcddProtocol, QuotesTextAndMapsTheReservedKeys) {
    EXPECT_EQ(QuoteLcddText("a \"b\" \\ {c} \xCF\xF0"), "\"a \\\"b\\\" \\\\ {c} \xCF\xF0\"");
    EXPECT_EQ(KeypadCodeOfKeyEvent("key Up"), kKeyPreviousScreen);
    EXPECT_EQ(KeypadCodeOfKeyEvent("key Down"), kKeyNextScreen);
    EXPECT_EQ(KeypadCodeOfKeyEvent("key Enter"), kKeyNextScreen);
    EXPECT_EQ(KeypadCodeOfKeyEvent("key Escape"), kKeyFirstScreen);
    for (const char* other : {"key Left", "key", "success", "listen orv3", "menuevent select x"})
        EXPECT_FALSE(KeypadCodeOfKeyEvent(other)) << other;
}

TEST(LcddGlyphs, BarPiecesBecomeBlocksAndBarsAndTheRestLookAlikeCharacters) {
    using K = TLcddCell::TKind;
    EXPECT_EQ(LcddCellOf(Glyph("hb_2"), k20x4), TLcddCell{}) << "an empty cell is a space";
    EXPECT_EQ(LcddCellOf(Glyph("hb_3"), k20x4), (TLcddCell{K::HBar, ' ', 2}));
    EXPECT_EQ(LcddCellOf(Glyph("hb_4"), k20x4), (TLcddCell{K::HBar, ' ', 4}));
    EXPECT_EQ(LcddCellOf(Glyph("hb_5"), k20x4).kind, K::Block) << "the full piece of a bar";
    EXPECT_EQ(LcddCellOf(Glyph("vb_0"), k20x4).kind, K::Block);
    for (int level = 1; level <= 7; ++level)
        EXPECT_EQ(LcddCellOf(Glyph("vb_" + std::to_string(level)), k20x4),
                  (TLcddCell{K::VBar, ' ', 8 - level}))
            << level;
    for (const char* cap : {"hb_0", "hb_1", "hb_6", "hb_7", "cust_1", "cust_5"}) {
        const TLcddCell cell = LcddCellOf(Glyph(cap), k20x4);
        EXPECT_EQ(cell.kind, K::Text) << cap;
        EXPECT_TRUE(cell.text > ' ' && cell.text < 0x7F) << cap;
    }
    EXPECT_EQ(LcddCellOf(Glyph("hb_0"), k20x4).text, '[');
    EXPECT_EQ(LcddCellOf(Glyph("hb_7"), k20x4).text, ']');
    EXPECT_EQ(LcddCellOf(Font5x8Glyph('A'), k20x4).text, 'A') << "a letter stays that letter";

    // Lengths follow LCDd's cell size; bits 7..5 of a row are not pixels.
    const TLcddDisplay bigCells{.cols = 20, .rows = 4, .cellWidth = 10, .cellHeight = 16};
    EXPECT_EQ(LcddCellOf(Glyph("hb_3"), bigCells).length, 4);
    EXPECT_EQ(LcddCellOf(Glyph("vb_4"), bigCells).length, 8);
    TLcddPattern high = Glyph("vb_0");
    for (uint8_t& row : high) row |= 0xE0;
    EXPECT_EQ(LcddCellOf(high, k20x4).kind, K::Block);
}

TEST(LcddScreen, SendsWholeRowsOnlyWhenTheyChange) {
    TLcddScreen screen;
    screen.SetDisplay({.cols = 40, .rows = 12});
    EXPECT_EQ(screen.Rows(), kLcddMaxRows) << "a job screen has eight lines";
    screen.SetDisplay(k20x4);
    EXPECT_EQ(screen.Rows(), 4);
    EXPECT_EQ(screen.Cols(), 20);

    const std::vector<std::string> setup = Lines(screen.Setup());
    EXPECT_NE(std::find(setup.begin(), setup.end(), "widget_add orv3 r4 string"), setup.end());
    EXPECT_NE(std::find(setup.begin(), setup.end(), "client_add_key Up Down Enter Escape"),
              setup.end());
    std::vector<std::string> first = Lines(screen.TakeUpdate());
    ASSERT_EQ(first.size(), 5u) << "the priority and every row";
    EXPECT_EQ(first[0], "screen_set orv3 -priority foreground");
    EXPECT_EQ(first[1], "widget_set orv3 r1 1 1 \"" + std::string(20, ' ') + "\"");
    EXPECT_EQ(screen.TakeUpdate(), "");

    const std::string text = "Tab\there \"q\" \xD0\xE0\xE7";
    EXPECT_TRUE(screen.Write(1, 2, text.data(), text.size()));
    EXPECT_FALSE(screen.Write(1, 2, text.data(), text.size())) << "the same text again";
    EXPECT_FALSE(screen.Write(1, 5, "x", 1)) << "no such row";
    EXPECT_FALSE(screen.Write(21, 1, "x", 1)) << "beyond the row's end";
    EXPECT_EQ(Lines(screen.TakeUpdate()),
              std::vector<std::string>{"widget_set orv3 r2 1 2 \"Tab here \\\"q\\\" \xD0\xE0\xE7" +
                                       std::string(4, ' ') + "\""});

    EXPECT_TRUE(screen.SetVisible(false));
    EXPECT_EQ(screen.TakeUpdate(), "screen_set orv3 -priority hidden\n");
    EXPECT_TRUE(screen.Clear());
    EXPECT_FALSE(screen.Clear());
    EXPECT_EQ(Lines(screen.TakeUpdate()).size(), 1u) << "only row 2 held text";

    screen.Setup(); // a new connection: LCDd knows nothing of the rows
    EXPECT_EQ(Lines(screen.TakeUpdate()).size(), 5u);
}

TEST(LcddScreen, CustomCharactersBecomeWidgetsThatFollowTheirCells) {
    TLcddScreen screen = SetUpScreen();
    EXPECT_FALSE(screen.Define(0, Glyph("vb_0"))) << "slot 0 is not shown anywhere yet";
    screen.Define(1, Glyph("hb_7"));
    Write(screen, 1, "ab\x01\x01\x02");
    EXPECT_EQ(Lines(screen.TakeUpdate()),
              (std::vector<std::string>{
                  "widget_set orv3 r1 1 1 \"ab  ]" + std::string(15, ' ') + "\"",
                  "widget_add orv3 b1_3 icon", "widget_set orv3 b1_3 3 1 BLOCK_FILLED",
                  "widget_add orv3 b1_4 icon", "widget_set orv3 b1_4 4 1 BLOCK_FILLED"}));

    // Slot 0 turns into a partial bar: the blocks give way to bars; the row's text is the same.
    EXPECT_TRUE(screen.Define(0, Glyph("hb_4")));
    EXPECT_EQ(
        Lines(screen.TakeUpdate()),
        (std::vector<std::string>{"widget_del orv3 b1_3", "widget_del orv3 b1_4",
                                  "widget_add orv3 h1_3 hbar", "widget_set orv3 h1_3 3 1 4",
                                  "widget_add orv3 h1_4 hbar", "widget_set orv3 h1_4 4 1 4"}));
    EXPECT_FALSE(screen.Define(0, Glyph("hb_4"))) << "the same pattern again";

    // The bar shrinks by a cell: one widget goes, the other stays untouched.
    Write(screen, 1, "ab\x01 \x02");
    EXPECT_EQ(Lines(screen.TakeUpdate()), (std::vector<std::string>{"widget_del orv3 h1_4"}));
}

namespace {

class LcddDriver : public ::testing::Test {
protected:
    void SetUp() override {
        ClearShownMessages();
        std::lock_guard lock(pressedMutex);
        pressed.clear();
    }

    // Generous time-outs for a busy machine; the silent server's test shortens the reply's.
    static TLcddAddress Address(uint16_t port, int replyTimeoutMs = 20000) {
        return {.host = "127.0.0.1",
                .port = port,
                .connectTimeoutMs = 20000,
                .replyTimeoutMs = replyTimeoutMs};
    }

    // Waits until the server has received command.
    static bool Receives(const TFakeLcdd& server, const std::string& command) {
        return WaitUntil([&] { return server.Received(command); }, std::chrono::seconds(20));
    }
};

} // namespace

TEST_F(LcddDriver, TakesLcddsSizeSetsUpItsScreenAndSendsRows) {
    TFakeLcdd server(TFakeLcdd::TMode::Answer, 16, 2);
    TLCDControl_LCDd driver;
    driver.SetAddress(Address(server.Port()));
    driver.SetRowCount(4); // ignored: the size is LCDd's
    driver.SetActive(true);
    ASSERT_TRUE(driver.GetActive());
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_EQ(driver.GetRowCount(), 2);
    EXPECT_EQ(driver.GetColCount(), 16);
    EXPECT_TRUE(driver.GetScanKeyboard()) << "keys are on by default";

    driver.WriteText(1, 2, "Hello", 5);
    EXPECT_TRUE(Receives(server, "widget_set orv3 r2 1 2 \"Hello           \""));
    const std::vector<std::string> commands = server.Commands();
    EXPECT_EQ(commands.front(), "hello");
    for (const char* setup :
         {"client_set -name Orvanta3", "screen_add orv3", "widget_add orv3 r1 string",
          "widget_add orv3 r2 string", "screen_set orv3 -priority foreground"})
        EXPECT_NE(std::find(commands.begin(), commands.end(), setup), commands.end()) << setup;

    driver.SetActive(false);
    driver.WriteText(1, 1, "late", 4); // inactive: nothing is sent
    EXPECT_FALSE(server.Received("widget_set orv3 r1 1 1 \"late            \""));
}

TEST_F(LcddDriver, AServerThatCannotBeReachedOrNeverAnswersLeavesItInactiveWithOneMessage) {
    TFakeLcdd silent(TFakeLcdd::TMode::Silent);
    for (uint16_t port : {FreeLoopbackPort(), silent.Port()}) {
        ClearShownMessages();
        TLCDControl_LCDd driver;
        driver.SetAddress(Address(port, 300));
        driver.SetActive(true);
        EXPECT_FALSE(driver.GetActive());
        const int connections = silent.Connections();
        driver.SetActive(true); // the host activates again what its Init activated
        EXPECT_FALSE(driver.GetActive());
        EXPECT_EQ(silent.Connections(), connections) << "not waited for a second time";
        const auto shown = ShownMessages();
        ASSERT_EQ(shown.size(), 1u) << port;
        EXPECT_NE(shown[0].text.find("127.0.0.1:" + std::to_string(port)), std::string::npos)
            << shown[0].text;
        EXPECT_EQ(shown[0].flags, mbError);
        driver.WriteText(1, 1, "x", 1); // harmless while inactive
        driver.SetActive(false);
        driver.SetActive(true);
        EXPECT_EQ(ShownMessages().size(), 2u) << "switched off in between: said again";
    }
    EXPECT_TRUE(silent.Received("hello"));
}

TEST_F(LcddDriver, AHostNameIsLookedUp) {
    TFakeLcdd server;
    TLCDControl_LCDd driver;
    TLcddAddress address = Address(server.Port());
    address.host = "localhost";
    driver.SetAddress(address);
    driver.SetActive(true);
    EXPECT_TRUE(driver.GetActive()) << (ShownMessages().empty() ? "" : ShownMessages()[0].text);
    ClearShownMessages();
    address.host = "no-such-host.invalid"; // unknown, or no name service within 3 s
    address.connectTimeoutMs = 3000;
    driver.SetActive(false);
    driver.SetAddress(address);
    driver.SetActive(true);
    EXPECT_FALSE(driver.GetActive());
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_NE(ShownMessages()[0].text.find("no-such-host.invalid"), std::string::npos);
}

TEST_F(LcddDriver, KeysFromLcddBecomeKeypadCodesForTheProgram) {
    TFakeLcdd server;
    TLCDControl_LCDd driver;
    std::vector<int8_t> codes;
    std::mutex codesMutex;
    driver.OnKeyPress = [&](TLCDBaseControl* sender) {
        std::lock_guard lock(codesMutex);
        codes.push_back(static_cast<TLCDControl_LCDd*>(sender)->GetScanCode());
    };
    driver.SetAddress(Address(server.Port()));
    driver.SetActive(true);
    ASSERT_TRUE(Receives(server, "client_add_key Up Down Enter Escape"));

    for (const char* key : {"key Down", "key Left", "key Up", "key Escape", "key Enter"})
        server.SendToClients(key);
    ASSERT_TRUE(WaitUntil([] { return KeysPressed().size() == 4; }, std::chrono::seconds(20)));
    const std::vector<int8_t> expected{kKeyNextScreen, kKeyPreviousScreen, kKeyFirstScreen,
                                       kKeyNextScreen};
    EXPECT_EQ(KeysPressed(), expected);
    {
        std::lock_guard lock(codesMutex);
        EXPECT_EQ(codes, expected);
    }
    EXPECT_EQ(driver.GetScanCode(), -1) << "no key is down between presses";

    driver.SetScanKeyboard(false);
    server.SendToClients("key Down");
    server.SendToClients("key Up");
    driver.WriteText(1, 1, "sync", 4); // its answer comes after the keys
    ASSERT_TRUE(Receives(server, "widget_set orv3 r1 1 1 \"sync                \""));
    EXPECT_EQ(KeysPressed().size(), 4u) << "keys off: ignored";
}

TEST_F(LcddDriver, ALostConnectionIsMadeAgainAndTheRowsComeBack) {
    TFakeLcdd server;
    TLCDControl_LCDd driver;
    driver.SetAddress(Address(server.Port()));
    driver.SetActive(true);
    driver.WriteText(1, 3, "kept", 4);
    const std::string row3 = "widget_set orv3 r3 1 3 \"kept                \"";
    ASSERT_TRUE(Receives(server, row3));

    server.DropClients();
    ASSERT_TRUE(WaitUntil([&] { return server.Connections() == 2; }, std::chrono::seconds(30)));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto commands = server.Commands();
            return std::count(commands.begin(), commands.end(), row3) == 2;
        },
        std::chrono::seconds(20)))
        << "the row is sent again on the new connection; received:\n"
        << [&] {
               std::string all;
               for (const std::string& command : server.Commands()) all += command + "\n";
               return all;
           }();
    EXPECT_TRUE(driver.GetActive());
    EXPECT_TRUE(ShownMessages().empty()) << "a lost connection is no activation failure";
}

TEST_F(LcddDriver, AServerThatStopsReadingNeverHoldsUpTheWriter) {
    TFakeLcdd server(TFakeLcdd::TMode::NotReading);
    TLCDControl_LCDd driver;
    driver.SetAddress(Address(server.Port()));
    driver.SetActive(true);
    ASSERT_TRUE(driver.GetActive());
    // Far more than the socket buffers hold: the writes only change the shared screen.
    std::string text(20, ' ');
    for (int i = 0; i < 200000; ++i) {
        std::snprintf(text.data(), text.size(), "%019d", i);
        driver.WriteText(1, static_cast<uint8_t>(1 + i % 4), text.data(), text.size());
    }
    EXPECT_TRUE(driver.GetActive());
    driver.SetActive(false); // ends within the send time-out
    EXPECT_FALSE(driver.GetActive());
}
