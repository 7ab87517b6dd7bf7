// The exported side of a driver library built on TLibrary (a class with Init(descriptor),
// Configure() and Release(descriptor)): one library object and its descriptor. getHardware
// returns Describe(name, description); checkSettings, where a driver exports it, returns
// CheckSettings (TLibrary then needs CheckSettings(report, context)); beginFrame and endFrame,
// where a driver exports them, call BeginFrame and EndFrame. Nothing the library throws leaves
// them (host/plugin/PluginFailure.h): Init and Configure then fail, CheckSettings reports none.
#pragma once

#include "host/ConstUnit.h"
#include "host/plugin/PluginFailure.h"

namespace orv {

template <typename TLibrary>
class TDriverExports {
public:
    static THardwareDescriptor* Describe(const char* name, const char* description) {
        descriptor_.Name = name;
        descriptor_.Description = description;
        descriptor_.Init = [] {
            return PluginCall("Init", int32_t{-1}, [] { return Library().Init(descriptor_); });
        };
        descriptor_.Configure = [] {
            return PluginCall("Configure", int32_t{-1}, [] { return Library().Configure(); });
        };
        descriptor_.Release = [] { PluginCall("Release", [] { Library().Release(descriptor_); }); };
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

private:
    static TLibrary& Library() {
        static TLibrary library;
        return library;
    }
    static inline THardwareDescriptor descriptor_{};
};

} // namespace orv
