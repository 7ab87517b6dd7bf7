#include "base/UserFolders.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace orv;
using orv::test::ScopedEnv;
using orv::test::TempDir;

TEST(DocumentsFolder, FollowsTheXdgOrderOfChoices) {
    TempDir home;
    ScopedEnv h("HOME", home.Path());
    ScopedEnv cfg("XDG_CONFIG_HOME", home / ".config");
    ::unsetenv("XDG_DOCUMENTS_DIR");
    EXPECT_EQ(DocumentsFolder(), home.Path()) << "no Documents folder: the home folder";

    std::filesystem::create_directories(home / "Documents");
    EXPECT_EQ(DocumentsFolder(), home / "Documents");

    orv::test::WriteText(home / ".config/user-dirs.dirs",
                         "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    EXPECT_EQ(DocumentsFolder(), home / "Dokumente");
    EXPECT_EQ(SettingsPath(), home / "Dokumente/Orvanta3.ini");

    ScopedEnv docs("XDG_DOCUMENTS_DIR", "/srv/docs");
    EXPECT_EQ(DocumentsFolder(), "/srv/docs");
}

TEST(ProgramFolder, IsTheFolderOfTheRunningFile) {
    EXPECT_TRUE(std::filesystem::exists(ProgramFolder() + "/base_tests"));
}
