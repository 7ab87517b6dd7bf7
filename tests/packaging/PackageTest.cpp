// cpack -G DEB of this build tree: three packages (the daemon without Qt, the desktop program,
// the MPD bridge) hold the programs, plug-ins, man pages, examples and the starter settings with
// computed dependencies, lintian finds nothing, and the daemon runs a job from where the
// packages are unpacked, with nothing of the build tree.
#include "base/Cp1251.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>

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

// The .deb files in folder, by package name.
std::map<std::string, std::string> DebsIn(const std::string& folder) {
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".deb")
            found[entry.path().filename().string().substr(
                0, entry.path().filename().string().find('_'))] = entry.path().string();
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
    const auto debs = DebsIn(dir / "out");
    ASSERT_EQ(debs.size(), 3u) << build.out;
    for (const char* package : {"orvanta3d", "orvanta3", "orvanta3-mpd"})
        ASSERT_TRUE(debs.count(package)) << package << "\n" << build.out;

    // A server installs the daemon without a desktop's libraries.
    const TResult depends = Shell("dpkg-deb -f '" + debs.at("orvanta3d") + "' Depends", dir);
    EXPECT_NE(depends.out.find("libc6"), std::string::npos) << depends.out;
    EXPECT_NE(depends.out.find("libcurl"), std::string::npos) << depends.out;
    for (const char* heavy : {"qt", "libmpdclient", "fftw"})
        EXPECT_EQ(depends.out.find(heavy), std::string::npos) << heavy << ": " << depends.out;
    const TResult desktop = Shell("dpkg-deb -f '" + debs.at("orvanta3") + "' Depends", dir);
    EXPECT_NE(desktop.out.find("libqt6widgets6"), std::string::npos) << desktop.out;
    EXPECT_NE(desktop.out.find("orvanta3d (= "), std::string::npos) << desktop.out;
    const TResult bridge = Shell("dpkg-deb -f '" + debs.at("orvanta3-mpd") + "' Depends", dir);
    EXPECT_NE(bridge.out.find("libmpdclient"), std::string::npos) << bridge.out;
    const TResult control =
        Shell("dpkg-deb -e '" + debs.at("orvanta3d") + "' '" + (dir / "control") + "' && cat '" +
                  (dir / "control") + "/conffiles' '" + (dir / "control") + "/postinst'",
              dir);
    EXPECT_NE(control.out.find("/etc/orvanta3/Orvanta3.ini\n"), std::string::npos) << control.out;
    EXPECT_NE(control.out.find("systemd-sysusers orvanta3d.conf"), std::string::npos)
        << control.out;

    if (Shell("command -v lintian", dir).exitCode == 0) {
        const TResult lintian = Shell("lintian --fail-on error,warning '" + (dir / "out") +
                                          "'/*.deb 2>&1 | grep -v 'root privileges'",
                                      dir);
        EXPECT_EQ(lintian.out, "") << "lintian found:\n" << lintian.out;
    } else {
        std::cout << "note: lintian is not installed; the packages were not checked with it\n";
    }

    for (const auto& [package, deb] : debs)
        ASSERT_EQ(Shell("dpkg-deb -x '" + deb + "' '" + (dir / "root") + "'", dir).exitCode, 0)
            << package;
    const std::string usr = dir / "root/usr";
    for (const char* file :
         {"share/doc/orvanta3d/copyright", "share/doc/orvanta3d/changelog.gz",
          "share/doc/orvanta3/copyright", "share/doc/orvanta3-mpd/copyright",
          "lib/orvanta3/orvanta3", "lib/orvanta3/plugins/software/ui/postwatch.so"})
        EXPECT_TRUE(fs::exists(usr + "/" + file)) << file;
    EXPECT_FALSE(Shell("dpkg-deb -c '" + debs.at("orvanta3d") +
                           "' 2>/dev/null | grep -e /ui/ -e 'bin/orvanta3$'",
                       dir)
                     .exitCode == 0)
        << "the daemon's package holds something of the desktop program";
    // The starter settings: the clock on, the example job named, no driver yet.
    const std::string starter = ReadText(dir / "root/etc/orvanta3/Orvanta3.ini");
    EXPECT_NE(starter.find("\nJob name=panel.orv3\n"), std::string::npos);
    const size_t chronos = starter.find("[chronos.so]\n");
    EXPECT_EQ(starter.find("\nActive=1\n"), starter.find("\n", starter.find("\n", chronos) + 1))
        << "only the clock module is on";
    EXPECT_TRUE(fs::exists(dir / "root/etc/orvanta3/panel.orv3"));
    for (const char* file :
         {"bin/orvanta3d", "bin/orvanta3-mpd", "lib/orvanta3/libdlportio.so",
          "lib/orvanta3/Orvanta3.lng", "lib/orvanta3/plugins/hardware/textport.so",
          "lib/orvanta3/plugins/software/chronos.so", "lib/systemd/user/orvanta3-mpd.service",
          "share/orvanta3/examples/demo.orv3", "share/man/man1/orvanta3d.1.gz",
          "share/man/man1/orvanta3ctl.1.gz", "share/man/man1/orvanta3-mpd.1.gz",
          "share/man/man1/orvanta3.1.gz"})
        EXPECT_TRUE(fs::exists(usr + "/" + file)) << file;
    const TResult page = Shell("gzip -dc '" + usr + "/share/man/man1/orvanta3d.1.gz'", dir);
    EXPECT_NE(page.out.find(".SH DESCRIPTION"), std::string::npos) << page.out;
    EXPECT_NE(page.out.find("\\fB--check\\fR"), std::string::npos) << page.out;

    // The unpacked daemon on an emulated panel, with a settings file of its own.
    const std::string state = dir / "panel.state";
    WriteText(
        dir / "docs/Orvanta3.ini",
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

    // The service right after installing: one line on what to configure, and no restart.
    const TResult fresh = Shell("'" + usr + "/bin/orvanta3d' --config '" +
                                    (dir / "root/etc/orvanta3/Orvanta3.ini") + "' --seconds 1",
                                dir);
    EXPECT_EQ(fresh.exitCode, 1) << fresh.out;
    EXPECT_EQ(std::count(fresh.out.begin(), fresh.out.end(), '\n'), 1) << fresh.out;
}
