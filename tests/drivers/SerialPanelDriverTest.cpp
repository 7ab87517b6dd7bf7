// The serial display driver against a display emulated on a pseudo-terminal: what it shows,
// its keys as keypad codes, and the display unplugged and plugged in again under its name.
#include "drivers/portio/Hd44780Panel.h"
#include "drivers/serialpanel/LCDControl_Serial.h"
#include "drivers/serialpanel/SerialLink.h"
#include "base/Cp1251.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/PanelState.h"
#include "tests/support/SerialPanelEmulator.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <mutex>

using namespace orv;
using namespace orv::test;

namespace {

class SerialPanelDriver : public ::testing::Test {
protected:
    void SetUp() override { ClearShownMessages(); }

    bool StateHas(const std::string& text, const std::function<void()>& meanwhile = {}) const {
        return WaitUntil(
            [&] {
                if (meanwhile) meanwhile();
                return ReadText(state).find(text) != std::string::npos;
            },
            std::chrono::seconds(30));
    }
    static void Write(TLCDControl_Serial& driver, uint8_t col, uint8_t row,
                      const std::string& text) {
        driver.WriteText(col, row, text.data(), text.size());
    }

    TempDir dir;
    std::string device = dir / "usb-Display_0001-if00";
    std::string state = dir / "panel.state";
};

TEST_F(SerialPanelDriver, ShowsTheFrameTakesKeysAndComesBackAfterTheDisplayIsPluggedInAgain) {
    TSerialPanelEmulator display(device, state, 4, 20);
    TLCDControl_Serial driver;
    driver.SetDevice(device);
    driver.SetBaud(19200);
    driver.SetRowCount(4);
    driver.SetColCount(20);
    driver.SetBrightness(128);
    driver.SetContrast(190);
    driver.SetReconnectDelay(std::chrono::milliseconds(20));
    std::mutex keysMutex;
    std::vector<int8_t> keys;
    driver.OnKeyPress = [&](TLCDBaseControl* sender) {
        std::lock_guard lock(keysMutex);
        keys.push_back(sender->GetScanCode());
    };
    driver.SetActive(true);
    ASSERT_TRUE(driver.GetActive()) << (ShownMessages().empty() ? "" : ShownMessages()[0].text);

    const std::string greeting = Utf8ToCp1251("Ёлка ждёт");
    const uint8_t bell[8] = {0x04, 0x0E, 0x0E, 0x0E, 0x1F, 0x00, 0x04, 0x00};
    auto frame = [&] {
        driver.BeginFrame();
        Write(driver, 1, 1, greeting);
        driver.DefineChar(7, bell);
        Write(driver, 18, 4, "\x08!");
        driver.EndFrame();
    };
    frame();
    const std::string rows = "|" + Hd44780ShownText(greeting) + std::string(11, ' ') + "|\n|" +
                             std::string(20, ' ') + "|\n|" + std::string(20, ' ') + "|\n|" +
                             std::string(17, ' ') + "⑧! |\n";
    EXPECT_TRUE(StateHas(rows)) << ReadText(state);
    EXPECT_TRUE(StateHas("cgram 7: 04 0E 0E 0E 1F 00 04 00\n"));
    EXPECT_TRUE(StateHas("backlight on\nbrightness 128\ncontrast 190\n")) << ReadText(state);
    const uint64_t sent = driver.SentBytes();
    frame();
    EXPECT_EQ(driver.SentBytes(), sent);

    display.SendKeys("BxAC");
    EXPECT_TRUE(WaitUntil([&] {
        std::lock_guard lock(keysMutex);
        return keys == std::vector<int8_t>{1, 0, 2};
    }));

    // Unplugged: the frames go nowhere without blocking; plugged in again, a blank display
    // gets everything back, with no frame after it.
    display.Unplug();
    frame();
    display.Plug();
    EXPECT_TRUE(StateHas(rows)) << ReadText(state);
    EXPECT_TRUE(StateHas("cgram 7: 04 0E 0E 0E 1F 00 04 00\n"));
    EXPECT_TRUE(driver.GetActive());
    display.SendKeys("C");
    EXPECT_TRUE(WaitUntil([&] {
        std::lock_guard lock(keysMutex);
        return keys.size() == 4 && keys.back() == 2;
    }));

    driver.SetBackLight(false);
    EXPECT_TRUE(StateHas("backlight off\n"));
    EXPECT_EQ(ReadText(state).find("unknown"), std::string::npos) << ReadText(state);
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(SerialPanelDriver, ADisplayThatStopsReadingNeverHoldsUpTheFrames) {
    TSerialPanelEmulator display(device, state, 4, 40);
    TLCDControl_Serial driver;
    driver.SetDevice(device);
    driver.SetRowCount(4);
    driver.SetColCount(40);
    driver.SetReconnectDelay(std::chrono::milliseconds(20));
    driver.SetActive(true);
    ASSERT_TRUE(driver.GetActive());
    display.Freeze();
    // Frames that change every cell, until the line's buffers are full and writes time out:
    // each frame returns, and the driver stays on.
    std::string last;
    int timedOut = 0;
    for (int n = 0; n < 5000 && timedOut < 3; ++n) {
        const uint64_t before = driver.SentBytes();
        last = std::string(40, static_cast<char>('a' + n % 26));
        driver.BeginFrame();
        for (uint8_t row = 1; row <= 4; ++row) Write(driver, 1, row, last);
        driver.EndFrame();
        if (driver.SentBytes() == before) ++timedOut;
    }
    EXPECT_EQ(timedOut, 3);
    EXPECT_TRUE(driver.GetActive());
    display.Thaw();
    EXPECT_TRUE(StateHas("|" + last + "|\n|" + last + "|\n", [&] {
        driver.BeginFrame();
        driver.EndFrame();
    })) << ReadText(state);
}

TEST_F(SerialPanelDriver, RefusesWhatItCannotDrive) {
    struct TCase {
        std::string device;
        int32_t baud;
        std::string message;
    };
    TSerialPanelEmulator display(device, state, 2, 16);
    const std::string plainFile = dir / "plain";
    WriteText(plainFile, "x");
    const std::vector<TCase> cases = {
        {dir / "ttyUSB9", 9600, "cannot open"},
        {plainFile, 9600, "is no serial device"},
        {device, 9601, "no baud rate"},
    };
    for (const TCase& c : cases) {
        ClearShownMessages();
        TLCDControl_Serial driver;
        driver.SetDevice(c.device);
        driver.SetBaud(c.baud);
        driver.SetActive(true);
        EXPECT_FALSE(driver.GetActive()) << c.device;
        ASSERT_EQ(ShownMessages().size(), 1u) << c.device;
        EXPECT_NE(ShownMessages()[0].text.find(c.message), std::string::npos)
            << ShownMessages()[0].text;
    }
    // One driver per display.
    TLCDControl_Serial first, second;
    first.SetDevice(device);
    second.SetDevice(device);
    first.SetActive(true);
    EXPECT_TRUE(first.GetActive());
    ClearShownMessages();
    second.SetActive(true);
    EXPECT_FALSE(second.GetActive());
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_NE(ShownMessages()[0].text.find("already driven"), std::string::npos);
}

} // namespace
