// Every plug-in the build produced carries the program's interface version, is discovered and
// its descriptor accepted; the data modules and screen-saver modules are also switched on.
// The checkers' trees build only the programs their tests need: what is missing there is skipped.
#include "base/IniFile.h"
#include "host/modulehost/ModuleCatalogue.h"
#include "tests/host/modulehost/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace orv::test {
namespace {

using K = TModuleKind;

std::vector<std::string> BuiltPlugins(K kind) {
    std::vector<std::string> names;
    std::error_code ec;
    const std::string folder = std::string(ORVANTA3_OUTPUT_DIR) + "/" + ModuleFolder(kind);
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec))
        if (it->path().extension() == ".so") names.push_back(it->path().filename().string());
    return names;
}

TEST(ShippedPlugins, EveryBuiltPluginIsDiscoveredAndAccepted) {
    TProgramTree tree;
    ScopedEnv documents("XDG_DOCUMENTS_DIR", tree.Folder());
    size_t expected = 0;
    for (K kind : {K::Driver, K::Data, K::ScreenSaver}) {
        for (const std::string& name : BuiltPlugins(kind)) {
            const std::string built =
                std::string(ORVANTA3_OUTPUT_DIR) + "/" + ModuleFolder(kind) + "/" + name;
            const auto library = TModuleLibrary::Open(built);
            ASSERT_TRUE(library) << name;
            EXPECT_EQ(library->InterfaceVersion(), kInterfaceVersion) << name;
            tree.AddFile(built, kind, name);
            // Drivers stay off: their Init would open the parallel port.
            tree.SetActive(name, kind != K::Driver);
            ++expected;
        }
    }
    if (expected == 0) GTEST_SKIP() << "no plug-ins built";
    // The internet modules start their downloads when switched on: they go to a loopback port
    // where nothing listens, never to their public services.
    ScopedEnv cache("XDG_CACHE_HOME", tree.Folder());
    ScopedEnv state("XDG_STATE_HOME", tree.Folder());
    TIniFile(tree.SettingsPath()).Update([](TIniDocument& ini) {
        ini.WriteString("Weather", "Server", "http://127.0.0.1:9");
        for (const char* key : {"Hard address", "Fresh address", "Reviews address"})
            ini.WriteString("headlines.so", key, "");
    });
    TModuleHost host(tree.Options());
    host.Discover();
    ASSERT_EQ(host.Modules().size(), expected);

    TModuleCatalogue catalogue(host);
    for (const auto& entry : host.Modules()) {
        EXPECT_FALSE(entry.Name.empty()) << entry.FileName;
        EXPECT_EQ(entry.Loaded(), entry.Kind() != K::Driver) << entry.FileName;
        if (!entry.DataModule()) continue;
        const TPluginDescriptor* plugin = &entry.DataModule()->Descriptor();
        for (int k = 1; k <= plugin->TagCount; ++k) {
            EXPECT_EQ(plugin->TagNames[k][0], '$') << entry.FileName << " tag " << k;
            EXPECT_EQ(catalogue.Bind(plugin->TagNames[k])->TagIndex, k - 1)
                << entry.FileName << " tag " << plugin->TagNames[k];
        }
        for (int k = plugin->TagCount + 1; k <= kMaxTags; ++k)
            EXPECT_STREQ(plugin->TagNames[k], "") << entry.FileName << " entry " << k;
    }
    EXPECT_TRUE(ShownMessages().empty());
}

// Every shipped data module comes with an "English" section that the host applies, and it
// leaves no text of the descriptor in Russian.
TEST(ShippedPlugins, WithLanguageEnglishEveryModuleShowsEnglishTexts) {
    TProgramTree tree;
    ScopedEnv documents("XDG_DOCUMENTS_DIR", tree.Folder());
    ScopedEnv cache("XDG_CACHE_HOME", tree.Folder());
    ScopedEnv state("XDG_STATE_HOME", tree.Folder());
    const std::string folder = std::string(ORVANTA3_OUTPUT_DIR) + "/" + ModuleFolder(K::Data);
    size_t modules = 0;
    for (const std::string& name : BuiltPlugins(K::Data)) {
        const std::string language = name.substr(0, name.size() - 3) + ".lng";
        ASSERT_TRUE(std::filesystem::exists(folder + "/" + language)) << language;
        tree.AddFile(folder + "/" + name, K::Data, name);
        tree.AddFile(folder + "/" + language, K::Data, language);
        tree.SetActive(name, true);
        ++modules;
    }
    if (modules == 0) GTEST_SKIP() << "no data modules built";
    TIniFile(tree.SettingsPath()).Update([](TIniDocument& ini) {
        ini.WriteString("Weather", "Server", "http://127.0.0.1:9");
        for (const char* key : {"Hard address", "Fresh address", "Reviews address"})
            ini.WriteString("headlines.so", key, "");
    });
    TModuleHostOptions options = tree.Options();
    options.Language = "English";
    TModuleHost host(options);
    host.Discover();
    ASSERT_EQ(host.Modules().size(), modules);

    const auto english = [](const char* text) {
        for (const char* c = text; *c; ++c)
            if (static_cast<unsigned char>(*c) >= 0x80) return false;
        return true;
    };
    for (const auto& entry : host.Modules()) {
        ASSERT_TRUE(entry.DataModule()) << entry.FileName;
        const TPluginDescriptor& d = entry.DataModule()->Descriptor();
        EXPECT_TRUE(english(d.Description)) << entry.FileName << ": " << d.Description;
        EXPECT_TRUE(english(d.GroupCaption)) << entry.FileName;
        for (int k = 0; k <= kMaxTags; ++k) {
            EXPECT_TRUE(english(d.TagCaptions[k])) << entry.FileName << " caption " << k;
            EXPECT_TRUE(english(d.TagHints[k])) << entry.FileName << " hint " << k;
        }
        if (entry.FileName == "chronos.so") {
            EXPECT_STREQ(d.TagCaptions[1], "current time");
            EXPECT_STREQ(d.Description, "Date and time\r\rOrvanta3 team");
        }
    }
}

TEST(ShippedPlugins, DriftClockDrawsThroughTheDriverUntilStopped) {
    const std::string built =
        std::string(ORVANTA3_OUTPUT_DIR) + "/plugins/screensaver/driftclock.so";
    if (!std::filesystem::exists(built)) GTEST_SKIP() << "driftclock not built";
    TProgramTree tree;
    tree.AddFixture("DriverFixture", K::Driver, "drv_2x16.so");
    tree.AddFile(built, K::ScreenSaver, "driftclock.so");
    tree.SetActive("drv_2x16.so", true);
    tree.SetActive("driftclock.so", true);
    TModuleHost host(tree.Options());
    host.Discover();
    const TScreenSaverModule* saver = host.Module(1).ScreenSaver();
    ASSERT_TRUE(saver);
    EXPECT_EQ(host.Module(1).Name, "Drifting clock");
    ClearEvents();

    saver->Start(host.CurrentDriver());
    // Two frames: the time moves by one cell between them.
    ASSERT_TRUE(WaitUntil([] { return EventsWith("WriteText(1,1,").size() >= 2; }));
    EXPECT_GE(EventIndex("drv_2x16.so:DefineChar(0)@1"), 0);
    const auto rows = EventsWith("WriteText(1,1,");
    EXPECT_NE(rows[0], rows[1]);
    EXPECT_NE(rows[0].find("\x01 "), std::string::npos);

    saver->Stop();
    const auto after = Events();
    EXPECT_EQ(after.back(), "drv_2x16.so:Clear@1");
    saver->Stop(); // a second Stop does nothing
    EXPECT_EQ(Events().size(), after.size());
}

} // namespace
} // namespace orv::test
