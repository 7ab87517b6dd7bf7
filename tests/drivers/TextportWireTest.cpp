// The HD44780 driver's port writes, decoded back into the bytes each controller latched.
#include "drivers/textport/LCDControl_LPT.h"
#include "base/Cp1251.h"
#include "tests/drivers/FakePort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace orv;
using namespace orv::test;

namespace {

constexpr uint8_t kInit[] = {0x38, 0x38, 0x38, 0x06, 0x08, 0x01, 0x0C, 0x02};

struct TTextPanel {
    TFakePort fake;
    TLCDControl_LPT driver;
    std::vector<int> sleeps;

    TTextPanel(int rows, int cols) {
        driver.SetPortLibraryPath(TFakePort::kPath);
        driver.SetSleeper([this](int ms) { sleeps.push_back(ms); });
        driver.SetRowCount(rows);
        driver.SetColCount(cols);
        driver.SetWriteDelay(0);
        driver.SetActive(true);
    }
    // The latches since the last call.
    std::vector<THd44780Latch> Take() {
        auto latches = Hd44780Latches(fake.Writes(), driver.DataPort());
        fake.Reset();
        return latches;
    }
    void Write(uint8_t col, uint8_t row, std::string_view text) {
        driver.WriteText(col, row, text.data(), text.size());
    }
};

THd44780Latch Instruction(int controller, uint8_t code) { return {controller, false, code}; }
THd44780Latch Data(int controller, uint8_t value) { return {controller, true, value}; }

} // namespace

TEST(TextportWire, InitialisesOneControllerWithTheFixedSequenceAndSleeps) {
    TTextPanel panel(2, 16);
    std::vector<THd44780Latch> expected;
    for (uint8_t code : kInit) expected.push_back(Instruction(1, code));
    EXPECT_EQ(panel.Take(), expected);
    EXPECT_EQ(panel.sleeps,
              (std::vector<int>{10, 100, 10, 10, 10, 10, 10, 10, 10})); // 100 ms after the first

    panel.driver.SetVisible(false);
    panel.driver.Clear();
    panel.driver.SetVisible(true);
    EXPECT_EQ(panel.Take(), (std::vector<THd44780Latch>{Instruction(1, 0x08), Instruction(1, 0x01),
                                                        Instruction(1, 0x0C)}));
}

TEST(TextportWire, RowsAndCustomCharactersAreWrittenWithoutSleeping) {
    // Addressing a row or a character cell is as quick for the controller as a data write:
    // only the slow instructions (initialisation, clear, display on and off) sleep.
    TTextPanel panel(4, 20);
    panel.sleeps.clear();
    const uint8_t pattern[8] = {};
    for (uint8_t row = 1; row <= 4; ++row) panel.Write(1, row, "abc");
    panel.driver.DefineChar(0, pattern);
    EXPECT_EQ(panel.sleeps, std::vector<int>{});
    panel.driver.Clear();
    EXPECT_EQ(panel.sleeps, std::vector<int>{10});
}

TEST(TextportWire, TranslatesWindows1251TextForTheCyrillicRom) {
    TTextPanel panel(2, 16);
    panel.Take();
    panel.Write(3, 2, "Ёё\x05\x01~АЬьЪя "_cp1251);
    EXPECT_EQ(panel.Take(), (std::vector<THd44780Latch>{
                                Instruction(1, 0xC2), Data(1, 0xA2), Data(1, 0xB5), Data(1, 0x04),
                                Data(1, 0x00), Data(1, 0x7E), Data(1, 0x41), Data(1, 0xC4),
                                Data(1, 0xC4), Data(1, 0xAD), Data(1, 0xC7), Data(1, 0x20)}));
}

TEST(TextportWire, AddressesEveryRowByThePanelsRealMap) {
    struct TCase {
        int rows, cols;
        std::vector<THd44780Latch> rowStarts; // positioning of rows 1..4 at column 2
    };
    const auto rows12 = {Instruction(1, 0x81), Instruction(1, 0xC1)};
    auto with = [&](std::vector<THd44780Latch> rows34) {
        std::vector<THd44780Latch> all(rows12);
        all.insert(all.end(), rows34.begin(), rows34.end());
        return all;
    };
    const TCase cases[] = {
        {4, 20, with({Instruction(1, 0x95), Instruction(1, 0xD5)})},
        {4, 16, with({Instruction(1, 0x91), Instruction(1, 0xD1)})},
        {4, 40, with({Instruction(2, 0x81), Instruction(2, 0xC1)})},
        {4, 24, with({Instruction(2, 0x81), Instruction(2, 0xC1)})},
        {2, 40, with({})},
        {1, 16, {Instruction(1, 0x81)}},
    };
    for (const TCase& c : cases) {
        TTextPanel panel(c.rows, c.cols);
        panel.Take();
        std::vector<THd44780Latch> starts;
        for (uint8_t row = 1; row <= 4; ++row) {
            panel.Write(2, row, "x");
            for (const auto& latch : panel.Take())
                if (!latch.data) starts.push_back(latch);
        }
        EXPECT_EQ(starts, c.rowStarts) << c.rows << "x" << c.cols;
    }
}

TEST(TextportWire, MissingRowOrBadPositionWritesAtTheCurrentAddress) {
    TTextPanel panel(2, 16);
    panel.Take();
    panel.Write(1, 3, "ab");
    panel.Write(41, 1, "c");
    panel.Write(0, 1, "d");
    panel.Write(1, 0, "e");
    EXPECT_EQ(panel.Take(), (std::vector<THd44780Latch>{Data(1, 'a'), Data(1, 'b'), Data(1, 'c'),
                                                        Data(1, 'd'), Data(1, 'e')}));
}

TEST(TextportWire, FortyByFourPanelsDriveBothControllers) {
    TTextPanel panel(4, 40);
    std::vector<THd44780Latch> expected;
    for (uint8_t code : kInit) {
        expected.push_back(Instruction(1, code));
        expected.push_back(Instruction(2, code));
    }
    EXPECT_EQ(panel.Take(), expected) << "initialisation reaches both controllers";

    panel.Write(1, 3, "ab");
    EXPECT_EQ(panel.Take(),
              (std::vector<THd44780Latch>{Instruction(2, 0x80), Data(2, 'a'), Data(2, 'b')}));
    panel.driver.Clear();
    EXPECT_EQ(panel.Take(),
              (std::vector<THd44780Latch>{Instruction(1, 0x01), Instruction(2, 0x01)}));
    panel.Write(1, 5, "c"); // invalid row: stays with the controller of row 3
    EXPECT_EQ(panel.Take(), (std::vector<THd44780Latch>{Data(2, 'c')}));
}

TEST(TextportWire, DefineCharLoadsCgramOfEveryController) {
    const uint8_t pattern[8] = {0x1F, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x1F, 0xE0};
    TTextPanel panel(2, 16);
    panel.Take();
    panel.driver.DefineChar(3, pattern);
    std::vector<THd44780Latch> expected{Instruction(1, 0x58)};
    for (uint8_t b : pattern) expected.push_back(Data(1, b));
    EXPECT_EQ(panel.Take(), expected);
    panel.driver.DefineChar(8, pattern);
    EXPECT_TRUE(panel.Take().empty()) << "only custom characters 0..7 exist";

    TTextPanel wide(4, 40);
    wide.Take();
    wide.driver.DefineChar(0, pattern);
    const auto latches = wide.Take();
    ASSERT_EQ(latches.size(), 18u);
    EXPECT_EQ(latches[0], Instruction(1, 0x40));
    EXPECT_EQ(latches[1], Instruction(2, 0x40));
}

TEST(TextportProperties, AcceptOnlyPanelSizesAndNotify) {
    TLCDControl_LPT driver;
    int colChanges = 0, rowChanges = 0;
    driver.OnColCountChange = [&](TLCDBaseControl*) { ++colChanges; };
    driver.OnRowCountChange = [&](TLCDBaseControl*) { ++rowChanges; };
    EXPECT_EQ(driver.GetPort(), "$0378");
    EXPECT_EQ(driver.GetWriteDelay(), 100000);
    EXPECT_TRUE(driver.GetVisible());
    driver.SetColCount(8);
    driver.SetColCount(41);
    EXPECT_EQ(driver.GetColCount(), 16);
    driver.SetColCount(24);
    EXPECT_EQ(driver.GetColCount(), 24);
    driver.SetRowCount(3);
    driver.SetRowCount(0);
    EXPECT_EQ(driver.GetRowCount(), 2);
    driver.SetRowCount(4);
    EXPECT_EQ(driver.GetRowCount(), 4);
    EXPECT_EQ(colChanges, 1);
    EXPECT_EQ(rowChanges, 1);
}

TEST(TextportWire, InactiveDriverWritesNothing) {
    TFakePort fake;
    TLCDControl_LPT driver;
    driver.SetPortLibraryPath(TFakePort::kPath);
    const uint8_t pattern[8] = {};
    driver.Clear();
    driver.WriteText(1, 1, "x", 1);
    driver.DefineChar(0, pattern);
    driver.SetVisible(false);
    EXPECT_TRUE(fake.Writes().empty());
}

TEST(TextportWire, KeypadProbesNeverSplitAPanelWrite) {
    TTextPanel panel(2, 16);
    panel.Take();
    panel.driver.SetScanKeyboard(true);
    const std::string line(20, 'x');
    for (int i = 0; i < 200; ++i) panel.Write(1, 1, line);
    panel.driver.SetScanKeyboard(false);

    // Every data write is "control 0x04, data byte, control 0x05" with nothing in between.
    const auto writes = panel.fake.Writes();
    const uint32_t control = panel.driver.ControlPort();
    int dataWrites = 0;
    for (size_t i = 0; i < writes.size(); ++i) {
        if (writes[i].port != control || writes[i].value != 0x05) continue;
        ASSERT_GE(i, 2u);
        EXPECT_EQ(writes[i - 1].value, 'x');
        EXPECT_EQ(writes[i - 2].port, control);
        EXPECT_EQ(writes[i - 2].value, 0x04);
        ++dataWrites;
    }
    EXPECT_EQ(dataWrites, 200 * 20);
}

TEST(TextportWire, AFramesWritesEndAsOneUpdate) {
    TTextPanel panel(4, 20);
    panel.Take();
    const uint8_t pattern[8] = {1, 2, 3, 4, 5, 6, 7, 8};

    // Outside a frame every write ends an update of its own.
    panel.Write(1, 1, "one");
    panel.Write(1, 2, "two");
    EXPECT_EQ(panel.fake.Updates().size(), 2u);
    panel.Take();

    panel.driver.BeginFrame();
    panel.driver.DefineChar(0, pattern);
    panel.Write(1, 1, "\x01 new");
    panel.Write(1, 4, "four");
    EXPECT_TRUE(panel.fake.Updates().empty()) << "nothing is told before the frame ends";
    panel.driver.EndFrame();
    EXPECT_EQ(panel.fake.Updates(), (std::vector<size_t>{panel.fake.Writes().size()}));

    // A frame that wrote nothing tells nothing; afterwards writes are single updates again.
    panel.Take();
    panel.driver.BeginFrame();
    panel.driver.EndFrame();
    EXPECT_TRUE(panel.fake.Updates().empty());
    panel.Write(1, 3, "three");
    EXPECT_EQ(panel.fake.Updates().size(), 1u);
}
