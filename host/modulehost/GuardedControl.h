// The driver object as the host hands it out: a stand-in that passes every operation to the
// object the driver's Init created, through the driver module's guard (ModuleFault.h), so that
// a driver that throws from WriteText or DefineChar loses that write, not the program.
#pragma once

#include "host/ConstUnit.h"
#include "host/modulehost/ModuleFault.h"

#include <memory>
#include <mutex>
#include <vector>

namespace orv {

class TGuardedControl final : public TLCDBaseControl {
public:
    TGuardedControl(TLCDBaseControl &target, TModuleFault &fault)
        : target_(target), fault_(fault) {}

    TLCDBaseControl &Target() const { return target_; }

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
        fault_.Guard("Clear", [this] { target_.Clear(); });
    }
    void WriteText(uint8_t col, uint8_t row, const char *text, size_t len) override {
        fault_.Guard("WriteText", [&] { target_.WriteText(col, row, text, len); });
    }
    void DefineChar(uint8_t index, const uint8_t *pattern) override {
        fault_.Guard("DefineChar", [&] { target_.DefineChar(index, pattern); });
    }

private:
    template <typename TResult>
    TResult Read(const char *operation, TResult (TLCDBaseControl::*get)(), TResult failure) {
        return fault_.Guard(operation, failure, [&] { return (target_.*get)(); });
    }
    template <typename TValue>
    void Write(const char *operation, void (TLCDBaseControl::*set)(TValue), TValue value) {
        fault_.Guard(operation, [&] { (target_.*set)(value); });
    }

    TLCDBaseControl &target_;
    TModuleFault &fault_;
};

// The stand-ins of one driver module: one for each object its Init has created. A stand-in
// handed out stays valid while the module is loaded, even after its driver object was replaced.
class TGuardedControls {
public:
    explicit TGuardedControls(TModuleFault &fault) : fault_(fault) {}
    // The stand-in of target; null for null. Any thread.
    TLCDBaseControl *For(TLCDBaseControl *target);

private:
    TModuleFault &fault_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<TGuardedControl>> made_; // the newest last
};

} // namespace orv
