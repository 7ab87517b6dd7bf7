// A stand-in for a driver object that passes every operation to the object itself through a
// guard (host/BoundaryCall.h): what the object throws becomes the operation's failure value
// (false or 0 from a read, nothing written) and the guard's report. The host puts one between
// itself and every driver object (host/modulehost/GuardedControls.h), our driver libraries one
// between their objects and the host (drivers/base/DriverExports.h).
//
// TGuard: Guard(operation, failure, call) returning call's result or failure, and
// Guard(operation, call).
#pragma once

#include "abi/ConstUnit.h"

namespace orv {

template <typename TGuard> class TGuardedControl final : public TLCDBaseControl {
public:
    TGuardedControl(TLCDBaseControl& target, TGuard& guard) : target_(target), guard_(guard) {}

    TLCDBaseControl& Target() const { return target_; }

    bool GetActive() override { return Read("GetActive", &TLCDBaseControl::GetActive, false); }
    void SetActive(bool v) override { Write("SetActive", &TLCDBaseControl::SetActive, v); }
    bool GetVisible() override { return Read("GetVisible", &TLCDBaseControl::GetVisible, false); }
    void SetVisible(bool v) override { Write("SetVisible", &TLCDBaseControl::SetVisible, v); }
    bool GetBackLight() override {
        return Read("GetBackLight", &TLCDBaseControl::GetBackLight, false);
    }
    void SetBackLight(bool v) override { Write("SetBackLight", &TLCDBaseControl::SetBackLight, v); }
    void SetColCount(int32_t v) override { Write("SetColCount", &TLCDBaseControl::SetColCount, v); }
    int32_t GetColCount() override { return Read("GetColCount", &TLCDBaseControl::GetColCount, 0); }
    void SetRowCount(int32_t v) override { Write("SetRowCount", &TLCDBaseControl::SetRowCount, v); }
    int32_t GetRowCount() override { return Read("GetRowCount", &TLCDBaseControl::GetRowCount, 0); }
    void SetScanCode(int8_t v) override { Write("SetScanCode", &TLCDBaseControl::SetScanCode, v); }
    int8_t GetScanCode() override {
        return Read("GetScanCode", &TLCDBaseControl::GetScanCode, int8_t{0});
    }
    void SetScanKeyboard(bool v) override {
        Write("SetScanKeyboard", &TLCDBaseControl::SetScanKeyboard, v);
    }
    bool GetScanKeyboard() override {
        return Read("GetScanKeyboard", &TLCDBaseControl::GetScanKeyboard, false);
    }
    void Clear() override {
        guard_.Guard("Clear", [this] { target_.Clear(); });
    }
    void WriteText(uint8_t col, uint8_t row, const char* text, size_t len) override {
        guard_.Guard("WriteText", [&] { target_.WriteText(col, row, text, len); });
    }
    void DefineChar(uint8_t index, const uint8_t* pattern) override {
        guard_.Guard("DefineChar", [&] { target_.DefineChar(index, pattern); });
    }

private:
    template <typename TResult>
    TResult Read(const char* operation, TResult (TLCDBaseControl::*get)(), TResult failure) {
        return guard_.Guard(operation, failure, [&] { return (target_.*get)(); });
    }
    template <typename TValue>
    void Write(const char* operation, void (TLCDBaseControl::*set)(TValue), TValue value) {
        guard_.Guard(operation, [&] { (target_.*set)(value); });
    }

    TLCDBaseControl& target_;
    TGuard& guard_;
};

} // namespace orv
