#include "appcore/remote/BusRemoteService.h"

#include "appcore/ApplicationCore.h"
#include "appcore/remote/RemoteNames.h"
#include "base/Cp1251.h"
#include "engine/Navigation.h"
#include "appcore/remote/RemoteStatus.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>
#include <unistd.h>

namespace orv {

namespace {

// A bus that does not answer must not hold up the program's start for long.
constexpr uint64_t kBusCallTimeoutUs = 5'000'000;

TApplicationCore& Core(void* service) { return static_cast<TBusRemoteService*>(service)->Core(); }

int OnNavigate(sd_bus_message* call, void* service, sd_bus_error*) {
    int32_t wparam = 0, lparam = 0;
    const int r = sd_bus_message_read(call, "ii", &wparam, &lparam);
    if (r < 0) return r;
    if (const auto request = NavigationRequestOf(wparam, lparam)) Core(service).Navigate(*request);
    return sd_bus_reply_method_return(call, "");
}

int OnCharset(sd_bus_message* call, void* service, sd_bus_error*) {
    int32_t request = 0;
    const char* text = nullptr;
    const int r = sd_bus_message_read(call, "is", &request, &text);
    if (r < 0) return r;
    // D-Bus strings are UTF-8; the program's texts are Windows-1251.
    Core(service).Charset(request, Utf8ToCp1251(text ? text : ""));
    return sd_bus_reply_method_return(call, "");
}

int AppendByteArrays(sd_bus_message* reply, const std::vector<std::string>& arrays) {
    int r = sd_bus_message_open_container(reply, SD_BUS_TYPE_ARRAY, "ay");
    for (size_t i = 0; r >= 0 && i < arrays.size(); ++i)
        r = sd_bus_message_append_array(reply, 'y', arrays[i].data(), arrays[i].size());
    return r < 0 ? r : sd_bus_message_close_container(reply);
}

int OnFrame(sd_bus_message* call, void* service, sd_bus_error*) {
    const TRemoteFrame frame = RemoteFrame(Core(service));
    sd_bus_message* reply = nullptr;
    int r = sd_bus_message_new_method_return(call, &reply);
    if (r >= 0) r = AppendByteArrays(reply, frame.Rows);
    if (r >= 0) r = AppendByteArrays(reply, frame.CustomChars);
    if (r >= 0) r = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return r;
}

int OnStatus(sd_bus_message* call, void* service, sd_bus_error*) {
    auto* self = static_cast<TBusRemoteService*>(service);
    const std::string text = self->WithCore([self] { return RemoteStatusText(self->Core()); });
    return sd_bus_reply_method_return(call, "s", text.c_str());
}

int OnReload(sd_bus_message* call, void* service, sd_bus_error* error) {
    const std::string failure = static_cast<TBusRemoteService*>(service)->Reload();
    if (!failure.empty()) return sd_bus_error_set(error, kRemoteReloadFailed, failure.c_str());
    return sd_bus_reply_method_return(call, "");
}

const sd_bus_vtable kRemoteVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD_WITH_NAMES("Navigate", "ii", SD_BUS_PARAM(wparam) SD_BUS_PARAM(lparam), "", ,
                             OnNavigate, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD_WITH_NAMES("Charset", "is", SD_BUS_PARAM(request) SD_BUS_PARAM(text), "", ,
                             OnCharset, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD_WITH_NAMES("Frame", "", , "aayaay", SD_BUS_PARAM(rows) SD_BUS_PARAM(custom),
                             OnFrame, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD_WITH_NAMES("Status", "", , "s", SD_BUS_PARAM(text), OnStatus,
                             SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Reload", "", "", OnReload, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

int OnStop(sd_event_source* source, int, uint32_t, void*) {
    return sd_event_exit(sd_event_source_get_event(source), 0);
}

// A system service offers the interface on the system bus, where a policy file lets its user
// own the name (orvanta3d.service sets ORVANTA3_BUS=system).
bool UsesSystemBus() {
    const char* bus = std::getenv(kRemoteBusVariable);
    return bus && std::string_view(bus) == "system";
}

std::string BusError(const std::string& what, int r) { return what + ": " + std::strerror(-r); }

} // namespace

TBusRemoteService::TBusRemoteService(TApplicationCore& core, TReloadFunc reload)
    : core_(core), reload_(std::move(reload)) {
    const bool system = UsesSystemBus();
    int r = system ? sd_bus_open_system(&bus_) : sd_bus_open_user(&bus_);
    if (r < 0) {
        error_ = BusError(system ? "no system bus" : "no session bus", r);
        bus_ = nullptr;
        return;
    }
    sd_bus_set_method_call_timeout(bus_, kBusCallTimeoutUs);
    r = sd_bus_add_object_vtable(bus_, &slot_, kRemoteObject, kRemoteInterface, kRemoteVtable,
                                 this);
    if (r >= 0) {
        r = sd_bus_request_name(bus_, kRemoteService, 0);
        if (r < 0)
            error_ = r == -EEXIST ? std::string(kRemoteService) + " is owned by another program"
                                  : BusError("cannot own " + std::string(kRemoteService), r);
    } else {
        error_ = BusError("cannot serve the remote control", r);
    }
    if (r >= 0) stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (r < 0 || stopFd_ < 0) {
        if (error_.empty()) error_ = BusError("no eventfd", -errno);
        sd_bus_slot_unref(slot_);
        slot_ = nullptr;
        sd_bus_flush_close_unref(bus_);
        bus_ = nullptr;
        return;
    }
    thread_ = std::thread([this] { Serve(); });
}

TBusRemoteService::~TBusRemoteService() { Stop(); }

std::string TBusRemoteService::Reload() {
    if (!reload_) return "this program does not reload on request";
    std::lock_guard lock(coreMutex_);
    return reload_();
}

std::string TBusRemoteService::WithCore(const std::function<std::string()>& read) {
    std::lock_guard lock(coreMutex_);
    return read();
}

void TBusRemoteService::Stop() {
    if (thread_.joinable()) {
        const uint64_t one = 1;
        (void)!::write(stopFd_, &one, sizeof one);
        thread_.join();
    }
    if (stopFd_ >= 0) ::close(stopFd_);
    stopFd_ = -1;
    sd_bus_slot_unref(slot_);
    slot_ = nullptr;
    sd_bus_flush_close_unref(bus_);
    bus_ = nullptr;
}

// The bus and the stop signal on one event loop: the thread sleeps until either has news.
void TBusRemoteService::Serve() {
    sd_event* event = nullptr;
    sd_event_source* stop = nullptr;
    if (sd_event_new(&event) >= 0 &&
        sd_event_add_io(event, &stop, stopFd_, EPOLLIN, OnStop, nullptr) >= 0 &&
        sd_bus_attach_event(bus_, event, SD_EVENT_PRIORITY_NORMAL) >= 0) {
        sd_event_loop(event);
        sd_bus_detach_event(bus_);
    }
    sd_event_source_unref(stop);
    sd_event_unref(event);
}

} // namespace orv
