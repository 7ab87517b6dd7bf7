// The systemd units of orvanta3d as cmake --install puts them under a prefix: in the unit
// folders, naming the installed program, and accepted by systemd-analyze verify when the
// machine has it.
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace orv::test;
namespace fs = std::filesystem;

namespace {

// Runs a shell command; its exit status, with standard output and error in output.
int Shell(const std::string& command, std::string& output, const TempDir& dir) {
    const int status = std::system((command + " >'" + (dir / "output") + "' 2>&1").c_str());
    output = ReadText(dir / "output");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ServiceUnits, AreInstalledUnderThePrefixAndPassSystemdAnalyzeVerify) {
    TempDir prefix;
    TempDir scratch;
    std::string output;
    // Only the daemon's part of the build tree: its program, its link and its units.
    ASSERT_EQ(Shell(std::string("'") + ORVANTA3_CMAKE_COMMAND + "' --install '" +
                        ORVANTA3_BINARY_DIR + "/daemon' --prefix '" + prefix.Path() + "'",
                    output, scratch),
              0)
        << output;
    const std::string system = prefix / "lib/systemd/system/orvanta3d.service";
    const std::string user = prefix / "lib/systemd/user/orvanta3d.service";
    const std::string program = prefix / "bin/orvanta3d";
    for (const std::string& unit : {system, user}) {
        const std::string text = ReadText(unit);
        EXPECT_NE(text.find("ExecStart=" + program), std::string::npos) << unit << "\n" << text;
        EXPECT_NE(text.find("Type=notify"), std::string::npos) << unit;
        EXPECT_NE(text.find("WatchdogSec="), std::string::npos) << unit;
    }
    const std::string systemText = ReadText(system);
    EXPECT_NE(systemText.find("--config /etc/orvanta3/Orvanta3.ini"), std::string::npos);
    EXPECT_NE(systemText.find("DeviceAllow=char-ppdev rw"), std::string::npos);
    EXPECT_EQ(systemText.find("PrivateDevices=yes"), std::string::npos);
    EXPECT_NE(ReadText(prefix / "lib/sysusers.d/orvanta3d.conf").find("m orvanta3 lp"),
              std::string::npos);
    EXPECT_EQ(ReadText(prefix / "lib/modules-load.d/orvanta3d.conf").find("ppdev"), 0u);
    EXPECT_EQ(::access(program.c_str(), X_OK), 0);

    if (std::system("command -v systemd-analyze >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "systemd-analyze is not on this machine: the units were not verified";
    // verify exits 0 on mere warnings (an unknown option is "ignored"): nothing may be said.
    EXPECT_EQ(Shell("systemd-analyze verify --man=no '" + system + "'", output, scratch), 0);
    EXPECT_EQ(output, "") << system;
    fs::create_directory(scratch / "runtime");
    fs::permissions(scratch / "runtime", fs::perms::owner_all);
    EXPECT_EQ(Shell("XDG_RUNTIME_DIR='" + (scratch / "runtime") +
                        "' systemd-analyze --user verify --man=no '" + user + "'",
                    output, scratch),
              0);
    EXPECT_EQ(output, "") << user;
}

} // namespace
