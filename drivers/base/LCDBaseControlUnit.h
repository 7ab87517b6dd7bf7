// What both parallel-port panel drivers share: the port address triple, activation with the
// port I/O library, the per-driver port lock and the keypad thread.
//
// Ownership: the driver library owns every driver object; the host only calls the virtual
// operations of TLCDBaseControl. The port library is loaded by SetActive(true) and released by
// SetActive(false) or destruction, always after the keypad thread has ended.
#pragma once

#include "drivers/base/DriverControl.h"
#include "drivers/base/PortLibrary.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace orv {

class TLCDPortControl;

// Polls the keypad of a driver: one scan pass, then 10 ms, until asked to stop; 250 ms more
// after a pass that found a key. Runs one step below normal priority.
class TKeybThread {
public:
    explicit TKeybThread(TLCDPortControl& driver);
    ~TKeybThread();
    TKeybThread(const TKeybThread&) = delete;
    TKeybThread& operator=(const TKeybThread&) = delete;

    // Asks the thread to end; unless called on the thread itself (from OnKeyPress), waits
    // until the current pass is over.
    void Stop();
    bool IsCurrentThread() const { return std::this_thread::get_id() == id_.load(); }

private:
    void Run();
    // Sleeps ms unless a stop is requested meanwhile; false when stopping.
    bool Pause(int ms);

    TLCDPortControl& driver_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::atomic<std::thread::id> id_; // set by the thread itself before its first pass
    std::thread thread_;
};

class TLCDPortControl : public TLCDDriverControl {
public:
    static constexpr uint8_t kKeyStatusBit = 0x08;

    TLCDPortControl();
    ~TLCDPortControl() override;

    bool GetActive() final { return active_; }
    void SetActive(bool value) final;
    bool GetVisible() override { return visible_; }
    void SetVisible(bool value) override { visible_ = value; }
    bool GetBackLight() final { return false; } // not supported by the parallel-port panels
    void SetBackLight(bool) final {}
    void SetScanKeyboard(bool value) final;
    bool GetScanKeyboard() final { return scanKeyboard_; }

    // "$0378" form, or the device. SetPort takes decimal or "$" hexadecimal text, or a ppdev
    // device such as "/dev/parport0" (drivers/base/PortText.h); other text throws
    // std::invalid_argument and leaves the port unchanged. While active, the port is reopened
    // and the panel initialised again.
    std::string GetPort() const;
    void SetPort(std::string_view text);
    // The registers of the open port (for a device: where the port library put them).
    uint32_t DataPort() const { return base_; }
    uint32_t StatusPort() const { return base_ + 1; }
    uint32_t ControlPort() const { return base_ + 2; }

    // Busy-wait length after each panel byte, in loop iterations; negative = none.
    int32_t GetWriteDelay() const { return writeDelay_; }
    void SetWriteDelay(int32_t value) { writeDelay_ = value; }

    // The port library file to load; empty (the default) searches beside the program: two
    // folders above the driver library (plugins/hardware/X.so -> libdlportio.so), the
    // program's folder, then the system's search path.
    void SetPortLibraryPath(std::string path) { portLibraryPath_ = std::move(path); }
    // Replaces the millisecond sleep between panel instructions (tests pass a no-op).
    void SetSleeper(std::function<void(int ms)> sleeper) { sleeper_ = std::move(sleeper); }

    // One keypad pass: D0, D1, D2 in turn on the data lines, status bit 3 read after each. The
    // first key found is written to ScanCode (calling OnKeyPress); without one ScanCode is -1
    // and OnKeyPress is not called. Returns the key or -1; -1 when inactive.
    int8_t ScanPass();

    // The writes between BeginFrame and EndFrame reach the port library as one update, told at
    // EndFrame; outside such a pair each write is an update of its own.
    void BeginFrame();
    void EndFrame();

protected:
    // Port access under the per-driver lock: one panel write (or one keypad probe) holds it
    // from its first port write to its last, so nothing interleaves. Does nothing when the
    // driver is inactive.
    class TPortGuard {
    public:
        void WriteData(uint8_t value) { Write(owner_.DataPort(), value); }
        void WriteControl(uint8_t value) { Write(owner_.ControlPort(), value); }
        uint8_t ReadStatus() { return library_ ? library_->Read(owner_.StatusPort()) : 0; }

    private:
        friend class TLCDPortControl;
        explicit TPortGuard(TLCDPortControl& owner)
            : owner_(owner), lock_(owner.portMutex_), library_(owner.library_.get()) {}
        void Write(uint32_t port, uint8_t value) {
            if (library_) library_->Write(port, value);
        }
        TLCDPortControl& owner_;
        std::unique_lock<std::mutex> lock_;
        TPortLibrary* library_;
    };
    TPortGuard LockPort() { return TPortGuard(*this); }

    // The panel's initialisation sequence; runs on activation and when Port is written while
    // active. The port library is loaded.
    virtual void InitPanel() = 0;

    // Tells the port library that one whole update of the panel has ended (inside a frame: at
    // its end).
    void EndOfUpdate();

    void Sleep(int ms) const;
    // Counts WriteDelay down with an empty body the compiler must keep.
    void BusyWait() const;

private:
    friend class TKeybThread;

    // False with the message in loadError_ when the port cannot be used.
    bool LoadPortLibrary();
    void ReleasePortLibrary();
    void StartKeypad();
    void StopKeypad();

    std::atomic<bool> active_ = false;
    std::atomic<bool> visible_ = true;
    std::atomic<bool> scanKeyboard_ = false;
    std::atomic<uint32_t> base_ = 0x378;
    std::string device_; // guarded by portMutex_; empty: the port at base_
    std::atomic<int32_t> writeDelay_ = 100000;

    std::string portLibraryPath_;
    std::function<void(int)> sleeper_;
    std::string loadError_; // why the port library could not be used last (UTF-8)

    mutable std::mutex portMutex_; // guards library_, device_ and every port access
    std::unique_ptr<TPortLibrary> library_;
    bool inFrame_ = false;      // guarded by portMutex_
    bool frameUpdated_ = false; // guarded by portMutex_: an update waits for EndFrame

    std::mutex keypadMutex_; // guards the two thread slots
    std::unique_ptr<TKeybThread> keypad_;
    std::unique_ptr<TKeybThread> retiredKeypad_; // stopped from its own OnKeyPress; joined later
};

} // namespace orv
