// What every display driver object shares, with or without a parallel port: the key code of
// the panel's keypad with its OnKeyPress event, the geometry events, and the rule that an
// activation failure is shown once until the driver is switched off.
#pragma once

#include "abi/ConstUnit.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace orv {

using TNotifyEvent = std::function<void(TLCDBaseControl* sender)>;

class TLCDDriverControl : public TLCDBaseControl {
public:
    // Stores the code and calls OnKeyPress; a key (value >= 0) also goes to the running
    // program's Orvanta3KeyPress export, which turns it into navigation.
    void SetScanCode(int8_t value) final;
    int8_t GetScanCode() final { return scanCode_; }

    TNotifyEvent OnKeyPress;
    TNotifyEvent OnColCountChange;
    TNotifyEvent OnRowCountChange;

protected:
    void Notify(const TNotifyEvent& event) {
        if (event) event(this);
    }
    // No key down: stores -1 without any event.
    void ClearScanCode() { scanCode_ = -1; }

    // Shows why activation failed (UTF-8), once: activating again without switching off in
    // between (the host activates the driver its Init has just activated) repeats no message.
    void ReportActivationError(const std::string& error);
    // Switched off, or activated: the next failure is shown again.
    void ForgetActivationError() { reportedError_.clear(); }

private:
    std::atomic<int8_t> scanCode_ = -1;
    std::string reportedError_; // main thread only
};

} // namespace orv
