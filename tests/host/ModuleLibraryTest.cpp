#include "host/ModuleLibrary.h"
#include "tests/support/TempDir.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

using namespace orv;

namespace {

std::string Fixture(const std::string& name) {
    return std::string(LOADER_FIXTURE_DIR) + "/" + name + ".so";
}

// The loader's verdict on one fixture: the error text, or "" when the descriptor is accepted.
std::string RefusalOf(const std::string& name) {
    std::string error;
    auto lib = TModuleLibrary::Open(Fixture(name), &error);
    if (!lib) return "cannot open: " + error;
    return lib->DataModuleDescriptor(&error) ? "" : error;
}

bool IsLoaded(const std::string& path) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) ::dlclose(handle);
    return handle != nullptr;
}

const char* NoValue(int32_t, const char*) { return ""; }
void Nothing() {}
void NoStart(TLCDBaseControl*) {}

} // namespace

TEST(ModuleLibrary, AcceptsASoundModuleAndReleasesItWithTheObject) {
    const std::string path = Fixture("good");
    {
        std::string error;
        auto lib = TModuleLibrary::Open(path, &error);
        ASSERT_TRUE(lib) << error;
        EXPECT_EQ(lib->Path(), path);
        TPluginDescriptor* d = lib->DataModuleDescriptor(&error);
        ASSERT_TRUE(d) << error;
        EXPECT_STREQ(d->Name, "Fixture");
        EXPECT_EQ(d->TagCount, 2);
        EXPECT_STREQ(d->TagNames[2], "$second");
        EXPECT_STREQ(d->GetValue(0, "0"), "value");
        EXPECT_EQ(lib->DataModuleDescriptor(), d) << "the same record on every call";
        EXPECT_EQ(lib->Symbol("getHardware"), nullptr);
        EXPECT_EQ(lib->DriverDescriptor(&error), nullptr) << "a data module is not a driver";
        EXPECT_NE(error.find("getHardware"), std::string::npos) << error;
        EXPECT_TRUE(IsLoaded(path));
    }
    EXPECT_FALSE(IsLoaded(path));
}

TEST(ModuleLibrary, RefusesBrokenModulesAndSaysWhy) {
    EXPECT_NE(RefusalOf("no_export").find("no export getPlugin"), std::string::npos);
    EXPECT_NE(RefusalOf("null_descriptor").find("no descriptor"), std::string::npos);
    EXPECT_NE(RefusalOf("null_name").find("without name"), std::string::npos);
    EXPECT_NE(RefusalOf("null_tag_text").find("entry 16"), std::string::npos);
    EXPECT_NE(RefusalOf("tag_count_17").find("more than 16 tags"), std::string::npos);
    EXPECT_NE(RefusalOf("null_get_value").find("without GetValue"), std::string::npos);
    EXPECT_EQ(RefusalOf("good"), "");
}

TEST(ModuleLibrary, RefusesALibraryBuiltForAnotherInterfaceVersion) {
    const std::string path = Fixture("other_version");
    std::string error;
    auto lib = TModuleLibrary::Open(path, &error);
    ASSERT_TRUE(lib) << error;
    EXPECT_EQ(lib->InterfaceVersion(), kInterfaceVersion + 1);
    const std::string expected =
        path + ": built for interface version " + std::to_string(kInterfaceVersion + 1) +
        ", this program loads version " + std::to_string(kInterfaceVersion);
    EXPECT_EQ(lib->DataModuleDescriptor(&error), nullptr);
    EXPECT_EQ(error, expected);
    error.clear();
    EXPECT_EQ(lib->DriverDescriptor(&error), nullptr);
    EXPECT_EQ(error, expected) << "refused before the missing getHardware is noticed";
    error.clear();
    EXPECT_EQ(lib->ScreenSaverDescriptor(&error), nullptr);
    EXPECT_EQ(error, expected);

    // Our own version is accepted; a library without the export, as others write them, too.
    EXPECT_EQ(TModuleLibrary::Open(Fixture("current_version"))->InterfaceVersion(),
              kInterfaceVersion);
    EXPECT_EQ(RefusalOf("current_version"), "");
    EXPECT_EQ(TModuleLibrary::Open(Fixture("good"))->InterfaceVersion(), std::nullopt);
    EXPECT_EQ(RefusalOf("good"), "");
}

TEST(ModuleLibrary, FilesThatAreNoLibraryDoNotOpen) {
    orv::test::TempDir dir;
    orv::test::WriteText(dir / "text.so", "not a library");
    std::string error;
    EXPECT_EQ(TModuleLibrary::Open(dir / "text.so", &error), nullptr);
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(TModuleLibrary::Open(dir / "missing.so", &error), nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(TModuleLibrary::Open(dir / "missing.so"), nullptr) << "no error text asked for";
}

TEST(ModuleLibrary, DriverAndScreenSaverDescriptorsNeedTheirCallbacks) {
    THardwareDescriptor driver{"Driver", "d", nullptr, nullptr, nullptr, Nothing};
    EXPECT_TRUE(CheckDescriptor(driver));
    driver.Release = nullptr;
    EXPECT_FALSE(CheckDescriptor(driver));
    driver = {nullptr, "d", nullptr, nullptr, nullptr, Nothing};
    EXPECT_FALSE(CheckDescriptor(driver));

    TScreenSaverDescriptor saver{"Saver", "s", NoStart, Nothing};
    EXPECT_TRUE(CheckDescriptor(saver));
    saver.Stop = nullptr;
    EXPECT_FALSE(CheckDescriptor(saver));
    saver = {"Saver", nullptr, NoStart, Nothing};
    EXPECT_FALSE(CheckDescriptor(saver));

    TPluginDescriptor module{};
    module.Name = module.Description = module.GroupCaption = "m";
    module.GetValue = NoValue;
    std::string error;
    EXPECT_FALSE(CheckDescriptor(module, &error)) << "tag texts left null";
    EXPECT_NE(error.find("entry 0"), std::string::npos) << error;
}
