// scripts/demo shows its own demo panel whatever settings file the user has, such as the stub
// an earlier run of the daemon leaves behind: in the terminal, or with a graphical display in
// the desktop program.
#include "tests/daemon/DaemonRun.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/XvfbServer.h"

#include <filesystem>

using namespace orv::test;

namespace {

// The terminal demo: without a graphical display, or with one and --terminal.
struct TDemoCall {
    std::string environment;
    std::string switches;
};
class DemoScript : public ::testing::TestWithParam<TDemoCall> {};

TEST_P(DemoScript, AlwaysRunsWithItsOwnSettings) {
    TempDir home;
    // A stub settings file in the user's documents folder: no driver, no modules.
    const std::string stub = "[Common]\nQuitMsg=stub\n[Custom chars]\nhb_0=0,0,0,0,0,0,0,0\n";
    WriteText(home / "Documents/Orvanta3.ini", stub);
    // The demo's files go to a build folder of the test's own, beside the built programs.
    std::filesystem::create_directory_symlink(ORVANTA3_OUTPUT_DIR, home / "orvanta3");

    const std::string command =
        "env -u XDG_DOCUMENTS_DIR -u XDG_CONFIG_HOME -u ORVANTA3_PORTIO -u WAYLAND_DISPLAY " +
        GetParam().environment + " HOME='" + home.Path() + "' ORVANTA3_BUILD_DIR='" + home.Path() +
        "' '" ORVANTA3_SOURCE_DIR "/scripts/demo' " + GetParam().switches +
        " --no-build --seconds 2 >'" + home / "out" + "' 2>'" + home / "err" + "' </dev/null";
    const int status = std::system(command.c_str());
    const std::string out = ReadText(home / "out");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadText(home / "err");
    EXPECT_EQ(ReadText(home / "err"), "");
    // The 4 x 20 demo panel, its first screen and its modules at work.
    EXPECT_NE(out.find("|   Orvanta3 demo    |"), std::string::npos) << out;
    EXPECT_EQ(out.find("time"), std::string::npos) << "raw tag names:\n" << out;
    EXPECT_EQ(ReadText(home / "Documents/Orvanta3.ini"), stub);
    EXPECT_NE(ReadText(home / "demo-panel.state").find("|Good bye!           |"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Terminal, DemoScript,
                         ::testing::Values(TDemoCall{"-u DISPLAY", ""},
                                           TDemoCall{"DISPLAY=:4242", "--terminal"}));

#ifdef ORVANTA3_DESKTOP
// With a display the demo job runs in the desktop program, which SIGTERM ends as "Закрыть" does.
TEST(DemoScriptOnDisplay, RunsTheDesktopProgram) {
    if (!ProgramExists("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    TempDir home;
    std::filesystem::create_directory_symlink(ORVANTA3_OUTPUT_DIR, home / "orvanta3");
    TXvfbServer xvfb(home / "xvfb.log");
    ASSERT_FALSE(xvfb.Display().empty()) << ReadText(home / "xvfb.log");
    for (const char* name : {"XDG_DOCUMENTS_DIR", "XDG_CONFIG_HOME", "ORVANTA3_PORTIO",
                             "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        ::unsetenv(name);
    ::setenv("HOME", home.Path().c_str(), 1);
    ::setenv("ORVANTA3_BUILD_DIR", home.Path().c_str(), 1);
    ::setenv("DISPLAY", xvfb.Display().c_str(), 1);

    TChildProcess demo({ORVANTA3_SOURCE_DIR "/scripts/demo", "--no-build"}, home / "log");
    const std::string state = home / "demo-panel.state";
    EXPECT_TRUE(WaitForPanel(state, [](const auto& rows) {
        return !rows.empty() && rows[0] == "   Orvanta3 demo    ";
    })) << ReadText(home / "log");
    EXPECT_EQ(demo.Stop(SIGTERM), 0) << ReadText(home / "log");
    EXPECT_EQ(PanelRows(state).at(0), "Good bye!           ");
}
#endif

} // namespace
