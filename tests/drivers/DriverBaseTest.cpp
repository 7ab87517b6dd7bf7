// The driver base against the fake port library: port addresses, activation and release of
// the port library, the keypad scan and its thread, the port lock.
#include "drivers/base/LCDBaseControlUnit.h"
#include "drivers/base/PortText.h"
#include "tests/drivers/FakePort.h"
#include "tests/support/MessageCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace orv;
using namespace orv::test;

namespace {

// A driver whose panel initialisation only counts.
class TCountingControl : public TLCDPortControl {
public:
    TCountingControl() { SetPortLibraryPath(TFakePort::kPath); }
    std::atomic<int> inits = 0;

protected:
    void InitPanel() override { ++inits; }
};

// Waits up to 20 s for a condition that another thread makes true.
template <typename F> bool Eventually(F condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace

TEST(PortText, ReadsDecimalAndHexadecimalAndWritesFourHexDigits) {
    EXPECT_EQ(ParsePortText("888"), 0x378u);
    EXPECT_EQ(ParsePortText("$378"), 0x378u);
    EXPECT_EQ(ParsePortText(" $3bc "), 0x3BCu);
    EXPECT_EQ(ParsePortText("0x278"), 0x278u);
    EXPECT_EQ(ParsePortText("4294967295"), 0xFFFFFFFFu);
    for (const char* bad : {"", "$", "abc", "$37G", "-1", "4294967296", "3 78"})
        EXPECT_THROW(ParsePortText(bad), std::invalid_argument) << bad;
    EXPECT_EQ(FormatPortText(0x378), "$0378");
    EXPECT_EQ(FormatPortText(0xE800), "$E800");
    EXPECT_EQ(FormatPortText(0x12345), "$12345");
}

TEST(PortText, ADeviceNamesThePortByItsFile) {
    EXPECT_EQ(ParsePortName(" /dev/parport0 "), (TPortName{0, "/dev/parport0"}));
    EXPECT_EQ(ParsePortName("$378"), (TPortName{0x378, ""}));
    EXPECT_THROW(ParsePortName("dev/parport0"), std::invalid_argument);
    EXPECT_EQ(FormatPortName({0, "/dev/parport1"}), "/dev/parport1");
    EXPECT_EQ(FormatPortName({0x278, ""}), "$0278");

    TCountingControl driver;
    driver.SetPort("/dev/parport1");
    EXPECT_EQ(driver.GetPort(), "/dev/parport1");
    driver.SetPort("888");
    EXPECT_EQ(driver.GetPort(), "$0378");
}

TEST(DriverPort, SetsTheAddressTripleAndKeepsItOnBadText) {
    TCountingControl driver;
    driver.SetPort("888");
    EXPECT_EQ(driver.DataPort(), 0x378u);
    EXPECT_EQ(driver.StatusPort(), 0x379u);
    EXPECT_EQ(driver.ControlPort(), 0x37Au);
    EXPECT_EQ(driver.GetPort(), "$0378");
    driver.SetPort("$278");
    EXPECT_EQ(driver.GetPort(), "$0278");
    EXPECT_THROW(driver.SetPort("LPT1"), std::invalid_argument);
    EXPECT_EQ(driver.DataPort(), 0x278u);
    EXPECT_EQ(driver.ControlPort(), 0x27Au);
}

TEST(DriverActivation, LoadsOnceInitialisesAndReleasesAfterUse) {
    TFakePort fake;
    TCountingControl driver;
    driver.SetPort("$278");
    driver.SetActive(true);
    driver.SetActive(true);
    EXPECT_TRUE(driver.GetActive());
    EXPECT_EQ(driver.inits, 1);
    EXPECT_EQ(fake.Counts().opens, 1);
    EXPECT_EQ(fake.Counts().base, 0x278u);

    driver.SetPort("$378"); // while active: reopened and initialised again
    EXPECT_EQ(driver.inits, 2);
    EXPECT_EQ(fake.Counts().base, 0x378u);

    driver.SetActive(false);
    driver.SetActive(false);
    EXPECT_FALSE(driver.GetActive());
    const auto counts = fake.Counts();
    EXPECT_EQ(counts.opens, 2);
    EXPECT_EQ(counts.closes, 2);
    EXPECT_EQ(counts.accessWhileClosed, 0);
    EXPECT_FALSE(driver.GetBackLight());
    driver.SetBackLight(true);
    EXPECT_FALSE(driver.GetBackLight());
}

TEST(DriverActivation, MissingOrUnopenablePortLibraryLeavesTheDriverInactive) {
    TFakePort fake;
    ClearShownMessages();
    TCountingControl missing;
    missing.SetPortLibraryPath("/nonexistent/libdlportio.so");
    missing.SetActive(true);
    EXPECT_FALSE(missing.GetActive());
    EXPECT_EQ(missing.inits, 0);

    fake.FailOpen(true);
    TCountingControl unopenable;
    unopenable.SetActive(true);
    EXPECT_FALSE(unopenable.GetActive());
    EXPECT_EQ(unopenable.inits, 0);
    unopenable.SetScanKeyboard(true);
    EXPECT_FALSE(unopenable.GetScanKeyboard());
    EXPECT_EQ(unopenable.ScanPass(), -1);

    const auto shown = ShownMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Error loading \"libdlportio.so\"!");
    EXPECT_EQ(shown[1].text, "Cannot open the parallel port $0378: the port library refused it");
    for (const auto& m : shown) {
        EXPECT_EQ(m.caption, "Error");
        EXPECT_EQ(m.flags, mbError);
    }
}

TEST(DriverActivation, AFailureIsReportedOnceUntilTheDriverIsSwitchedOff) {
    // The host activates the driver its Init has just tried to activate: one message, not two.
    TFakePort fake;
    fake.FailOpen(true);
    ClearShownMessages();
    TCountingControl driver;
    driver.SetActive(true);
    driver.SetActive(true);
    EXPECT_EQ(ShownMessages().size(), 1u);
    driver.SetActive(false); // the user switches it off and on again: told again
    driver.SetActive(true);
    EXPECT_EQ(ShownMessages().size(), 2u);
    fake.FailOpen(false);
    driver.SetActive(true);
    EXPECT_TRUE(driver.GetActive());
    EXPECT_EQ(ShownMessages().size(), 2u);
}

TEST(DriverActivation, PortThatCannotBeReopenedDeactivates) {
    TFakePort fake;
    ClearShownMessages();
    TCountingControl driver;
    driver.SetActive(true);
    fake.FailOpen(true);
    driver.SetPort("$278");
    EXPECT_FALSE(driver.GetActive());
    EXPECT_EQ(driver.GetPort(), "$0278");
    EXPECT_EQ(ShownMessages().size(), 1u);
}

TEST(KeypadScan, ReportsTheFirstHeldKeyInDataLineOrder) {
    TFakePort fake;
    TCountingControl driver;
    int presses = 0;
    driver.OnKeyPress = [&](TLCDBaseControl* sender) {
        EXPECT_EQ(sender, &driver);
        ++presses;
    };
    driver.SetActive(true);

    EXPECT_EQ(driver.ScanPass(), -1);
    EXPECT_EQ(driver.GetScanCode(), -1);
    EXPECT_EQ(presses, 0) << "no key: OnKeyPress is never called";

    fake.HoldKeys(0b101); // D0 and D2
    EXPECT_EQ(driver.ScanPass(), 0);
    EXPECT_EQ(driver.GetScanCode(), 0);
    fake.HoldKeys(0b100);
    EXPECT_EQ(driver.ScanPass(), 2);
    fake.HoldKeys(0b010);
    EXPECT_EQ(driver.ScanPass(), 1);
    EXPECT_EQ(presses, 3);

    // The probes: D0, D1, D2 on the data lines, each followed by a status read.
    fake.Reset();
    fake.HoldKeys(0);
    driver.ScanPass();
    std::vector<uint8_t> data;
    for (const auto& w : fake.Writes()) {
        EXPECT_EQ(w.port, driver.DataPort());
        data.push_back(w.value);
    }
    EXPECT_EQ(data, (std::vector<uint8_t>{0x01, 0x02, 0x04}));
}

TEST(KeypadThread, ReportsAHeldKeyAndStopsBeforeThePortIsReleased) {
    TFakePort fake;
    TCountingControl driver;
    EXPECT_FALSE((driver.SetScanKeyboard(true), driver.GetScanKeyboard()))
        << "an inactive driver does not scan";
    std::atomic<int> presses = 0;
    driver.OnKeyPress = [&](TLCDBaseControl*) { ++presses; };
    driver.SetActive(true);
    driver.SetScanKeyboard(true);
    driver.SetScanKeyboard(true); // still one thread
    EXPECT_TRUE(driver.GetScanKeyboard());
    EXPECT_TRUE(Eventually([&] { return fake.Writes().size() >= 6; })) << "the thread scans";
    EXPECT_EQ(presses, 0);
    EXPECT_EQ(driver.GetScanCode(), -1);

    fake.HoldKeys(0b010);
    EXPECT_TRUE(Eventually([&] { return presses > 0; }));
    EXPECT_EQ(driver.GetScanCode(), 1);

    driver.SetActive(false); // stops the thread first, then releases the port
    EXPECT_TRUE(driver.GetScanKeyboard()) << "scanning resumes on the next activation";
    const size_t after = fake.Writes().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(fake.Writes().size(), after);
    EXPECT_EQ(fake.Counts().accessWhileClosed, 0);

    driver.SetActive(true);
    fake.HoldKeys(0b001);
    EXPECT_TRUE(Eventually([&] { return driver.GetScanCode() == 0; }));
    driver.SetScanKeyboard(false);
    EXPECT_FALSE(driver.GetScanKeyboard());
}

TEST(KeypadThread, CanBeStoppedFromItsOwnKeyHandler) {
    TFakePort fake;
    TCountingControl driver;
    std::atomic<int> presses = 0;
    driver.OnKeyPress = [&](TLCDBaseControl*) {
        ++presses;
        driver.SetScanKeyboard(false);
    };
    driver.SetActive(true);
    fake.HoldKeys(0b001);
    driver.SetScanKeyboard(true);
    EXPECT_TRUE(Eventually([&] { return presses > 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(presses, 1);
    driver.SetActive(false);
}
