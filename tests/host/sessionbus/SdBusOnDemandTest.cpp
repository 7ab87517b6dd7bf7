#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <dlfcn.h>
#include <filesystem>
#include <unistd.h>

using namespace orv::test;

namespace {

bool LibsystemdLoaded() {
    void* handle = ::dlopen("libsystemd.so.0", RTLD_NOW | RTLD_NOLOAD);
    if (handle) ::dlclose(handle);
    return handle != nullptr;
}

} // namespace

// One test, in this order: once loaded, the library stays.
TEST(SdBusOnDemand, NothingIsLoadedUntilABusCanBeThereAndThenCallsReachTheLibrary) {
    if (std::filesystem::exists("/run/user/" + std::to_string(::getuid()) + "/bus"))
        GTEST_SKIP() << "this user has a session bus socket in /run/user";
    ASSERT_FALSE(LibsystemdLoaded());

    TempDir runtime;
    ScopedEnv noAddress("DBUS_SESSION_BUS_ADDRESS", "");
    ScopedEnv emptyRuntime("XDG_RUNTIME_DIR", runtime.Path());
    sd_bus* bus = nullptr;
    EXPECT_EQ(sd_bus_open_user(&bus), -ENOMEDIUM);
    EXPECT_EQ(bus, nullptr);
    // Releasing what was never made, and calls on no connection, load nothing either.
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_error_free(&error);
    EXPECT_EQ(sd_bus_message_unref(nullptr), nullptr);
    EXPECT_EQ(sd_bus_flush_close_unref(nullptr), nullptr);
    EXPECT_LT(sd_bus_get_fd(nullptr), 0);
    EXPECT_FALSE(LibsystemdLoaded());

    // An address where nothing listens: the library is loaded and says so.
    ScopedEnv deadAddress("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (runtime / "no-bus"));
    EXPECT_LT(sd_bus_open_user(&bus), 0);
    EXPECT_EQ(bus, nullptr);
    EXPECT_TRUE(LibsystemdLoaded());
    // Calls now reach the library: it checks its arguments itself.
    EXPECT_EQ(sd_bus_get_fd(nullptr), -EINVAL);
}
