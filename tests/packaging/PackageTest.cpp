// cpack -G DEB of this build tree: the package holds the programs, plug-ins, man pages and
// examples with computed dependencies, and the daemon runs a job from where the package is
// unpacked, with nothing of the build tree.
#include "base/Cp1251.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

using namespace orv::test;
namespace fs = std::filesystem;

namespace {

struct TResult {
    int exitCode = -1;
    std::string out;
};

// Runs a shell command; its standard output and error together.
TResult Shell(const std::string& command, const TempDir& dir) {
    const std::string output = dir / "command.out";
    const int status = std::system((command + " >'" + output + "' 2>&1 </dev/null").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(output)};
}

// The one .deb in folder.
std::string DebIn(const std::string& folder) {
    std::string found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".deb") found = entry.path().string();
    return found;
}

} // namespace

TEST(DebianPackage, HoldsTheProgramsAndRunsAJobFromWhereItIsUnpacked) {
    TempDir dir;
    // gzip at its fastest keeps the test cheap; the package is the same otherwise.
    const TResult build = Shell(std::string("'") + ORVANTA3_CPACK + "' -G DEB --config '" +
                                    ORVANTA3_BINARY_DIR + "/CPackConfig.cmake' -B '" +
                                    (dir / "out") + "' -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip",
                                dir);
    ASSERT_EQ(build.exitCode, 0) << build.out;
    const std::string deb = DebIn(dir / "out");
    ASSERT_FALSE(deb.empty()) << build.out;

    const TResult depends = Shell("dpkg-deb -f '" + deb + "' Depends", dir);
    EXPECT_NE(depends.out.find("libc6"), std::string::npos) << depends.out;
    EXPECT_NE(depends.out.find("libcurl"), std::string::npos) << depends.out;

    ASSERT_EQ(Shell("dpkg-deb -x '" + deb + "' '" + (dir / "root") + "'", dir).exitCode, 0);
    const std::string usr = dir / "root/usr";
    for (const char* file : {"bin/orvanta3d", "bin/orvanta3-mpd", "lib/orvanta3/libdlportio.so",
                             "lib/orvanta3/Orvanta3.lng",
                             "lib/orvanta3/plugins/hardware/textport.so",
                             "lib/orvanta3/plugins/software/chronos.so",
                             "lib/systemd/user/orvanta3-mpd.service",
                             "share/orvanta3/examples/demo.orv3",
                             "share/man/man1/orvanta3d.1.gz", "share/man/man1/orvanta3ctl.1.gz",
                             "share/man/man1/orvanta3-mpd.1.gz", "share/man/man1/orvanta3.1.gz"})
        EXPECT_TRUE(fs::exists(usr + "/" + file)) << file;
    const TResult page = Shell("gzip -dc '" + usr + "/share/man/man1/orvanta3d.1.gz'", dir);
    EXPECT_NE(page.out.find(".SH DESCRIPTION"), std::string::npos) << page.out;
    EXPECT_NE(page.out.find("\\fB--check\\fR"), std::string::npos) << page.out;

    // The unpacked daemon on an emulated panel, with a settings file of its own.
    const std::string state = dir / "panel.state";
    WriteText(dir / "docs/Orvanta3.ini",
              orv::Utf8ToCp1251("[Common]\nQuitMsg=Пока\n[textport.so]\nActive=1\n"
                                "Lines count=4\nCols count=20\nTiming=0\n[chronos.so]\nActive=1\n"));
    WriteText(dir / "docs/job.orv3", "[One]\nLine1=packaged $nowYear$\nShow=1\n");
    const TResult run =
        Shell("ORVANTA3_PORTIO='emu:hd44780:4x20:" + state + "' '" + usr +
                  "/bin/orvanta3d' --config '" + (dir / "docs/Orvanta3.ini") + "' --job '" +
                  (dir / "docs/job.orv3") + "' --seconds 1 --tty=text",
              dir);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("|packaged 20"), std::string::npos) << run.out;
    EXPECT_EQ(ReadText(state).rfind("hd44780 4x20 on", 0), 0u);
}
