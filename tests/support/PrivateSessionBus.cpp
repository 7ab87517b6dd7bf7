#include "tests/support/PrivateSessionBus.h"

#include "tests/support/WaitUntil.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

extern char** environ;

namespace orv::test {

TPrivateSessionBus::TPrivateSessionBus() {
    const std::string socket = dir_ / "bus";
    address_ = "unix:path=" + socket;
    const std::string config = dir_ / "session.conf";
    WriteText(config, "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                      "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                      "<busconfig>\n"
                      "  <type>session</type>\n"
                      "  <listen>" +
                          address_ +
                          "</listen>\n"
                          "  <auth>EXTERNAL</auth>\n"
                          "  <policy context=\"default\">\n"
                          "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                          "    <allow eavesdrop=\"true\"/>\n"
                          "    <allow own=\"*\"/>\n"
                          "  </policy>\n"
                          "</busconfig>\n");
    const std::string configArg = "--config-file=" + config;
    const char* argv[] = {"dbus-daemon", configArg.c_str(), "--nofork", "--nopidfile", nullptr};
    // The daemon's own complaints (such as its fd limit) go to a file, not the test output.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = dir_ / "daemon.log";
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int spawned =
        ::posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        return;
    }
    // The socket file appears before the daemon listens on it: wait until it takes a connection.
    ready_ = WaitUntil([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        socket.copy(address.sun_path, sizeof address.sun_path - 1);
        const bool connected =
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return connected;
    });
}

TPrivateSessionBus::~TPrivateSessionBus() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}

namespace {

int OnGetActive(sd_bus_message* call, void* userdata, sd_bus_error*) {
    auto* service = static_cast<std::pair<std::atomic<bool>*, std::atomic<int>*>*>(userdata);
    ++*service->second;
    return sd_bus_reply_method_return(call, "b", service->first->load() ? 1 : 0);
}

const sd_bus_vtable kScreenSaverVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("GetActive", "", "b", OnGetActive, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

} // namespace

TTestScreenSaverService::TTestScreenSaverService(const std::string& address) {
    thread_ = std::thread([this, address] { Run(address); });
    WaitUntil([this] { return ready_ || failed_; });
}

TTestScreenSaverService::~TTestScreenSaverService() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void TTestScreenSaverService::Run(std::string address) {
    sd_bus* bus = nullptr;
    sd_bus_slot* slot = nullptr;
    std::pair<std::atomic<bool>*, std::atomic<int>*> state{&active_, &calls_};
    if (sd_bus_new(&bus) < 0 || sd_bus_set_address(bus, address.c_str()) < 0 ||
        sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0 ||
        sd_bus_add_object_vtable(bus, &slot, "/org/freedesktop/ScreenSaver",
                                 "org.freedesktop.ScreenSaver", kScreenSaverVtable, &state) < 0 ||
        sd_bus_request_name(bus, "org.freedesktop.ScreenSaver", 0) < 0) {
        failed_ = true;
        sd_bus_slot_unref(slot);
        sd_bus_flush_close_unref(bus);
        return;
    }
    ready_ = true;
    while (!stop_) {
        const int r = sd_bus_process(bus, nullptr);
        if (r < 0) break;
        if (r == 0) sd_bus_wait(bus, 50'000);
    }
    sd_bus_slot_unref(slot);
    sd_bus_flush_close_unref(bus);
}

} // namespace orv::test
