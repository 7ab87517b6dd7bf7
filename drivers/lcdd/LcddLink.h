// The driver's connection to LCDd. Opening it (connect, "hello", LCDd's answer) is bounded by
// time-outs and runs on the caller's thread; after that a socket thread of its own sends the
// screen's updates, reads LCDd's messages (keys among them) and, when the connection is lost,
// connects again with growing pauses (1 s doubling up to 16 s). A server that floods the
// connection is dropped with one message and connected to again after the same pauses. The display
// thread never waits for the network: it changes the shared screen under the lock and wakes the
// socket thread.
#pragma once

#include "drivers/lcdd/LcddScreen.h"
#include "drivers/lcdd/LcddSocket.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace orv {

struct TLcddAddress {
    std::string host = "127.0.0.1";
    uint16_t port = 13666;
    int connectTimeoutMs = 3000;
    int replyTimeoutMs = 3000;
    std::string Text() const { return host + ":" + std::to_string(port); }
};

// The screen shared by the driver's callers and the socket thread, and the wake-up signal of
// the socket thread (an eventfd, written after every change).
class TLcddSharedScreen {
public:
    TLcddSharedScreen();
    ~TLcddSharedScreen();
    TLcddSharedScreen(const TLcddSharedScreen&) = delete;
    TLcddSharedScreen& operator=(const TLcddSharedScreen&) = delete;

    // Runs change under the lock; wakes the socket thread when it returns true.
    void Change(const std::function<bool(TLcddScreen&)>& change);
    template <typename F> auto Read(F read) {
        std::lock_guard lock(mutex_);
        return read(screen_);
    }
    int WakeFd() const { return wakeFd_; }
    void Wake() const;
    // Between the two, changes wake the socket thread once, at ReleaseWakes.
    void HoldWakes();
    void ReleaseWakes();

private:
    std::mutex mutex_;
    TLcddScreen screen_;
    bool held_ = false;        // guarded by mutex_
    bool wakeWaiting_ = false; // guarded by mutex_
    int wakeFd_;
};

// An open connection: the socket and what LCDd said about its display.
struct TLcddSession {
    std::unique_ptr<TLcddSocket> socket;
    TLcddDisplay display;

    // Connects and says hello; nullopt and the reason (UTF-8) in error when LCDd cannot be
    // reached or does not answer in time, or when cancelFd (if not -1) becomes readable.
    static std::optional<TLcddSession> Open(const TLcddAddress& address, std::string& error,
                                            int cancelFd = -1);
};

class TLcddLink {
public:
    // Starts the socket thread on an open session; the screen has been given its display.
    // onKey gets the keypad code of each reserved key LCDd reports, on the socket thread.
    TLcddLink(TLcddSession session, TLcddAddress address, TLcddSharedScreen& screen,
              std::function<void(int8_t)> onKey);
    ~TLcddLink(); // stops the thread (a wait for the network ends at once) and closes
    TLcddLink(const TLcddLink&) = delete;
    TLcddLink& operator=(const TLcddLink&) = delete;

private:
    void Run();
    // Serves one connection until it is lost (false) or a stop is asked (true).
    bool Serve(TLcddSocket& socket);
    bool HandleMessages(TLcddSocket& socket);
    // Sleeps ms unless a stop is asked meanwhile; false when stopping.
    bool Pause(int ms);

    TLcddSession session_;
    const TLcddAddress address_;
    TLcddSharedScreen& screen_;
    std::function<void(int8_t)> onKey_;
    int stopFd_;
    std::atomic<bool> stop_ = false;
    std::string misbehaved_; // why the server was dropped, when it was for what it sent
    std::thread thread_;     // last: starts once the rest is ready
};

} // namespace orv
