#include "ScreenSaverProbe.h"

#include <systemd/sd-bus.h>

#ifdef ORVANTA3_WITH_XSS
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#endif

namespace orv {

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

struct TX11ScreenSaverProbe::Display {
    ::Display* display = nullptr;
    bool tried = false;
    bool extension = false;
    ~Display() {
        if (display) XCloseDisplay(display);
    }
};

TX11ScreenSaverProbe::TX11ScreenSaverProbe() : display_(std::make_unique<Display>()) {}
TX11ScreenSaverProbe::~TX11ScreenSaverProbe() = default;

bool TX11ScreenSaverProbe::IsScreenSaverActive() {
    if (!display_->tried) {
        display_->tried = true;
        display_->display = XOpenDisplay(nullptr);
        int event = 0, error = 0;
        display_->extension =
            display_->display && XScreenSaverQueryExtension(display_->display, &event, &error);
    }
    if (!display_->extension) return false;
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    if (!info) return false;
    bool on = false;
    if (XScreenSaverQueryInfo(display_->display, DefaultRootWindow(display_->display), info))
        on = info->state == ScreenSaverOn;
    XFree(info);
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
