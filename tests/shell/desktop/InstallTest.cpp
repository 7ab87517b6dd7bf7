// cmake --install puts the desktop program where a desktop finds it: the program beside the
// daemon, a command in bin/, the desktop entry and the icon under the prefix's XDG folders.
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orv::test {
namespace {

TEST(DesktopInstall, EntryAndIconUnderThePrefix) {
    TempDir prefix;
    const std::string build = std::filesystem::path(ORVANTA3_OUTPUT_DIR).parent_path();
    ASSERT_TRUE(RunProgram({"cmake", "--install", build, "--prefix", prefix.Path()},
                           prefix / "install.log"))
        << ReadText(prefix / "install.log");

    EXPECT_TRUE(std::filesystem::exists(prefix / "lib/orvanta3/orvanta3"));
    EXPECT_TRUE(std::filesystem::exists(prefix / "lib/orvanta3/orvanta3d"));
    EXPECT_EQ(std::filesystem::read_symlink(prefix / "bin/orvanta3"), "../lib/orvanta3/orvanta3");
    for (const char* size : {"16x16", "32x32", "48x48", "256x256"})
        EXPECT_TRUE(std::filesystem::exists(
            prefix / ("share/icons/hicolor/" + std::string(size) + "/apps/orvanta3.png")))
            << size;
    const std::string entry = ReadText(prefix / "share/applications/orvanta3.desktop");
    EXPECT_NE(entry.find("\nExec=orvanta3\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=orvanta3\n"), std::string::npos) << entry;
}

} // namespace
} // namespace orv::test
