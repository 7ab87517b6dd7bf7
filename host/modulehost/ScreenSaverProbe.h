// Whether the system's screen saver runs: org.freedesktop.ScreenSaver.GetActive on the session
// bus, falling back to the X screen-saver extension. A probe is used from one thread only.
#pragma once

#include <chrono>
#include <memory>

namespace orv {

class TScreenSaverProbe {
public:
    virtual ~TScreenSaverProbe() = default;
    virtual bool IsScreenSaverActive() = 0;
};

// GetActive on the session bus (DBUS_SESSION_BUS_ADDRESS). Inactive, with Answered() false, when
// the bus or the service does not answer within timeout; a lost bus is reconnected on next use.
class TSessionBusScreenSaverProbe : public TScreenSaverProbe {
public:
    explicit TSessionBusScreenSaverProbe(
        std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));
    ~TSessionBusScreenSaverProbe() override;
    bool IsScreenSaverActive() override;
    // The last call got an answer from the service.
    bool Answered() const { return answered_; }

private:
    struct Bus;
    std::unique_ptr<Bus> bus_;
    std::chrono::milliseconds timeout_;
    bool answered_ = false;
};

// The X screen-saver extension on $DISPLAY; inactive without a display or the extension.
class TX11ScreenSaverProbe : public TScreenSaverProbe {
public:
    TX11ScreenSaverProbe();
    ~TX11ScreenSaverProbe() override;
    bool IsScreenSaverActive() override;

private:
    struct Display;
    std::unique_ptr<Display> display_;
};

// The session bus first; the X extension when the bus service does not answer.
class TSystemScreenSaverProbe : public TScreenSaverProbe {
public:
    bool IsScreenSaverActive() override;

private:
    TSessionBusScreenSaverProbe bus_;
    TX11ScreenSaverProbe x11_;
};

} // namespace orv
