// The I2C panel driver against the emulated backpack (ORVANTA3_I2C): what it shows, what an
// update costs on the bus, the backlight, the panel lock, and a device that is not there.
#include "drivers/i2cpanel/I2cPanelSettings.h"
#include "drivers/i2cpanel/LCDControl_I2C.h"
#include "drivers/portio/Hd44780Charset.h"
#include "drivers/portio/Hd44780Panel.h"
#include "base/Cp1251.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/PanelState.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace orv;
using namespace orv::test;

namespace {

class I2cPanelDriver : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv(kI2cBackEndVariable, ("emu:hd44780:2x16:" + state).c_str(), 1);
        ClearShownMessages();
    }
    void TearDown() override { ::unsetenv(kI2cBackEndVariable); }

    std::unique_ptr<TLCDControl_I2C> Driver() const {
        auto driver = std::make_unique<TLCDControl_I2C>();
        driver->SetSleeper([](int) {});
        return driver;
    }
    bool StateHas(const std::string& text) const {
        return WaitUntil([&] { return ReadText(state).find(text) != std::string::npos; });
    }
    static void Frame(TLCDControl_I2C& driver, const std::function<void()>& writes) {
        driver.BeginFrame();
        writes();
        driver.EndFrame();
    }
    static void Write(TLCDControl_I2C& driver, uint8_t col, uint8_t row, const std::string& text) {
        driver.WriteText(col, row, text.data(), text.size());
    }

    TempDir dir;
    std::string state = dir / "panel.state";
};

TEST_F(I2cPanelDriver, ShowsTextAndCharactersAndSendsOnlyWhatChanged) {
    auto driver = Driver();
    driver->SetActive(true);
    ASSERT_TRUE(driver->GetActive());
    const std::string greeting = Utf8ToCp1251("Привет, мир");
    const uint8_t heart[8] = {0x00, 0x0A, 0x1F, 0x1F, 0x0E, 0x04, 0x00, 0x00};
    auto frame = [&] {
        Write(*driver, 1, 1, greeting);
        driver->DefineChar(0, heart);
        Write(*driver, 3, 2, "\x01 ok");
    };
    Frame(*driver, frame);
    EXPECT_TRUE(StateHas("|" + Hd44780ShownText(greeting) + "     |\n|  ① ok          |\n"))
        << ReadText(state);
    EXPECT_TRUE(StateHas("cgram 0: 00 0A 1F 1F 0E 04 00 00\n"));
    EXPECT_TRUE(StateHas("backlight on\n"));

    // The same frame again costs nothing; one changed cell costs a position and the character,
    // each byte four expander writes.
    uint64_t sent = driver->SentBytes();
    Frame(*driver, frame);
    EXPECT_EQ(driver->SentBytes(), sent);
    Frame(*driver, [&] { Write(*driver, 1, 2, "X"); });
    EXPECT_EQ(driver->SentBytes() - sent, 2u * 4u);
    EXPECT_TRUE(StateHas("|X ① ok          |"));

    // Cells written past the row's end are dropped; an invalid position continues the text.
    Frame(*driver, [&] {
        Write(*driver, 14, 2, "abcdef");
        Write(*driver, 9, 3, "?");
    });
    EXPECT_TRUE(StateHas("|X ① ok       abc|"));

    driver->SetBackLight(false);
    EXPECT_TRUE(StateHas("backlight off\n"));
    driver->SetVisible(false);
    EXPECT_TRUE(StateHas("hd44780 2x16 off\n"));
    EXPECT_EQ(ReadText(state).find("faults"), std::string::npos) << ReadText(state);
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(I2cPanelDriver, OneDriverPerPanelAndClearErrorsForAMissingOrWrongDevice) {
    auto first = Driver();
    first->SetActive(true);
    ASSERT_TRUE(first->GetActive());
    auto second = Driver();
    second->SetActive(true);
    EXPECT_FALSE(second->GetActive());
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_NE(ShownMessages()[0].text.find("already driven by another program"), std::string::npos)
        << ShownMessages()[0].text;
    // Activating again without switching off shows no second message.
    second->SetActive(true);
    EXPECT_EQ(ShownMessages().size(), 1u);
    first->SetActive(false);
    second->SetActive(false);
    second->SetActive(true);
    EXPECT_TRUE(second->GetActive());
    second->SetActive(false);

    ClearShownMessages();
    ::unsetenv(kI2cBackEndVariable);
    auto real = Driver();
    real->SetBus((dir / "no-such-i2c-bus").c_str());
    real->SetAddress(0x3F);
    real->SetActive(true);
    EXPECT_FALSE(real->GetActive());
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_NE(ShownMessages()[0].text.find("no-such-i2c-bus"), std::string::npos);

    ClearShownMessages();
    ::setenv(kI2cBackEndVariable, "emu:ks0108:x", 1);
    real->SetActive(false);
    real->SetActive(true);
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_NE(ShownMessages()[0].text.find("names no I2C back end"), std::string::npos)
        << ShownMessages()[0].text;

    EXPECT_EQ(ParseI2cAddress("0x27"), 0x27);
    EXPECT_EQ(ParseI2cAddress("$3F"), 0x3F);
    EXPECT_EQ(ParseI2cAddress("39"), 39);
    EXPECT_EQ(ParseI2cAddress("0x78"), std::nullopt);
    EXPECT_EQ(ParseI2cAddress("backpack"), std::nullopt);
}

} // namespace
