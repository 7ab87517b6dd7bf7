// TLCDControl_LCDd: a panel on any display LCDd drives, through LCDd's client protocol over
// TCP. Activation connects and says hello within the time-outs of the address (a server that
// cannot be reached or does not answer leaves the driver inactive with one message); the
// panel then has LCDd's rows (at most 8) and columns. Text goes to LCDd as Windows-1251 bytes;
// custom characters as LcddGlyphs.h describes. Keys: Up, Down, Enter and Escape are reserved
// and become keypad codes (ScanCode, OnKeyPress, the program's navigation) while ScanKeyboard
// is on, which it is by default. OnKeyPress runs on the socket thread and must not switch the
// driver off.
#pragma once

#include "drivers/base/DriverControl.h"
#include "drivers/lcdd/LcddLink.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace orv {

class TLCDControl_LCDd final : public TLCDDriverControl {
public:
    TLCDControl_LCDd();
    ~TLCDControl_LCDd() override;

    bool GetActive() override { return active_; }
    void SetActive(bool value) override;
    bool GetVisible() override { return visible_; }
    // A hidden panel's screen gets LCDd's priority "hidden".
    void SetVisible(bool value) override;
    bool GetBackLight() override { return false; } // left to LCDd
    void SetBackLight(bool) override {}
    // The size is LCDd's: written values are ignored.
    void SetColCount(int32_t) override {}
    int32_t GetColCount() override;
    void SetRowCount(int32_t) override {}
    int32_t GetRowCount() override;
    // Stored while active (false while inactive, as the port drivers do); off ignores keys.
    void SetScanKeyboard(bool value) override;
    bool GetScanKeyboard() override { return active_ && scanKeyboard_; }
    void Clear() override;
    void WriteText(uint8_t col, uint8_t row, const char* text, size_t len) override;
    void DefineChar(uint8_t index, const uint8_t* pattern) override;

    // The rows written between BeginFrame and EndFrame go to LCDd together, after EndFrame.
    void BeginFrame() { screen_.HoldWakes(); }
    void EndFrame() { screen_.ReleaseWakes(); }

    // Where LCDd listens; taken at the next activation.
    void SetAddress(TLcddAddress address);
    TLcddAddress Address() const;

private:
    void KeyPressed(int8_t code);

    std::atomic<bool> active_ = false;
    std::atomic<bool> visible_ = true;
    std::atomic<bool> scanKeyboard_ = true;
    mutable std::mutex addressMutex_;
    TLcddAddress address_;
    TLcddSharedScreen screen_;
    // The last activation that failed, while not switched off since: one within kRetryGap after
    // it, to the same address, fails at once.
    static constexpr std::chrono::seconds kRetryGap{5};
    struct TFailure {
        std::string address;
        std::chrono::steady_clock::time_point at;
    };
    std::optional<TFailure> lastFailure_;
    std::unique_ptr<TLcddLink> link_; // last: its thread ends before the rest goes
};

} // namespace orv
