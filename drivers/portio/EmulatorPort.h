// The emu back end: port writes drive an emulated panel, and a state file (PortEmulator.h)
// follows what the panel shows, written at most once per interval. The file is written when the
// port opens, on Flush, and always when the port is closed; in between, when the writer marks
// the end of each update (EndOfUpdate), at that moment, else one interval after the panel
// starts to change, so that the writes of one display tick end up in one file.
#pragma once

#include "drivers/portio/EmulatedPanel.h"
#include "drivers/portio/PanelLock.h"
#include "drivers/portio/PortBackEnd.h"
#include "base/AtomicFile.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orv {

inline constexpr std::chrono::milliseconds kStateFileInterval{50};
// The rows and characters of one update of the panel come within this time of each other.
inline constexpr std::chrono::milliseconds kUpdateBurst{5};

class TEmulatorPort : public TPortBackEnd {
public:
    // nullptr and a reason in error when the state file cannot be written, is something else
    // than a regular file (a symbolic link is followed) or another program drives the panel
    // (its lock file is ".NAME.lock" beside the file, and ".NAME.spare" there takes each new
    // state before it trades places with the file). The file is rewritten at most once an
    // interval, except that the end of every update within burst of one written at once is
    // written at once too: a frame of several rows then costs no wake-up of the flusher.
    static std::unique_ptr<TEmulatorPort> Open(std::unique_ptr<TEmulatedPanel> panel,
                                               std::string stateFile,
                                               std::chrono::milliseconds interval,
                                               std::string& error,
                                               std::chrono::milliseconds burst = kUpdateBurst);
    ~TEmulatorPort() override;

    void Write(unsigned reg, uint8_t value) override;
    // Changes the panel through wiring other than the port's registers, under the port's lock.
    void Drive(const std::function<void(TEmulatedPanel&)>& change);
    uint8_t Read(unsigned reg) override;
    void Flush() override;
    void EndOfUpdate() override;
    void SetHeldKeys(uint8_t mask) override;

    // How many times the state file has been written.
    uint64_t StateWrites() const;

private:
    TEmulatorPort(std::unique_ptr<TPanelLock> lock, std::unique_ptr<TEmulatedPanel> panel,
                  std::string stateFile, std::chrono::milliseconds interval,
                  std::chrono::milliseconds burst);
    bool WriteState(bool always);
    void Changed(); // under mutex_: the state file follows a change
    void FlushLoop();

    const std::unique_ptr<TPanelLock> lock_; // released last, after the final state is written
    const std::unique_ptr<TEmulatedPanel> panel_;
    const std::string stateFile_;
    TFrequentFileWriter stateWriter_; // guarded by fileMutex_
    const std::chrono::milliseconds interval_;
    const std::chrono::milliseconds burst_;

    mutable std::mutex mutex_; // the panel and the fields below
    std::mutex fileMutex_;     // one state-file write at a time, in the order of rendering
    std::condition_variable wake_;
    bool pending_ = false, stop_ = false;
    bool updatesMarked_ = false; // the writer calls EndOfUpdate: no timer needed per change
    uint64_t writtenRevision_ = 0;
    uint64_t writes_ = 0;
    std::chrono::steady_clock::time_point lastWrite_{};
    std::chrono::steady_clock::time_point burstStart_{}; // an update written at once
    std::thread flusher_;
};

} // namespace orv
