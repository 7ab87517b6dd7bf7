// hostfacts as the host sees it: the built library, its descriptor, and its answers for a fake
// tree; then against the real machine.
#include "base/Cp1251.h"
#include "base/TextUtil.h"
#include "tests/support/ModuleOnFakeTree.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <unistd.h>
#include <sys/utsname.h>

using namespace orv;
using orv::test::TBuiltModule;
using orv::test::TModuleOnFakeTree;

namespace {

enum : int32_t { tagOsComputer, tagOsUser, tagOsVersion };

// The first line a shell command prints.
std::string CommandOutput(const char* command) {
    std::string out;
    if (FILE* pipe = ::popen(command, "r")) {
        char line[512];
        if (std::fgets(line, sizeof line, pipe)) out = line;
        ::pclose(pipe);
    }
    return std::string(Trim(out));
}

class Hostfacts : public ::testing::Test, public TModuleOnFakeTree {
protected:
    Hostfacts() : TModuleOnFakeTree("hostfacts.so") {}
    void SetUp() override { ASSERT_TRUE(module.Loaded()); }
};

} // namespace

TEST_F(Hostfacts, DescriptorListsThreeTagsWithoutHints) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "OS information");
    EXPECT_EQ(Cp1251ToUtf8(d.Description).rfind("Информация об операционной системе\r\r", 0), 0u);
    EXPECT_EQ(d.Id, 21);
    EXPECT_EQ(d.TagCount, 3);
    EXPECT_STREQ(d.GroupCaption, "OS");
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$osComputer", "$osUser", "$osVersion"}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagCaptions),
              TBuiltModule::Sixteen({"имя компьютера", "имя пользователя", "версия Windows"}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagExamples),
              TBuiltModule::Sixteen({"$osComputer$", "$osUser$", "$osVersion$"}));
    for (int k = 0; k <= kMaxTags; ++k) EXPECT_STREQ(d.TagHints[k], "") << k;
    EXPECT_TRUE(d.GetValue);
    EXPECT_FALSE(d.LoadSettings || d.Configure || d.Finalize);
}

TEST_F(Hostfacts, VersionIsTheDistributionAndTheKernelsThreeNumbers) {
    tree.Write("/etc/os-release", "NAME=\"Debian GNU/Linux\"\n"
                                  "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
    tree.Write("/proc/sys/kernel/osrelease", "6.1.0-18-amd64\n");
    EXPECT_EQ(Value(tagOsVersion), "Debian GNU/Linux 12 (bookworm): 6.1.0");

    tree.Write("/etc/os-release", "PRETTY_NAME=\"Say \\\"hi\\\" \\\\ \\$HOME\"\n");
    tree.Write("/proc/sys/kernel/osrelease", "5.15\n");
    EXPECT_EQ(Value(tagOsVersion), "Say \"hi\" \\ $HOME: 5.15.0") << "read afresh every call";

    tree.Write("/etc/os-release", "NAME='Alpine Linux'\n");
    tree.Write("/proc/sys/kernel/osrelease", "4.19.70000-rc1\n");
    EXPECT_EQ(Value(tagOsVersion), "Alpine Linux: 4.19.4464") << "low 16 bits of the patch";

    tree.Write("/etc/os-release", Utf8ToCp1251("# nothing\n"));
    EXPECT_EQ(Value(tagOsVersion), "Linux: 4.19.4464");
}

TEST_F(Hostfacts, OsReleaseOfUsrLibWhenEtcHasNone) {
    tree.Write("/usr/lib/os-release", "PRETTY_NAME=\"Fedora Linux 40 (Сервер)\"\n");
    tree.Write("/proc/sys/kernel/osrelease", "6.8.5-301.fc40.x86_64");
    EXPECT_EQ(Cp1251ToUtf8(Value(tagOsVersion)), "Fedora Linux 40 (Сервер): 6.8.5")
        << "UTF-8 shown in Windows-1251";
}

TEST_F(Hostfacts, ComputerNameIsTheKernelsHostName) {
    tree.Write("/proc/sys/kernel/hostname", "panel-pc\n");
    EXPECT_EQ(Value(tagOsComputer), "panel-pc");
}

TEST_F(Hostfacts, MinusOneClearsAndUnknownIndexesKeepThePreviousText) {
    tree.Write("/proc/sys/kernel/hostname", "panel-pc\n");
    ASSERT_EQ(Value(tagOsComputer), "panel-pc");
    EXPECT_EQ(Value(3), "panel-pc");
    EXPECT_EQ(Value(-5), "panel-pc");
    EXPECT_EQ(Value(-1), "");
}

// Each value against the kernel's or the user database's own answer; the distribution's name
// only where the machine has an os-release file.
TEST_F(Hostfacts, OnTheRealMachine) {
    UseMachineTree();
    char host[HOST_NAME_MAX + 1] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(Value(tagOsComputer), host);
    // `id` prints nothing for a user without an entry, and so does the module.
    EXPECT_EQ(Value(tagOsUser), CommandOutput("id -un 2>/dev/null"));

    utsname names{};
    ASSERT_EQ(::uname(&names), 0);
    const std::string version = Value(tagOsVersion);
    const size_t colon = version.rfind(": ");
    ASSERT_NE(colon, std::string::npos) << version;
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_GE(std::sscanf(names.release, "%u.%u.%u", &major, &minor, &patch), 1) << names.release;
    EXPECT_EQ(version.substr(colon + 2),
              std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch))
        << version << " / " << names.release;
    std::error_code ec;
    if (std::filesystem::exists("/etc/os-release", ec) ||
        std::filesystem::exists("/usr/lib/os-release", ec))
        EXPECT_GT(colon, 0u) << "a distribution name";
    else
        std::cout << "[ NOTE     ] no os-release file here: no distribution name to check\n";
}
