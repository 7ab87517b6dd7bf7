// orvanta3d with the I2C backpack driver and the serial display driver, each beside a second
// daemon on the textport driver and the parallel-port emulator running the same job: the rows
// and custom characters (bars, the big clock, Cyrillic, an icon) come out the same. The
// serial display's keys flip the screens, and a display unplugged and plugged in again gets
// its screen back without a restart.
#include "drivers/portio/Hd44780Panel.h"
#include "tests/daemon/DaemonRun.h"
#include "tests/support/SerialPanelEmulator.h"
#include "tests/support/WaitUntil.h"

using namespace orv;
using namespace orv::test;

namespace {

// The header, rows and custom characters of a state file.
std::string PanelPart(const std::string& state) {
    std::istringstream in(state);
    std::string line, part;
    while (std::getline(in, line))
        if (line.starts_with("hd44780") || line.starts_with("|") || line.starts_with("cgram"))
            part += line + "\n";
    return part;
}

const std::string kBarsJob = "[Bars]\nTimeout=0\nLine1=Привет, мир!\n"
                             "Line2=$defineCharset[0]$$nowDay[,,101,,bar]$\n"
                             "Line3=Ёлки-палки, ёж\n"
                             "Line4=$MaskChar['8;x04;x0E;x1F;x0E;x04;x00;x00;x00']$ icon\nShow=1\n";
const std::string kClockJob = "[Clock]\nTimeout=0\nLine1=$tallfour$$bigClock_1[,,,2]$\n"
                              "Line2=$bigClock_2[,,,2]$\nLine3=$bigClock_3[,,,2]$\n"
                              "Line4=Время\nShow=1\n";
const std::string kSecondScreen = "[Second]\nTimeout=0\nLine1=second screen\nShow=1\n";

class PanelDriversEndToEnd : public DaemonTest {
protected:
    void TearDown() override {
        ::unsetenv("ORVANTA3_I2C");
        for (pid_t child : children_) {
            ::kill(child, SIGKILL);
            WaitStatus(child);
        }
    }
    // The settings of the daemon with the other driver: the textport section replaced.
    void WriteOtherSettings(const std::string& section) {
        std::string settings = kPanelSettings;
        const std::string textport = "[textport.so]\nActive=1\nLines count=4\nCols count=20\n";
        settings.replace(settings.find(textport), textport.size(), section);
        WriteText(other / "Orvanta3.ini", Utf8ToCp1251(settings));
    }
    pid_t StartIn(const std::string& folder, const std::string& job) {
        documents = folder;
        const pid_t child = Start({"--job", job});
        documents = docs.Path();
        children_.push_back(child);
        return child;
    }
    // Both panels show the job alike: a row of it (UTF-8) and everything else the same.
    bool ShowAlike(const std::string& otherState, const std::string& jobRow) {
        const std::string shown = "|" + Hd44780ShownText(Utf8ToCp1251(jobRow));
        return WaitUntil(
            [&] {
                const std::string part = PanelPart(ReadText(state));
                return part.find(shown) != std::string::npos &&
                       part == PanelPart(ReadText(otherState));
            },
            std::chrono::seconds(60));
    }
    int Terminate(pid_t child) {
        ::kill(child, SIGTERM);
        const int status = WaitStatus(child);
        std::erase(children_, child);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempDir other;
    std::vector<pid_t> children_;
};

TEST_F(PanelDriversEndToEnd, TheI2cBackpackShowsWhatTheParallelPortShows) {
    const std::string i2cState = other / "i2c.state";
    WriteOtherSettings("[i2cpanel.so]\nActive=1\nBus=/dev/i2c-7\nAddress=0x3F\nLines count=4\n"
                       "Cols count=20\n");
    ::setenv("ORVANTA3_I2C", ("emu:hd44780:4x20:" + i2cState).c_str(), 1);
    for (const auto& [job, row] : {std::pair{kBarsJob, "Ёлки-палки, ёж"}, {kClockJob, "Время"}}) {
        WriteText(docs / "job.orv3", Utf8ToCp1251(job));
        const pid_t textport = StartIn(docs.Path(), docs / "job.orv3");
        const pid_t i2c = StartIn(other.Path(), docs / "job.orv3");
        EXPECT_TRUE(ShowAlike(i2cState, row)) << ReadText(state) << "\n"
                                              << ReadText(i2cState) << ReadText(other / "err");
        EXPECT_EQ(Terminate(i2c), 0);
        EXPECT_EQ(Terminate(textport), 0);
        const std::string last = ReadText(i2cState);
        EXPECT_NE(last.find("|Good bye!           |"), std::string::npos) << last;
        EXPECT_EQ(last.find("faults"), std::string::npos) << last;
        EXPECT_NE(last.find("backlight on"), std::string::npos) << last;
    }

    // --check names the values the driver does not take.
    WriteOtherSettings("[i2cpanel.so]\nActive=1\nAddress=0x99\nWiring=sideways\nLines count=4\n");
    const TRun check = RunWith("XDG_DOCUMENTS_DIR='" + other.Path() + "' ",
                               "--check '" + (docs / "job.orv3") + "'");
    const std::string said = check.out + check.err;
    EXPECT_NE(said.find("[i2cpanel.so] Address=0x99 is not taken; the driver uses 0x27"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("[i2cpanel.so] Wiring=sideways is not taken"), std::string::npos);
    EXPECT_EQ(said.find("Lines count"), std::string::npos);
}

TEST_F(PanelDriversEndToEnd, TheSerialDisplayShowsTheJobFlipsScreensAndSurvivesAReplug) {
    const std::string device = other / "usb-Display_0001-if00";
    const std::string serialState = other / "serial.state";
    TSerialPanelEmulator display(device, serialState, 4, 20);
    WriteOtherSettings("[serialpanel.so]\nActive=1\nDevice=" + device +
                       "\nBaud=57600\nLines count=4\nCols count=20\nKeys=PNF\n");
    WriteText(docs / "job.orv3", Utf8ToCp1251(kBarsJob + kSecondScreen));
    const pid_t textport = StartIn(docs.Path(), docs / "job.orv3");
    const pid_t serial = StartIn(other.Path(), docs / "job.orv3");
    ASSERT_TRUE(ShowAlike(serialState, "Ёлки-палки, ёж"))
        << ReadText(state) << "\n"
        << ReadText(serialState) << ReadText(other / "err");

    auto serialShows = [&](const std::string& first) {
        return test::WaitForPanel(serialState, [&](const std::vector<std::string>& rows) {
            return !rows.empty() && rows[0].starts_with(first);
        });
    };
    display.SendKeys("N");
    EXPECT_TRUE(serialShows("second screen"));
    display.Unplug();
    display.Plug(); // a blank display under the same name
    EXPECT_TRUE(serialShows("second screen"));
    display.SendKeys("P");
    EXPECT_TRUE(ShowAlike(serialState, "Ёлки-палки, ёж")) << ReadText(state) << "\n"
                                                          << ReadText(serialState);

    EXPECT_EQ(Terminate(serial), 0) << ReadText(other / "err");
    EXPECT_EQ(Terminate(textport), 0);
    EXPECT_TRUE(serialShows("Good bye!"));
    EXPECT_EQ(ReadText(serialState).find("unknown"), std::string::npos) << ReadText(serialState);
    EXPECT_EQ(ReadText(other / "err"), "");
}

} // namespace
