#include "host/modulehost/ScreenSaverProbe.h"

#include "host/ModuleLibrary.h"

#include <systemd/sd-bus.h>

#ifdef ORVANTA3_WITH_XSS
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#endif

// The X libraries are loaded only when a probe is used, so that a program that never watches the
// screen saver does not map them; libsystemd is loaded when the bus is first opened.
#define ORV_SYMBOL(name) decltype(&::name) name = Resolve<decltype(&::name)>(#name)

namespace orv {

namespace {

class TLazyLibrary {
public:
    explicit TLazyLibrary(const char* file) : library_(TModuleLibrary::Open(file)) {}
    template <typename F> F Resolve(const char* name) const {
        return library_ ? reinterpret_cast<F>(library_->Symbol(name)) : nullptr;
    }

private:
    std::unique_ptr<TModuleLibrary> library_;
};

} // namespace

struct TSessionBusScreenSaverProbe::Bus {
    sd_bus* bus = nullptr;
    ~Bus() { Close(); }
    void Close() {
        if (bus) bus = sd_bus_flush_close_unref(bus);
    }
    bool Open() {
        if (bus) return true;
        if (sd_bus_open_user(&bus) < 0) bus = nullptr;
        return bus != nullptr;
    }
};

TSessionBusScreenSaverProbe::TSessionBusScreenSaverProbe(std::chrono::milliseconds timeout)
    : bus_(std::make_unique<Bus>()), timeout_(timeout) {}

TSessionBusScreenSaverProbe::~TSessionBusScreenSaverProbe() = default;

bool TSessionBusScreenSaverProbe::IsScreenSaverActive() {
    answered_ = false;
    if (!bus_->Open()) return false;
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int active = 0;
    int r = sd_bus_message_new_method_call(bus_->bus, &call, "org.freedesktop.ScreenSaver",
                                           "/org/freedesktop/ScreenSaver",
                                           "org.freedesktop.ScreenSaver", "GetActive");
    // Polling must not start a screen saver through bus activation.
    if (r >= 0) r = sd_bus_message_set_auto_start(call, 0);
    if (r >= 0) {
        const auto usec = static_cast<uint64_t>(timeout_.count()) * 1000;
        r = sd_bus_call(bus_->bus, call, usec, &error, &reply);
        if (r >= 0) r = sd_bus_message_read(reply, "b", &active);
        answered_ = r >= 0;
    }
    // A broken connection is opened anew on the next poll.
    if (r < 0 && sd_bus_is_open(bus_->bus) <= 0) bus_->Close();
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
    return answered_ && active != 0;
}

#ifdef ORVANTA3_WITH_XSS

namespace {

struct TXlib : TLazyLibrary {
    TXlib() : TLazyLibrary("libX11.so.6") {}
    ORV_SYMBOL(XOpenDisplay);
    ORV_SYMBOL(XCloseDisplay);
    ORV_SYMBOL(XFree);
};

struct TXss : TLazyLibrary {
    TXss() : TLazyLibrary("libXss.so.1") {}
    ORV_SYMBOL(XScreenSaverQueryExtension);
    ORV_SYMBOL(XScreenSaverAllocInfo);
    ORV_SYMBOL(XScreenSaverQueryInfo);
};

} // namespace

struct TX11ScreenSaverProbe::Display {
    TXlib x;
    TXss xss;
    ::Display* display = nullptr;
    bool tried = false;
    bool extension = false;
    ~Display() {
        if (display) x.XCloseDisplay(display);
    }
    bool Usable() const {
        return x.XOpenDisplay && x.XCloseDisplay && x.XFree && xss.XScreenSaverQueryExtension &&
               xss.XScreenSaverAllocInfo && xss.XScreenSaverQueryInfo;
    }
};

TX11ScreenSaverProbe::TX11ScreenSaverProbe() : display_(std::make_unique<Display>()) {}
TX11ScreenSaverProbe::~TX11ScreenSaverProbe() = default;

bool TX11ScreenSaverProbe::IsScreenSaverActive() {
    Display& d = *display_;
    if (!d.tried) {
        d.tried = true;
        if (!d.Usable()) return false;
        d.display = d.x.XOpenDisplay(nullptr);
        int event = 0, error = 0;
        d.extension = d.display && d.xss.XScreenSaverQueryExtension(d.display, &event, &error);
    }
    if (!d.extension) return false;
    XScreenSaverInfo* info = d.xss.XScreenSaverAllocInfo();
    if (!info) return false;
    bool on = false;
    if (d.xss.XScreenSaverQueryInfo(d.display, DefaultRootWindow(d.display), info))
        on = info->state == ScreenSaverOn;
    d.x.XFree(info);
    return on;
}

#else

struct TX11ScreenSaverProbe::Display {};
TX11ScreenSaverProbe::TX11ScreenSaverProbe() = default;
TX11ScreenSaverProbe::~TX11ScreenSaverProbe() = default;
bool TX11ScreenSaverProbe::IsScreenSaverActive() { return false; }

#endif

bool TSystemScreenSaverProbe::IsScreenSaverActive() {
    const bool active = bus_.IsScreenSaverActive();
    if (bus_.Answered()) return active;
    return x11_.IsScreenSaverActive();
}

} // namespace orv
