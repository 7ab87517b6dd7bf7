// The exported side of a driver library built on TLibrary (a class with Init(descriptor),
// Configure() and Release(descriptor)): one library object and its descriptor. getHardware
// returns Describe(name, description); checkSettings, where a driver exports it, returns
// CheckSettings (TLibrary then needs CheckSettings(report, context)); beginFrame and endFrame,
// where a driver exports them, call BeginFrame and EndFrame. Nothing the library throws leaves
// them (abi/PluginFailure.h): Init and Configure then fail, CheckSettings reports none.
// The host gets the driver object behind a stand-in that does the same for its operations.
#pragma once

#include "abi/ConstUnit.h"
#include "abi/GuardedControl.h"
#include "abi/PluginFailure.h"
#include <memory>

namespace orv {

template <typename TLibrary> class TDriverExports {
public:
    static THardwareDescriptor* Describe(const char* name, const char* description) {
        descriptor_.Name = name;
        descriptor_.Description = description;
        descriptor_.Init = [] {
            const int32_t result =
                PluginCall("Init", int32_t{-1}, [] { return Library().Init(descriptor_); });
            ShowStandIn();
            return result;
        };
        descriptor_.Configure = [] {
            return PluginCall("Configure", int32_t{-1}, [] { return Library().Configure(); });
        };
        descriptor_.Release = [] {
            PluginCall("Release", [] { Library().Release(descriptor_); });
            ShowStandIn();
        };
        return &descriptor_;
    }
    static int32_t CheckSettings(TSettingsProblemFunc report, void* context) {
        return PluginCall("checkSettings", int32_t{0},
                          [&] { return Library().CheckSettings(report, context); });
    }
    static void BeginFrame() {
        PluginCall("beginFrame", [] { Library().BeginFrame(); });
    }
    static void EndFrame() {
        PluginCall("endFrame", [] { Library().EndFrame(); });
    }
    static const TPluginSettingKey* SettingKeys() {
        return PluginCall("settingKeys", static_cast<const TPluginSettingKey*>(nullptr),
                          [] { return Library().SettingKeys(); });
    }

private:
    // Puts a stand-in in the place of the object the library has just put into the descriptor
    // (one stand-in per object: a new object gets a new one).
    static void ShowStandIn() {
        TLCDBaseControl* own = descriptor_.Control;
        if (!own || own == standIn_.get()) return;
        if (!standIn_ || &standIn_->Target() != own)
            standIn_ = std::make_unique<TGuardedControl<TPluginGuard>>(*own, guard_);
        descriptor_.Control = standIn_.get();
    }

    static TLibrary& Library() {
        static TLibrary library;
        return library;
    }
    static inline THardwareDescriptor descriptor_{};
    static inline TPluginGuard guard_;
    static inline std::unique_ptr<TGuardedControl<TPluginGuard>> standIn_;
};

} // namespace orv
