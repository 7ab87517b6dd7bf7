#include "drivers/portio/EmulatorPort.h"

#include "base/AtomicFile.h"
#include "base/TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <pthread.h>
#include <sys/stat.h>

namespace orv {

TEmulatorPort::TEmulatorPort(std::unique_ptr<TPanelLock> lock,
                             std::unique_ptr<TEmulatedPanel> panel, std::string stateFile,
                             std::chrono::milliseconds interval, std::chrono::milliseconds burst)
    : lock_(std::move(lock)), panel_(std::move(panel)), stateFile_(std::move(stateFile)),
      stateWriter_(stateFile_), interval_(interval), burst_(burst) {}

std::unique_ptr<TEmulatorPort> TEmulatorPort::Open(std::unique_ptr<TEmulatedPanel> panel,
                                                   std::string stateFile,
                                                   std::chrono::milliseconds interval,
                                                   std::string& error,
                                                   std::chrono::milliseconds burst) {
    std::string reason;
    const auto target = WriteTarget(stateFile, reason);
    if (!target) {
        error = "cannot use the state file " + stateFile + ": " + reason;
        return nullptr;
    }
    const std::string folder = DirName(*target);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = "cannot write the state file " + stateFile + ": the folder " + folder +
                " does not exist";
        return nullptr;
    }
    // Beside the file the links lead to, so that every way of naming it shares the lock.
    auto lock = TPanelLock::Acquire(folder + "/." + std::string(BaseName(*target)) + ".lock",
                                    "the emulated panel " + stateFile, error);
    if (!lock) return nullptr;
    std::unique_ptr<TEmulatorPort> port(new TEmulatorPort(std::move(lock), std::move(panel),
                                                          std::move(stateFile), interval, burst));
    if (!port->WriteState(true)) {
        error = "cannot write the state file " + port->stateFile_ + ": " + std::strerror(errno);
        return nullptr;
    }
    port->flusher_ = std::thread([p = port.get()] {
        ::pthread_setname_np(::pthread_self(), "emu-flush");
        p->FlushLoop();
    });
    return port;
}

TEmulatorPort::~TEmulatorPort() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (flusher_.joinable()) flusher_.join();
    WriteState(true);
}

void TEmulatorPort::Write(unsigned reg, uint8_t value) {
    std::lock_guard lock(mutex_);
    panel_->Write(reg, value);
    Changed();
}

void TEmulatorPort::Drive(const std::function<void(TEmulatedPanel&)>& change) {
    std::lock_guard lock(mutex_);
    change(*panel_);
    Changed();
}

void TEmulatorPort::Changed() {
    if (!pending_ && panel_->Revision() != writtenRevision_) {
        pending_ = true;
        if (!updatesMarked_) wake_.notify_one();
    }
}

void TEmulatorPort::EndOfUpdate() {
    {
        std::lock_guard lock(mutex_);
        updatesMarked_ = true;
        if (!pending_) return;
        const auto now = std::chrono::steady_clock::now();
        const bool sameBurst =
            burstStart_ != std::chrono::steady_clock::time_point{} && now < burstStart_ + burst_;
        if (!sameBurst && now < lastWrite_ + interval_) {
            wake_.notify_one(); // written by the flusher when the interval has passed
            return;
        }
        if (!sameBurst) burstStart_ = now;
    }
    WriteState(false);
}

uint8_t TEmulatorPort::Read(unsigned reg) {
    std::lock_guard lock(mutex_);
    return panel_->Read(reg);
}

void TEmulatorPort::Flush() { WriteState(false); }

void TEmulatorPort::SetHeldKeys(uint8_t mask) {
    std::lock_guard lock(mutex_);
    panel_->SetHeldKeys(mask);
}

uint64_t TEmulatorPort::StateWrites() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

bool TEmulatorPort::WriteState(bool always) {
    std::lock_guard fileLock(fileMutex_);
    std::string text;
    {
        std::lock_guard lock(mutex_);
        pending_ = false;
        if (!always && panel_->Revision() == writtenRevision_) return true;
        writtenRevision_ = panel_->Revision();
        text = panel_->StateText();
    }
    const bool ok = stateWriter_.Write(text);
    std::lock_guard lock(mutex_);
    lastWrite_ = std::chrono::steady_clock::now();
    if (ok) ++writes_;
    return ok;
}

void TEmulatorPort::FlushLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_; });
        if (stop_) return;
        const auto due = updatesMarked_
                             ? lastWrite_ + interval_
                             : std::max(lastWrite_, std::chrono::steady_clock::now()) + interval_;
        if (wake_.wait_until(lock, due, [this] { return stop_; })) return;
        lock.unlock();
        WriteState(false);
        lock.lock();
    }
}

} // namespace orv
