// orvanta3 as a user runs it, on a private X server: the built program with an autoloaded job,
// the real drivers and modules, the emulated 4 x 20 panel and a temporary documents folder.
#include "tests/shell/desktop/DesktopRig.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace orv::test {
namespace {

const std::string kProgram = std::string(ORVANTA3_OUTPUT_DIR) + "/orvanta3";
const std::string kCtl = std::string(ORVANTA3_OUTPUT_DIR) + "/orvanta3ctl";

class DesktopEndToEnd : public ::testing::Test, protected TDesktopRig {
protected:
    void SetUp() override {
        if (!ProgramExists("Xvfb"))
            GTEST_SKIP() << "Xvfb is not installed";
        xvfb = std::make_unique<TXvfbServer>(docs / "xvfb.log");
        ASSERT_FALSE(xvfb->Display().empty()) << ReadText(docs / "xvfb.log");
        ::setenv("DISPLAY", xvfb->Display().c_str(), 1);
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        ::setenv("XDG_DOCUMENTS_DIR", docs.Path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (docs / "config").c_str(), 1);
        ::setenv("ORVANTA3_PORTIO", portio.c_str(), 1);
        ASSERT_TRUE(bus.Running());
        ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str(), 1);
        ::setenv("ORVANTA3_SHM_SUFFIX", ("-desktop-e2e-" + std::to_string(::getpid())).c_str(), 1);
    }

    bool WaitForRows(const std::string &row1, const std::string &row2) {
        return WaitForPanel(state, [&](const auto &rows) {
            return rows.size() == 4 && rows[0].starts_with(row1) && rows[1].starts_with(row2);
        });
    }

    std::unique_ptr<TXvfbServer> xvfb;
    TPrivateSessionBus bus;
};

TEST_F(DesktopEndToEnd, AutoloadedJobRunsOnThePanelStepsByRemoteAndSigtermLeavesTheQuitMessage) {
    WriteAutoloadSettings("Show splash-screen=1\nQuitMsg=Good bye!\nQuitMsg line2=see you\n");
    AppendSettings("[Virtual screen]\nShow=1\n");
    WriteText(JobPath(), "[First]\nLine1=Screen one\nLine2=$time[5]$\nShow=1\nTimeout=0\n"
                         "[Second]\nLine1=Screen two\nShow=1\nTimeout=0\n");
    TChildProcess program({kProgram}, docs / "program.log");
    ASSERT_TRUE(program.Started());
    EXPECT_TRUE(WaitForPanel(state, [](const auto &rows) {
        return rows.size() == 4 && rows[0].starts_with("Screen one") && rows[1].find(':') < 5;
    })) << ReadText(docs / "program.log");

    // orvanta3ctl steps the screens through the session bus.
    EXPECT_TRUE(RunProgram({kCtl, "next"}, docs / "ctl.log")) << ReadText(docs / "ctl.log");
    EXPECT_TRUE(WaitForRows("Screen two", ""));

    EXPECT_EQ(program.Stop(SIGTERM), 0) << ReadText(docs / "program.log");
    EXPECT_TRUE(WaitForRows("Good bye!", "see you"));
    EXPECT_FALSE(std::filesystem::exists(LockFile()));
}

} // namespace
} // namespace orv::test
