// Definitions of the sd-bus and sd-event functions the program calls, in place of linking
// libsystemd: each forwards to the library, which is loaded by the first call that opens a bus
// connection or an event loop. Every other call can only be about objects those made, so
// before the library is loaded it fails (or, for releases, does nothing) without loading it.
// The definitions are hidden, so plug-ins and libsystemd itself never bind to them.
#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kLibrary = "libsystemd.so.0";

std::atomic<void*> gLibrary{nullptr};

void* LoadedLibrary() { return gLibrary.load(std::memory_order_acquire); }

void* LoadLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        gLibrary.store(::dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL), std::memory_order_release);
    });
    return LoadedLibrary();
}

template <typename F> F Resolve(void* library, const char* name) {
    return library ? reinterpret_cast<F>(::dlsym(library, name)) : nullptr;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// Whether a session bus can be there: an address in the environment, or the socket at one of
// the places libsystemd looks for it. Without one, opening the bus loads nothing.
bool SessionBusMayExist() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && Exists(std::string(runtime) + "/bus")) return true;
    return Exists("/run/user/" + std::to_string(::getuid()) + "/bus");
}

} // namespace

// real: name's definition in the library, resolved again on each call until the library is
// there (mayLoad: this call may load it), then kept.
#define ORV_REAL(name, mayLoad)                                                                    \
    static std::atomic<decltype(&::name)> cached{nullptr};                                         \
    auto real = cached.load(std::memory_order_acquire);                                            \
    if (!real) {                                                                                   \
        real = Resolve<decltype(&::name)>(mayLoad ? LoadLibrary() : LoadedLibrary(), #name);       \
        cached.store(real, std::memory_order_release);                                             \
    }

// A call that needs the library; failure when it is not there.
#define ORV_FORWARD(result, name, params, args, failure)                                           \
    result name params {                                                                           \
        ORV_REAL(name, false);                                                                     \
        return real ? real args : failure;                                                         \
    }

#pragma GCC visibility push(hidden)

extern "C" {

// The start of every object vtable points at this to say that it has the current layout (with
// parameter names); libsystemd checks only that the pointer is set.
const unsigned sd_bus_object_vtable_format = 242;

int sd_bus_open_user(sd_bus** ret) {
    if (!SessionBusMayExist()) return -ENOMEDIUM;
    ORV_REAL(sd_bus_open_user, true);
    return real ? real(ret) : -ENOSYS;
}

// The system service's bus (ORVANTA3_BUS=system): loaded on request.
int sd_bus_open_system(sd_bus** ret) {
    ORV_REAL(sd_bus_open_system, true);
    return real ? real(ret) : -ENOSYS;
}

int sd_event_new(sd_event** e) {
    ORV_REAL(sd_event_new, true);
    return real ? real(e) : -ENOSYS;
}

// Releases: nothing to release before the library is loaded.
ORV_FORWARD(sd_bus*, sd_bus_flush_close_unref, (sd_bus * bus), (bus), nullptr)
ORV_FORWARD(sd_bus_message*, sd_bus_message_unref, (sd_bus_message * m), (m), nullptr)
ORV_FORWARD(sd_bus_slot*, sd_bus_slot_unref, (sd_bus_slot * slot), (slot), nullptr)
ORV_FORWARD(sd_event*, sd_event_unref, (sd_event * e), (e), nullptr)
ORV_FORWARD(sd_event_source*, sd_event_source_unref, (sd_event_source * s), (s), nullptr)
void sd_bus_error_free(sd_bus_error* e) {
    ORV_REAL(sd_bus_error_free, false);
    if (real) real(e);
}

// The connection.
ORV_FORWARD(int, sd_bus_is_open, (sd_bus * bus), (bus), -ENOSYS)
ORV_FORWARD(int, sd_bus_set_method_call_timeout, (sd_bus * bus, uint64_t usec), (bus, usec),
            -ENOSYS)
ORV_FORWARD(int, sd_bus_get_fd, (sd_bus * bus), (bus), -ENOSYS)
ORV_FORWARD(int, sd_bus_get_events, (sd_bus * bus), (bus), -ENOSYS)
ORV_FORWARD(int, sd_bus_get_timeout, (sd_bus * bus, uint64_t* usec), (bus, usec), -ENOSYS)
ORV_FORWARD(int, sd_bus_process, (sd_bus * bus, sd_bus_message** r), (bus, r), -ENOSYS)
ORV_FORWARD(int, sd_bus_add_match,
            (sd_bus * bus, sd_bus_slot** slot, const char* match, sd_bus_message_handler_t callback,
             void* userdata),
            (bus, slot, match, callback, userdata), -ENOSYS)
ORV_FORWARD(int, sd_bus_add_object_vtable,
            (sd_bus * bus, sd_bus_slot** slot, const char* path, const char* interface,
             const sd_bus_vtable* vtable, void* userdata),
            (bus, slot, path, interface, vtable, userdata), -ENOSYS)
ORV_FORWARD(int, sd_bus_request_name, (sd_bus * bus, const char* name, uint64_t flags),
            (bus, name, flags), -ENOSYS)
ORV_FORWARD(int, sd_bus_list_names, (sd_bus * bus, char*** acquired, char*** activatable),
            (bus, acquired, activatable), -ENOSYS)
ORV_FORWARD(int, sd_bus_attach_event, (sd_bus * bus, sd_event* e, int priority), (bus, e, priority),
            -ENOSYS)
ORV_FORWARD(int, sd_bus_detach_event, (sd_bus * bus), (bus), -ENOSYS)

// Calls and properties.
ORV_FORWARD(int, sd_bus_message_new_method_call,
            (sd_bus * bus, sd_bus_message** m, const char* destination, const char* path,
             const char* interface, const char* member),
            (bus, m, destination, path, interface, member), -ENOSYS)
ORV_FORWARD(int, sd_bus_message_set_auto_start, (sd_bus_message * m, int b), (m, b), -ENOSYS)
ORV_FORWARD(int, sd_bus_call,
            (sd_bus * bus, sd_bus_message* m, uint64_t usec, sd_bus_error* ret_error,
             sd_bus_message** reply),
            (bus, m, usec, ret_error, reply), -ENOSYS)
ORV_FORWARD(int, sd_bus_get_property_string,
            (sd_bus * bus, const char* destination, const char* path, const char* interface,
             const char* member, sd_bus_error* ret_error, char** ret),
            (bus, destination, path, interface, member, ret_error, ret), -ENOSYS)
ORV_FORWARD(int, sd_bus_get_property_trivial,
            (sd_bus * bus, const char* destination, const char* path, const char* interface,
             const char* member, sd_bus_error* ret_error, char type, void* ret_ptr),
            (bus, destination, path, interface, member, ret_error, type, ret_ptr), -ENOSYS)

// Replies the remote-control service builds.
ORV_FORWARD(int, sd_bus_message_new_method_return, (sd_bus_message * call, sd_bus_message** m),
            (call, m), -ENOSYS)
ORV_FORWARD(int, sd_bus_message_open_container,
            (sd_bus_message * m, char type, const char* contents), (m, type, contents), -ENOSYS)
ORV_FORWARD(int, sd_bus_message_close_container, (sd_bus_message * m), (m), -ENOSYS)
ORV_FORWARD(int, sd_bus_message_append_array,
            (sd_bus_message * m, char type, const void* ptr, size_t size), (m, type, ptr, size),
            -ENOSYS)
ORV_FORWARD(int, sd_bus_send, (sd_bus * bus, sd_bus_message* m, uint64_t* cookie), (bus, m, cookie),
            -ENOSYS)
ORV_FORWARD(int, sd_bus_error_set, (sd_bus_error * e, const char* name, const char* message),
            (e, name, message), -ENOSYS)

// Reading messages.
ORV_FORWARD(const char*, sd_bus_message_get_sender, (sd_bus_message * m), (m), nullptr)
ORV_FORWARD(int, sd_bus_message_peek_type, (sd_bus_message * m, char* type, const char** contents),
            (m, type, contents), -ENOSYS)
ORV_FORWARD(int, sd_bus_message_enter_container,
            (sd_bus_message * m, char type, const char* contents), (m, type, contents), -ENOSYS)
ORV_FORWARD(int, sd_bus_message_exit_container, (sd_bus_message * m), (m), -ENOSYS)
ORV_FORWARD(int, sd_bus_message_read_basic, (sd_bus_message * m, char type, void* p), (m, type, p),
            -ENOSYS)
ORV_FORWARD(int, sd_bus_message_skip, (sd_bus_message * m, const char* types), (m, types), -ENOSYS)

// The event loop.
ORV_FORWARD(int, sd_event_add_io,
            (sd_event * e, sd_event_source** s, int fd, uint32_t events,
             sd_event_io_handler_t callback, void* userdata),
            (e, s, fd, events, callback, userdata), -ENOSYS)
ORV_FORWARD(int, sd_event_loop, (sd_event * e), (e), -ENOSYS)
ORV_FORWARD(int, sd_event_exit, (sd_event * e, int code), (e, code), -ENOSYS)
ORV_FORWARD(sd_event*, sd_event_source_get_event, (sd_event_source * s), (s), nullptr)

// The variadic calls, through their va_list forms.
int sd_bus_message_read(sd_bus_message* m, const char* types, ...) {
    ORV_REAL(sd_bus_message_readv, false);
    if (!real) return -ENOSYS;
    va_list ap;
    va_start(ap, types);
    const int r = real(m, types, ap);
    va_end(ap);
    return r;
}

int sd_bus_reply_method_return(sd_bus_message* call, const char* types, ...) {
    ORV_REAL(sd_bus_reply_method_returnv, false);
    if (!real) return -ENOSYS;
    va_list ap;
    va_start(ap, types);
    const int r = real(call, types, ap);
    va_end(ap);
    return r;
}

int sd_bus_call_method(sd_bus* bus, const char* destination, const char* path,
                       const char* interface, const char* member, sd_bus_error* ret_error,
                       sd_bus_message** reply, const char* types, ...) {
    ORV_REAL(sd_bus_call_methodv, false);
    if (!real) return -ENOSYS;
    va_list ap;
    va_start(ap, types);
    const int r = real(bus, destination, path, interface, member, ret_error, reply, types, ap);
    va_end(ap);
    return r;
}

} // extern "C"

#pragma GCC visibility pop
