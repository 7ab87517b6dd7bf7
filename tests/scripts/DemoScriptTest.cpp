// scripts/demo shows its own demo panel whatever settings file the user has, such as the stub
// an earlier run of the daemon leaves behind.
#include "tests/daemon/DaemonRun.h"

#include <filesystem>

using namespace orv::test;

namespace {

TEST(DemoScript, AlwaysRunsWithItsOwnSettings) {
    TempDir home;
    // A stub settings file in the user's documents folder: no driver, no modules.
    const std::string stub = "[Common]\nQuitMsg=stub\n[Custom chars]\nhb_0=0,0,0,0,0,0,0,0\n";
    WriteText(home / "Documents/Orvanta3.ini", stub);
    // The demo's files go to a build folder of the test's own, beside the built programs.
    std::filesystem::create_directory_symlink(ORVANTA3_OUTPUT_DIR, home / "orvanta3");

    const std::string command =
        "env -u XDG_DOCUMENTS_DIR -u XDG_CONFIG_HOME -u ORVANTA3_PORTIO HOME='" + home.Path() +
        "' ORVANTA3_BUILD_DIR='" + home.Path() +
        "' '" ORVANTA3_SOURCE_DIR "/scripts/demo' --no-build --seconds 2 >'" + home / "out" +
        "' 2>'" + home / "err" + "' </dev/null";
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

} // namespace
