#include "host/modulehost/ModuleHost.h"

#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "host/modulehost/ModuleCatalogue.h"
#include "host/ProgramMessages.h"
#include "tests/host/modulehost/TestSupport.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace orv::test {
namespace {

using K = TModuleKind;

bool IsLoaded(const std::string& path) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return false;
    ::dlclose(handle);
    return true;
}

std::vector<std::string> FileNames(const TModuleHost& host) {
    std::vector<std::string> names;
    for (const auto& entry : host.Modules()) names.push_back(entry.FileName);
    return names;
}

TEST(ModuleHostDiscovery, ScansThreeFoldersInOrderAndKeepsOnlyActiveLibrariesLoaded) {
    TProgramTree tree;
    tree.AddFixture("DriverFixture", K::Driver, "b_drv.so");
    tree.AddFixture("DriverFixture", K::Driver, "a_drv.so");
    tree.AddFixture("NoExportFixture", K::Driver, "notadriver.so");
    tree.AddFixture("DataFixture", K::Data, "beta.so");
    tree.AddFixture("DataFixture", K::Data, "alpha.so");
    tree.AddFixture("NoExportFixture", K::Data, "broken.so");
    tree.AddFixture("DataFixture", K::Data, "ignored.dll");
    tree.AddFixture("DataFixture", K::Data, "ui/inner.so");
    WriteText(tree.PluginPath(K::Data, "garbage.so"), "not a library");
    tree.AddFixture("ScreenSaverFixture", K::ScreenSaver, "saver.so");
    tree.AddFixture("NoExportFixture", K::ScreenSaver, "nosaver.so");
    tree.SetActive("alpha.so", true);
    tree.SetActive("b_drv.so", false);

    TModuleHost host(tree.Options());
    host.Discover();

    EXPECT_EQ(FileNames(host), (std::vector<std::string>{"a_drv.so", "b_drv.so", "alpha.so",
                                                         "beta.so", "saver.so"}));
    const auto& m = host.Modules();
    EXPECT_EQ(m[0].Kind(), K::Driver);
    EXPECT_EQ(m[2].Kind(), K::Data);
    EXPECT_EQ(m[4].Kind(), K::ScreenSaver);
    EXPECT_EQ(m[2].Name, "Fixture alpha");
    EXPECT_EQ(m[3].Name, "Fixture beta");

    // Only alpha is on: it alone keeps its library and descriptor and got LoadSettings.
    for (size_t i = 0; i < m.size(); ++i) {
        EXPECT_EQ(m[i].Active, i == 2) << m[i].FileName;
        EXPECT_EQ(m[i].Loaded(), i == 2) << m[i].FileName;
        EXPECT_EQ(IsLoaded(host.LibraryPath(i)), i == 2) << m[i].FileName;
    }
    EXPECT_EQ(EventsWith("LoadSettings"), std::vector<std::string>{"alpha.so:LoadSettings"});

    // Descriptions: drivers and screen savers always, data modules only when on.
    EXPECT_EQ(m[0].Description, "Recording driver a_drv");
    EXPECT_EQ(m[4].Description, "Recording screen saver");
    EXPECT_EQ(m[2].Description, "Description of alpha\r\rtest fixture");
    EXPECT_EQ(m[3].Description, "");

    // Broken and foreign libraries are skipped silently.
    EXPECT_TRUE(ShownMessages().empty());
    EXPECT_FALSE(IsLoaded(tree.PluginPath(K::Data, "broken.so")));
    EXPECT_FALSE(host.CurrentDriver());
}

TEST(ModuleHostDiscovery, EmptyFoldersGiveAnEmptyTableAndTheDefaultGeometry) {
    TProgramTree tree;
    TGeometryLog geometry;
    TModuleHost host(tree.Options(), &geometry);
    host.Discover();
    EXPECT_TRUE(host.Modules().empty());
    EXPECT_EQ(geometry.Calls, (std::vector<std::string>{"rows=2", "cols=16"}));
    EXPECT_EQ(host.ModuleListItems().size(), 1u); // the leading separator only
}

TEST(ModuleHostDrivers, TwoActiveDriversAreBothInitialisedAndTheFirstBecomesCurrent) {
    TProgramTree tree;
    tree.AddFixture("DriverFixture", K::Driver, "a_2x16.so");
    tree.AddFixture("DriverFixture", K::Driver, "b_4x20.so");
    tree.SetActive("a_2x16.so", true);
    tree.SetActive("b_4x20.so", true);
    TGeometryLog geometry;
    TModuleHost host(tree.Options(), &geometry);
    host.Discover();

    EXPECT_GE(EventIndex("a_2x16.so:Init"), 0);
    EXPECT_GT(EventIndex("b_4x20.so:Init"), EventIndex("a_2x16.so:Init"));
    ASSERT_EQ(host.CurrentDriverIndex(), 0u);
    ASSERT_TRUE(host.CurrentDriver());
    EXPECT_TRUE(host.Module(1).Active);

    // Rows are read before columns; the current driver's geometry is the one that stays.
    EXPECT_LT(EventIndex("a_2x16.so:GetRowCount@1"), EventIndex("a_2x16.so:GetColCount@1"));
    EXPECT_EQ(geometry.Calls, (std::vector<std::string>{"rows=2", "cols=16", "rows=4", "cols=20",
                                                        "rows=2", "cols=16"}));

    // Only the current driver is switched on and cleared after discovery.
    EXPECT_GT(EventIndex("a_2x16.so:Clear@1"), EventIndex("b_4x20.so:Init"));
    EXPECT_TRUE(EventsWith("b_4x20.so:Clear").empty());
}

TEST(ModuleHostDrivers, FailingInitReportsTheErrorAndDiscoveryGoesOn) {
    TProgramTree tree;
    tree.AddFixture("DriverFixture", K::Driver, "initfail.so");
    tree.AddFixture("DataFixture", K::Data, "alpha.so");
    tree.SetActive("initfail.so", true);
    tree.SetActive("alpha.so", true);
    TGeometryLog geometry;
    TModuleHost host(tree.Options(), &geometry);
    host.Discover();

    const auto shown = ShownMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Text, "Ошибка при иницализации hardware-модуля!"_cp1251);
    EXPECT_EQ(shown[0].Caption, "Ошибка"_cp1251);
    EXPECT_EQ(shown[0].Flags, mbError);
    EXPECT_TRUE(host.Module(0).Active); // stays on
    EXPECT_FALSE(host.CurrentDriver());
    EXPECT_EQ(geometry.Calls, (std::vector<std::string>{"rows=2", "cols=16"}));
    EXPECT_TRUE(host.Module(1).Loaded());

    // Turned on again by the user: the same error, the entry on, still no current driver.
    host.TurnOff(0);
    EXPECT_EQ(host.TurnOn(0), TTurnResult::InitFailed);
    ASSERT_EQ(ShownMessages().size(), 2u);
    EXPECT_EQ(ShownMessages()[1].Text, "Ошибка при иницализации hardware-модуля!"_cp1251);
    EXPECT_TRUE(host.Module(0).Active);
    EXPECT_FALSE(host.CurrentDriverIndex());
}

TEST(ModuleHostDrivers, TurningOnADriverTurnsTheOthersOffFirst) {
    TProgramTree tree;
    tree.AddFixture("DriverFixture", K::Driver, "a_2x16.so");
    tree.AddFixture("DriverFixture", K::Driver, "b_4x20.so");
    tree.SetActive("a_2x16.so", true);
    TGeometryLog geometry;
    TModuleHost host(tree.Options(), &geometry);
    host.Discover();
    ClearEvents();
    geometry.Calls.clear();

    EXPECT_EQ(host.Toggle(1), TTurnResult::TurnedOn);
    EXPECT_EQ(Events(),
              (std::vector<std::string>{"a_2x16.so:SetActive(0)@1", "a_2x16.so:Release",
                                        "a_2x16.so:SetActive(0)@1", "b_4x20.so:Init",
                                        "b_4x20.so:SetActive(1)@1", "b_4x20.so:GetRowCount@1",
                                        "b_4x20.so:GetColCount@1"}));
    EXPECT_FALSE(host.Module(0).Active);
    EXPECT_FALSE(IsLoaded(host.LibraryPath(0)));
    EXPECT_EQ(host.CurrentDriverIndex(), 1u);
    EXPECT_EQ(geometry.Calls, (std::vector<std::string>{"rows=4", "cols=20"}));
    EXPECT_TRUE(host.CanConfigure(1));
    EXPECT_EQ(host.TurnCaption(1), "Отключить"_cp1251);

    ClearEvents();
    EXPECT_EQ(host.Toggle(1), TTurnResult::TurnedOff);
    EXPECT_EQ(Events(), (std::vector<std::string>{"b_4x20.so:SetActive(0)@1", "b_4x20.so:Release",
                                                  "b_4x20.so:SetActive(0)@1"}));
    EXPECT_FALSE(host.CurrentDriverIndex());
    EXPECT_FALSE(host.CurrentDriver());
    EXPECT_EQ(host.TurnCaption(1), "Подключить"_cp1251);
    EXPECT_FALSE(host.CanConfigure(1));
}

TEST(ModuleHostDrivers, ReconfigurationRecreatesTheDriverObjectAndTheHostFollowsIt) {
    TProgramTree tree;
    tree.AddFixture("DriverFixture", K::Driver, "a_4x20.so");
    tree.AddFixture("DriverFixture", K::Driver, "b_cfgfail.so");
    tree.AddFixture("DriverFixture", K::Driver, "c_nocfg.so");
    tree.SetActive("a_4x20.so", true);
    TGeometryLog geometry;
    TModuleHost host(tree.Options(), &geometry);
    host.Discover();
    ClearEvents();
    geometry.Calls.clear();

    EXPECT_TRUE(host.Configure(0));
    EXPECT_LT(EventIndex("a_4x20.so:Configure"), EventIndex("a_4x20.so:Release"));
    EXPECT_LT(EventIndex("a_4x20.so:Release"), EventIndex("a_4x20.so:Init"));
    EXPECT_EQ(geometry.Calls, (std::vector<std::string>{"rows=4", "cols=20"}));
    ASSERT_TRUE(host.CurrentDriver());
    host.CurrentDriver()->Clear();
    EXPECT_EQ(Events().back(), "a_4x20.so:Clear@2"); // the new object, not the destroyed one

    // A failing Configure ends the action; a driver without Configure offers no settings.
    EXPECT_EQ(host.Toggle(1), TTurnResult::TurnedOn);
    ClearEvents();
    EXPECT_TRUE(host.Configure(1));
    EXPECT_EQ(Events(), std::vector<std::string>{"b_cfgfail.so:Configure"});
    EXPECT_EQ(host.Toggle(2), TTurnResult::TurnedOn);
    EXPECT_FALSE(host.CanConfigure(2));
    ClearEvents();
    EXPECT_TRUE(host.Configure(2));
    EXPECT_TRUE(Events().empty());
}

TEST(ModuleHostModules, TurningDataAndScreenSaverModulesOnAndOff) {
    TProgramTree tree;
    tree.AddFixture("DataFixture", K::Data, "beta.so");
    tree.AddFixture("ScreenSaverFixture", K::ScreenSaver, "saver.so");
    TModuleHost host(tree.Options());
    host.Discover();
    ClearEvents();

    EXPECT_EQ(host.TurnOn(0), TTurnResult::TurnedOn);
    // LoadSettings, then the record is read again for the callbacks.
    EXPECT_EQ(Events(), (std::vector<std::string>{"beta.so:getPlugin", "beta.so:LoadSettings",
                                                  "beta.so:getPlugin"}));
    EXPECT_TRUE(host.Module(0).Active);
    EXPECT_TRUE(host.CanConfigure(0));
    EXPECT_EQ(host.Module(0).Description, ""); // taken at discovery only
    ClearEvents();
    EXPECT_TRUE(host.Configure(0));
    EXPECT_EQ(Events(), std::vector<std::string>{"beta.so:Configure"});

    ClearEvents();
    EXPECT_EQ(host.TurnOff(0), TTurnResult::TurnedOff);
    EXPECT_TRUE(Events().empty()); // no Finalize when turned off
    EXPECT_FALSE(IsLoaded(host.LibraryPath(0)));
    EXPECT_FALSE(host.Module(0).Loaded());

    EXPECT_EQ(host.Toggle(1), TTurnResult::TurnedOn);
    EXPECT_TRUE(host.Module(1).ScreenSaver());
    EXPECT_FALSE(host.CanConfigure(1));
    EXPECT_EQ(host.Toggle(1), TTurnResult::TurnedOff);
    EXPECT_TRUE(EventsWith("saver.so").empty());
    EXPECT_TRUE(ShownMessages().empty());
}

TEST(ModuleHostModules, ALibraryThatLostItsExportGivesTheErrorOfItsKind) {
    TProgramTree tree;
    tree.AddFixture("DriverFixture", K::Driver, "drv.so");
    tree.AddFixture("DataFixture", K::Data, "data.so");
    tree.AddFixture("DataFixture", K::Data, "gone.so");
    tree.AddFixture("ScreenSaverFixture", K::ScreenSaver, "saver.so");
    TModuleHost host(tree.Options());
    host.Discover();
    ASSERT_EQ(host.Modules().size(), 4u);

    // The files are replaced while the program runs.
    tree.AddFixture("NoExportFixture", K::Driver, "drv.so");
    tree.AddFixture("NoExportFixture", K::Data, "data.so");
    tree.AddFixture("NoExportFixture", K::ScreenSaver, "saver.so");
    WriteText(tree.PluginPath(K::Data, "gone.so"), "not a library");

    EXPECT_EQ(host.TurnOn(0), TTurnResult::NoExport);
    EXPECT_EQ(host.TurnOn(1), TTurnResult::NoExport);
    EXPECT_EQ(host.TurnOn(3), TTurnResult::NoExport);
    const auto shown = ShownMessages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].Text, "Ошибка при иницализации hardware-модуля!"_cp1251);
    EXPECT_EQ(shown[1].Text, "Ошибка при иницализации software-модуля!"_cp1251);
    EXPECT_EQ(shown[2].Text, "Ошибка при иницализации screensaver-модуля!"_cp1251);
    for (const auto& message : shown) {
        EXPECT_EQ(message.Caption, "Ошибка"_cp1251);
        EXPECT_EQ(message.Flags, mbError);
    }

    // A library that cannot be loaded at all stays off without a message.
    EXPECT_EQ(host.TurnOn(2), TTurnResult::NotLoaded);
    EXPECT_EQ(ShownMessages().size(), 3u);
    for (const auto& entry : host.Modules()) {
        EXPECT_FALSE(entry.Active) << entry.FileName;
        EXPECT_FALSE(entry.Loaded()) << entry.FileName;
    }
}

TEST(ModuleHostModules, ALibraryForAnotherInterfaceVersionIsRefusedWithoutCallingIt) {
    TProgramTree tree;
    tree.AddFixture("OtherVersionFixture", K::Data, "newer.so");
    tree.AddFixture("DataFixture", K::Data, "data.so");
    tree.SetActive("newer.so", true);
    TModuleHost host(tree.Options());
    host.Discover();
    // Skipped at discovery like a library without the export.
    EXPECT_EQ(FileNames(host), std::vector<std::string>{"data.so"});
    EXPECT_TRUE(EventsWith("newer.so").empty());
    EXPECT_TRUE(ShownMessages().empty());

    // Replaced while the program runs: turning it on gives the error of its kind.
    tree.AddFixture("OtherVersionFixture", K::Data, "data.so");
    ClearEvents();
    EXPECT_EQ(host.TurnOn(0), TTurnResult::NoExport);
    EXPECT_TRUE(Events().empty());
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Text, "Ошибка при иницализации software-модуля!"_cp1251);
    EXPECT_FALSE(host.Module(0).Active);
    EXPECT_FALSE(IsLoaded(host.LibraryPath(0)));
}

TEST(ModuleHostModules, ExitReleasesEveryModuleThatIsOnInTableOrder) {
    TProgramTree tree;
    tree.AddFixture("DriverFixture", K::Driver, "drv.so");
    tree.AddFixture("DataFixture", K::Data, "alpha.so");
    tree.AddFixture("DataFixture", K::Data, "beta.so");
    tree.AddFixture("DataFixture", K::Data, "plain.so");
    tree.AddFixture("ScreenSaverFixture", K::ScreenSaver, "saver.so");
    tree.AddFixture("ScreenSaverFixture", K::ScreenSaver, "unused.so");
    for (const char* name : {"drv.so", "alpha.so", "beta.so", "plain.so", "saver.so"})
        tree.SetActive(name, true);
    {
        TModuleHost host(tree.Options());
        host.Discover();
        host.TurnOff(2); // beta: no Finalize later
        ClearEvents();
        host.ReleaseAll();
        EXPECT_EQ(Events(), (std::vector<std::string>{"drv.so:Release", "drv.so:SetActive(0)@1",
                                                      "alpha.so:Finalize", "saver.so:Stop"}));
        for (size_t i = 0; i < host.Modules().size(); ++i)
            EXPECT_FALSE(IsLoaded(host.LibraryPath(i))) << i;
        EXPECT_TRUE(host.Module(1).Active); // the saved state is kept
        ClearEvents();
    }
    EXPECT_TRUE(Events().empty()); // the destructor releases nothing twice
}

TEST(ModuleHostModules, ActiveKeysOfEveryEntryAreSaved) {
    TProgramTree tree;
    tree.AddFixture("DriverFixture", K::Driver, "drv.so");
    tree.AddFixture("DataFixture", K::Data, "alpha.so");
    tree.AddFixture("ScreenSaverFixture", K::ScreenSaver, "saver.so");
    tree.SetActive("drv.so", true);
    TIniFile(tree.SettingsPath()).WriteString("Common", "Language", "EN");
    TModuleHost host(tree.Options());
    host.Discover();
    host.Toggle(0);
    host.Toggle(1);

    TIniDocument doc;
    host.WriteActiveKeys(doc);
    EXPECT_EQ(doc.Sections(), (std::vector<std::string>{"drv.so", "alpha.so", "saver.so"}));
    EXPECT_FALSE(doc.ReadBool("drv.so", "Active", true));
    EXPECT_TRUE(doc.ReadBool("alpha.so", "Active", false));
    EXPECT_EQ(doc.ReadString("saver.so", "Active", ""), "0");
}

TEST(ModuleHostModules, ModuleListGroupsKindsWithSeparators) {
    TProgramTree tree;
    tree.AddFixture("DriverFixture", K::Driver, "drv.so");
    tree.AddFixture("ScreenSaverFixture", K::ScreenSaver, "saver.so");
    tree.AddFixture("DataFixture", K::Data, "alpha.so");
    tree.SetActive("alpha.so", true);
    TModuleHost host(tree.Options());
    host.Discover();

    std::vector<std::string> texts;
    std::vector<size_t> indexes;
    for (const auto& item : host.ModuleListItems()) {
        texts.push_back(item.Text);
        indexes.push_back(item.TableIndex);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"-", "Driver drv", "-", "Fixture alpha", "-",
                                               "Saver saver", "-"}));
    EXPECT_EQ(indexes, (std::vector<size_t>{777, 0, 777, 1, 777, 2, 777}));
    EXPECT_EQ(host.ModuleDescriptionText(1),
              "Fixture alpha\r\r(alpha.so)\r\rDescription of alpha\r\rtest fixture");
}

// A module built the ordinary way that throws (tests/host/modulehost/fixtures/ThrowingFixture)
// loses the answer of the call, is reported once and stays on; a second data module of the same
// name is refused with a message naming both files.
TEST(ModuleHostFaults, ThrowingModulesAreReportedOnceAndADuplicateNameIsRefused) {
    const std::string library =
        std::string(ORVANTA3_THROWING_FIXTURES) + "/plugins/software/throwing_plain.so";
    TProgramTree tree;
    tree.AddFile(library, K::Data, "a_throwing.so");
    tree.AddFile(library, K::Data, "b_same_name.so");
    tree.AddFile(library, K::Driver, "driver.so");
    for (const char* file : {"a_throwing.so", "b_same_name.so", "driver.so"})
        tree.SetActive(file, true);
    ClearShownMessages();
    TModuleHost host(tree.Options());
    host.Discover();

    EXPECT_EQ(FileNames(host), (std::vector<std::string>{"driver.so", "a_throwing.so"}));
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(ShownMessages()[0].Text,
              "plugins/software/b_same_name.so is not loaded: its name \"Throwing\" is already "
              "that of plugins/software/a_throwing.so");
    EXPECT_EQ(host.ModuleListItems().size(), 5u) << "-, driver, -, data module, -";

    TModuleCatalogue catalogue(host);
    EXPECT_EQ(catalogue.GetValue("Throwing", 0, ""), "call 1");
    EXPECT_EQ(catalogue.GetValue("Throwing", 0, ""), "call 2");
    EXPECT_EQ(catalogue.GetValue("Throwing", 0, ""), "");
    EXPECT_EQ(catalogue.GetValue("Throwing", 0, ""), "");
    host.Configure(1);
    ASSERT_EQ(ShownMessages().size(), 2u);
    EXPECT_EQ(ShownMessages()[1].Text, "a_throwing.so: GetValue failed (fixture GetValue failure); "
                                       "the program goes on without its answer");

    // The driver object throws from every write: the host's stand-in keeps it in the module.
    TLCDBaseControl* driver = host.CurrentDriver();
    ASSERT_NE(driver, nullptr);
    EXPECT_TRUE(driver->GetActive());
    EXPECT_EQ(driver->GetColCount(), 16);
    const uint8_t pattern[8]{};
    driver->DefineChar(0, pattern);
    driver->WriteText(1, 1, "text", 4);
    EXPECT_EQ(host.CurrentDriver(), driver) << "one stand-in for one driver object";
    // Configure throws too: as after a dialog that was cancelled, the driver object stays.
    EXPECT_TRUE(host.Configure(0));
    ASSERT_EQ(ShownMessages().size(), 3u);
    EXPECT_EQ(ShownMessages()[2].Text, "driver.so: DefineChar failed (fixture DefineChar failure); "
                                       "the program goes on without its answer");
    host.ReleaseAll();
    EXPECT_EQ(ShownMessages().size(), 3u);
}

} // namespace
} // namespace orv::test
