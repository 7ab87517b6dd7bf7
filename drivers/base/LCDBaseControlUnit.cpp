#include "drivers/base/LCDBaseControlUnit.h"

#include "base/PluginDialogLibrary.h"
#include "drivers/base/PortText.h"
#include "base/UserFolders.h"

#include <cerrno>
#include <chrono>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

namespace orv {

namespace {

constexpr int kScanPeriodMs = 10;
constexpr int kKeyRepeatMs = 250;

std::vector<std::string> DefaultPortLibraryPaths() {
    return {PluginLibraryFolder() + "/../../" + kPortLibraryName,
            ProgramFolder() + "/" + kPortLibraryName, kPortLibraryName};
}

void LowerThisThreadPriority() {
    const auto tid = static_cast<id_t>(::gettid());
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, tid);
    if (errno == 0) ::setpriority(PRIO_PROCESS, tid, nice + 1);
}

} // namespace

TKeybThread::TKeybThread(TLCDPortControl& driver) : driver_(driver) {
    thread_ = std::thread([this] { Run(); });
}

TKeybThread::~TKeybThread() {
    Stop();
    if (thread_.joinable()) {
        if (IsCurrentThread())
            thread_.detach();
        else
            thread_.join();
    }
}

void TKeybThread::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (!IsCurrentThread() && thread_.joinable()) thread_.join();
}

bool TKeybThread::Pause(int ms) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_; });
}

void TKeybThread::Run() {
    id_ = std::this_thread::get_id();
    ::pthread_setname_np(::pthread_self(), "keypad");
    LowerThisThreadPriority();
    while (Pause(0)) {
        if (driver_.ScanPass() >= 0 && !Pause(kKeyRepeatMs)) break;
        if (!Pause(kScanPeriodMs)) break;
    }
}

TLCDPortControl::TLCDPortControl() = default;

TLCDPortControl::~TLCDPortControl() {
    StopKeypad();
    std::lock_guard lock(keypadMutex_);
    retiredKeypad_.reset();
    std::lock_guard portLock(portMutex_);
    library_.reset();
}

void TLCDPortControl::SetActive(bool value) {
    if (!value) ForgetActivationError();
    if (value == active_) return;
    active_ = value;
    if (value) {
        if (!LoadPortLibrary()) {
            active_ = false;
            ReportActivationError(loadError_);
            return;
        }
        ForgetActivationError();
        InitPanel();
        EndOfUpdate();
        if (scanKeyboard_) StartKeypad();
    } else {
        StopKeypad();
        ReleasePortLibrary();
    }
}

bool TLCDPortControl::LoadPortLibrary() {
    const std::vector<std::string> paths = portLibraryPath_.empty()
                                               ? DefaultPortLibraryPaths()
                                               : std::vector<std::string>{portLibraryPath_};
    TPortName port;
    {
        std::lock_guard lock(portMutex_);
        port = {base_, device_};
    }
    auto library = TPortLibrary::Load(paths, port, loadError_);
    if (!library) return false;
    std::lock_guard lock(portMutex_);
    base_ = library->Base();
    library_ = std::move(library);
    return true;
}

void TLCDPortControl::ReleasePortLibrary() {
    std::lock_guard lock(portMutex_);
    library_.reset();
}

void TLCDPortControl::SetScanKeyboard(bool value) {
    if (!active_) {
        scanKeyboard_ = false;
        return;
    }
    scanKeyboard_ = value;
    if (value)
        StartKeypad();
    else
        StopKeypad();
}

void TLCDPortControl::StartKeypad() {
    std::lock_guard lock(keypadMutex_);
    if (keypad_) return; // one thread at most
    if (retiredKeypad_ && !retiredKeypad_->IsCurrentThread()) retiredKeypad_.reset();
    keypad_ = std::make_unique<TKeybThread>(*this);
}

void TLCDPortControl::StopKeypad() {
    std::unique_ptr<TKeybThread> keypad;
    {
        std::lock_guard lock(keypadMutex_);
        keypad = std::move(keypad_);
    }
    if (!keypad) return;
    keypad->Stop();
    if (keypad->IsCurrentThread()) {
        // Stopped from OnKeyPress: the thread ends once the handler returns.
        std::lock_guard lock(keypadMutex_);
        retiredKeypad_ = std::move(keypad);
    }
}

std::string TLCDPortControl::GetPort() const {
    std::lock_guard lock(portMutex_);
    return FormatPortName({base_, device_});
}

void TLCDPortControl::SetPort(std::string_view text) {
    const TPortName port = ParsePortName(text);
    if (!active_) {
        std::lock_guard lock(portMutex_);
        base_ = port.Base;
        device_ = port.Device;
        return;
    }
    bool reopened = true;
    {
        std::lock_guard lock(portMutex_);
        const bool same =
            port.Device.empty() ? device_.empty() && port.Base == base_ : port.Device == device_;
        if (!same && library_) reopened = library_->Reopen(port, loadError_);
        device_ = port.Device;
        base_ = reopened && library_ ? library_->Base() : port.Base;
    }
    if (!reopened) {
        SetActive(false);
        ReportActivationError(loadError_);
        return;
    }
    InitPanel();
    EndOfUpdate();
}

int8_t TLCDPortControl::ScanPass() {
    for (uint8_t key = 0; key < 3; ++key) {
        bool hit;
        {
            auto port = LockPort();
            if (!port.library_) return -1;
            port.WriteData(static_cast<uint8_t>(1u << key));
            hit = (port.ReadStatus() & kKeyStatusBit) != 0;
        }
        if (hit) {
            // Not a virtual call: the keypad thread can run while a derived part is destroyed.
            TLCDDriverControl::SetScanCode(static_cast<int8_t>(key));
            return static_cast<int8_t>(key);
        }
        ClearScanCode();
    }
    return -1;
}

void TLCDPortControl::EndOfUpdate() {
    std::lock_guard lock(portMutex_);
    if (inFrame_)
        frameUpdated_ = true;
    else if (library_)
        library_->EndOfUpdate();
}

void TLCDPortControl::BeginFrame() {
    std::lock_guard lock(portMutex_);
    inFrame_ = true;
}

void TLCDPortControl::EndFrame() {
    std::lock_guard lock(portMutex_);
    inFrame_ = false;
    if (std::exchange(frameUpdated_, false) && library_) library_->EndOfUpdate();
}

void TLCDPortControl::Sleep(int ms) const {
    if (sleeper_)
        sleeper_(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void TLCDPortControl::BusyWait() const {
    for (int32_t n = writeDelay_; n > 0; --n) asm volatile("" ::: "memory"); // kept by the compiler
}

} // namespace orv
