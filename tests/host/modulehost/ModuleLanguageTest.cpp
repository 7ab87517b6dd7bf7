#include "host/modulehost/ModuleLanguage.h"

#include "base/IniFile.h"
#include "host/modulehost/ModuleHost.h"
#include "tests/host/modulehost/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace orv::test {
namespace {

using K = TModuleKind;

// The descriptor of entry index, a data module that is on.
TPluginDescriptor& Plugin(const TModuleHost& host, size_t index) {
    return host.Module(index).DataModule()->Descriptor();
}

TEST(ModuleLanguage, EscapingAndPaths) {
    EXPECT_EQ(EscapeLanguageText("a\r\rb\nc"), "a__13__13b__10c");
    EXPECT_EQ(UnescapeLanguageText("a__13__13b__10c__1"), "a\r\rb\nc__1");
    EXPECT_EQ(UnescapeLanguageText(EscapeLanguageText("x\r\n_13__y")), "x\r\n_13__y");
    EXPECT_EQ(ModuleLanguagePath("/p/plugins/software/skycast.so"),
              "/p/plugins/software/skycast.lng");
    EXPECT_EQ(ModuleLanguagePath("/p.d/noext"), "/p.d/noext.lng");
    EXPECT_EQ(TagCaptionKey(0), "3_00-1");
    EXPECT_EQ(TagCaptionKey(1), "3_000");
    EXPECT_EQ(TagHintKey(16), "4_0015");
    const char* a = HostOwnedString("same text");
    EXPECT_EQ(HostOwnedString(std::string("same ") + "text"), a);
    EXPECT_STREQ(a, "same text");
}

class ModuleLanguageHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.AddFixture("DataFixture", K::Data, "alpha.so");
        tree.AddFixture("DataFixture", K::Data, "beta.so");
        tree.AddFixture("DataFixture", K::Data, "plain.so");
        tree.SetActive("alpha.so", true);
        tree.SetActive("plain.so", true);
        const std::string translation = "[English]\n"
                                        "1_001=Alpha module__13__13by us\n"
                                        "2_001=Alpha group\n"
                                        "3_000=First tag\n"
                                        "4_00-1=Group__13__13hint\n"
                                        "4_001=Second hint\n";
        for (const char* name : {"alpha", "beta", "plain"})
            WriteText(tree.Folder() + "/plugins/software/" + name + ".lng",
                      std::string(translation));
    }
    TProgramTree tree;
};

TEST_F(ModuleLanguageHostTest, DiscoveryAppliesTheLanguageAfterLoadSettings) {
    auto options = tree.Options();
    options.Language = "english"; // section names ignore case
    TModuleHost host(options);
    host.Discover();

    ASSERT_TRUE(host.Module(0).DataModule());
    const TPluginDescriptor* alpha = &Plugin(host, 0);
    EXPECT_STREQ(alpha->Description, "Alpha module\r\rby us");
    EXPECT_EQ(host.Module(0).Description, "Alpha module\r\rby us");
    EXPECT_STREQ(alpha->GroupCaption, "Alpha group");
    EXPECT_STREQ(alpha->TagCaptions[1], "First tag");
    EXPECT_STREQ(alpha->TagCaptions[2], "alpha caption 2"); // absent key
    EXPECT_STREQ(alpha->TagHints[0], "Group\r\rhint");
    EXPECT_STREQ(alpha->TagHints[2], "Second hint");
    EXPECT_STREQ(alpha->TagNames[1], "$alpha"); // names are never translated
    EXPECT_STREQ(alpha->TagExamples[1], "$alpha[1]$");

    // A module without LoadSettings takes its language file too.
    EXPECT_STREQ(Plugin(host, 2).GroupCaption, "Alpha group");

    // Turned on later: in the language at once.
    host.TurnOn(1);
    EXPECT_STREQ(Plugin(host, 1).GroupCaption, "Alpha group");
    // Back to the built-in language: every module's own texts, then the language again.
    ClearEvents();
    host.SettingsSaved("");
    for (size_t i : {0, 1}) {
        EXPECT_STREQ(Plugin(host, i).GroupCaption, i == 0 ? "Group alpha" : "Group beta");
        EXPECT_STREQ(Plugin(host, i).TagCaptions[1], i == 0 ? "alpha caption 1" : "beta caption 1");
    }
    EXPECT_STREQ(Plugin(host, 0).Description, "Description of alpha\r\rtest fixture");
    EXPECT_EQ(EventsWith("LoadSettings"),
              (std::vector<std::string>{"alpha.so:LoadSettings", "beta.so:LoadSettings"}));
    host.SettingsSaved("English");
    EXPECT_STREQ(Plugin(host, 1).TagHints[0], "Group\r\rhint");
    EXPECT_STREQ(Plugin(host, 1).TagCaptions[2], "beta caption 2");
}

TEST_F(ModuleLanguageHostTest, NoLanguageOrAMissingSectionKeepsTheBuiltInTexts) {
    for (const char* language : {"", "German"}) {
        auto options = tree.Options();
        options.Language = language;
        TModuleHost host(options);
        host.Discover();
        EXPECT_STREQ(Plugin(host, 0).GroupCaption, "Group alpha") << language;
        EXPECT_STREQ(Plugin(host, 0).TagHints[1], "alpha hint 1\r\rsecond part");
    }
}

TEST_F(ModuleLanguageHostTest, TemplateSwitchRewritesTheFilesOfActiveModulesWithLoadSettings) {
    auto options = tree.Options();
    options.Language = "English";
    options.CreateLanguageTemplate = true;
    TModuleHost host(options);
    host.Discover();

    // Nothing is translated.
    EXPECT_STREQ(Plugin(host, 0).GroupCaption, "Group alpha");

    const TIniFile alpha(host.LanguageFilePath(0));
    EXPECT_EQ(alpha.Sections(), std::vector<std::string>{"RU"});
    EXPECT_EQ(alpha.Keys("RU"),
              (std::vector<std::string>{"1_001", "2_001", "3_000", "3_001", "3_002", "3_003",
                                        "4_00-1", "4_000", "4_001", "4_002", "4_003"}));
    EXPECT_EQ(alpha.ReadString("RU", "4_000", ""), "alpha hint 1__13__13second part");
    EXPECT_EQ(alpha.ReadString("RU", "1_001", ""), "Description of alpha__13__13test fixture");

    // Off, or without LoadSettings: the files stay as they were.
    EXPECT_TRUE(TIniFile(host.LanguageFilePath(1)).Read().HasSection("English"));
    EXPECT_TRUE(TIniFile(host.LanguageFilePath(2)).Read().HasSection("English"));

    // Read back, the template gives the texts with their carriage returns again.
    TPluginDescriptor copy = Plugin(host, 0);
    copy.TagHints[1] = "";
    EXPECT_TRUE(ApplyModuleLanguage(copy, host.LanguageFilePath(0), "RU"));
    EXPECT_STREQ(copy.TagHints[1], "alpha hint 1\r\rsecond part");
}

} // namespace
} // namespace orv::test
