#include "drivers/base/LCDBaseControlUnit.h"

#include "host/PluginDialogLibrary.h"
#include "drivers/base/PortText.h"
#include "host/Cp1251.h"
#include "host/MessageBox.h"
#include "host/UserFolders.h"

#include <cerrno>
#include <chrono>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

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
    if (!value) reportedError_.clear();
    if (value == active_) return;
    active_ = value;
    if (value) {
        if (!LoadPortLibrary()) {
            active_ = false;
            ReportLoadError();
            return;
        }
        reportedError_.clear();
        InitPanel();
        EndOfUpdate();
        if (scanKeyboard_) StartKeypad();
    } else {
        StopKeypad();
        ReleasePortLibrary();
    }
}

bool TLCDPortControl::LoadPortLibrary() {
    const std::vector<std::string> paths =
        portLibraryPath_.empty() ? DefaultPortLibraryPaths()
                                 : std::vector<std::string>{portLibraryPath_};
    auto library = TPortLibrary::Load(paths, base_, loadError_);
    if (!library) return false;
    std::lock_guard lock(portMutex_);
    library_ = std::move(library);
    return true;
}

void TLCDPortControl::ReleasePortLibrary() {
    std::lock_guard lock(portMutex_);
    library_.reset();
}

void TLCDPortControl::ReportLoadError() {
    if (loadError_ == reportedError_) return;
    reportedError_ = loadError_;
    ShowMessage(Utf8ToCp1251(loadError_), "Error", mbError);
}

void TLCDPortControl::SetScanCode(int8_t value) {
    scanCode_ = value;
    Notify(OnKeyPress);
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

std::string TLCDPortControl::GetPort() const { return FormatPortText(base_); }

void TLCDPortControl::SetPort(std::string_view text) {
    const uint32_t base = ParsePortText(text);
    if (!active_) {
        base_ = base;
        return;
    }
    bool reopened = true;
    {
        std::lock_guard lock(portMutex_);
        if (base != base_ && library_) reopened = library_->Reopen(base, loadError_);
        base_ = base;
    }
    if (!reopened) {
        SetActive(false);
        ReportLoadError();
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
            TLCDPortControl::SetScanCode(static_cast<int8_t>(key));
            return static_cast<int8_t>(key);
        }
        scanCode_ = -1;
    }
    return -1;
}

void TLCDPortControl::EndOfUpdate() {
    std::lock_guard lock(portMutex_);
    if (library_) library_->EndOfUpdate();
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
