#include "host/Autostart.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orv;
using orv::test::ReadText;
using orv::test::ScopedEnv;
using orv::test::TempDir;
using orv::test::WriteText;

namespace {

std::string ExecLine(const std::string& entry) {
    const size_t at = entry.find("\nExec=");
    if (at == std::string::npos) return {};
    return entry.substr(at + 1, entry.find('\n', at + 1) - at - 1);
}

} // namespace

TEST(Autostart, EntryIsWrittenAndRemovedInTheConfigFolder) {
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir / "config");
    const std::string entry = dir / "config/autostart/orvanta3.desktop";
    EXPECT_EQ(AutostartEntryPath(), entry);

    ASSERT_TRUE(ApplyAutostart(true, "/opt/orvanta3/orvanta3"));
    const std::string text = ReadText(entry);
    EXPECT_TRUE(text.starts_with("[Desktop Entry]\n"));
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_EQ(ExecLine(text), "Exec=\"/opt/orvanta3/orvanta3\"");

    ASSERT_TRUE(ApplyAutostart(true)); // the running program replaces the old entry
    EXPECT_EQ(ExecLine(ReadText(entry)), "Exec=\"" + ProgramFile() + "\"");

    EXPECT_TRUE(ApplyAutostart(false));
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_TRUE(ApplyAutostart(false)); // nothing to remove
}

TEST(Autostart, ConfigFolderFallsBackToHome) {
    TempDir dir;
    ScopedEnv home("HOME", dir.Path());
    ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(AutostartEntryPath(), dir / ".config/autostart/orvanta3.desktop");
}

TEST(Autostart, ProgramPathIsEscapedForTheExecKey) {
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
    ASSERT_TRUE(ApplyAutostart(true, "/my apps/a\"b$c`d\\e%f"));
    EXPECT_EQ(ExecLine(ReadText(AutostartEntryPath())),
              "Exec=\"/my apps/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f\"");
    EXPECT_FALSE(ApplyAutostart(true, "/bad\npath"));
    EXPECT_FALSE(ApplyAutostart(true, ""));
    EXPECT_EQ(ExecLine(ReadText(AutostartEntryPath())),
              "Exec=\"/my apps/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f\"");
}

TEST(Autostart, FailureChangesNothing) {
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
    WriteText(dir / "autostart", "a file where the folder should be");
    EXPECT_FALSE(ApplyAutostart(true, "/usr/bin/orvanta3"));
    EXPECT_EQ(ReadText(dir / "autostart"), "a file where the folder should be");
}
