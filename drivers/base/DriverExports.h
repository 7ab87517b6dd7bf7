// The exported side of a driver library built on TLibrary (a class with Init(descriptor),
// Configure() and Release(descriptor)): one library object and its descriptor. getHardware
// returns Describe(name, description); checkSettings, where a driver exports it, returns
// CheckSettings (TLibrary then needs CheckSettings(report, context)); beginFrame and endFrame,
// where a driver exports them, call BeginFrame and EndFrame.
#pragma once

#include "host/ConstUnit.h"

namespace orv {

template <typename TLibrary>
class TDriverExports {
public:
    static THardwareDescriptor* Describe(const char* name, const char* description) {
        descriptor_.Name = name;
        descriptor_.Description = description;
        descriptor_.Init = [] { return Library().Init(descriptor_); };
        descriptor_.Configure = [] { return Library().Configure(); };
        descriptor_.Release = [] { Library().Release(descriptor_); };
        return &descriptor_;
    }
    static int32_t CheckSettings(TSettingsProblemFunc report, void* context) {
        return Library().CheckSettings(report, context);
    }
    static const TPluginSettingKey* SettingKeys() { return Library().SettingKeys(); }
    static void BeginFrame() { Library().BeginFrame(); }
    static void EndFrame() { Library().EndFrame(); }

private:
    static TLibrary& Library() {
        static TLibrary library;
        return library;
    }
    static inline THardwareDescriptor descriptor_{};
};

} // namespace orv
