// The C callbacks of a data module's descriptor, written once: each forwards to the module's one
// state object, which has the member functions the descriptor names.
//
//   TChronos gChronos;
//   ... .GetValue = ModuleGetValue<gChronos>, .LoadSettings = ModuleLoadSettings<gChronos>, ...
//
// GetValue passes the tag index (the low 16 bits, TagIndexOf) and the parameter when the member
// takes one; LoadSettings answers 0, Configure answers Result (0 unless the module says).
// Nothing a module throws leaves these callbacks (abi/PluginFailure.h): GetValue then
// answers an empty text, Configure -1.
#pragma once

#include "abi/PluginFailure.h"
#include "modules/common/ModuleResult.h"

#include <cstdint>

namespace orv {

template <auto& Module> const char* ModuleGetValue(int32_t index, const char* param) {
    return PluginCall("GetValue", "", [&]() -> const char* {
        if constexpr (requires { Module.GetValue(int16_t{}, param); })
            return Module.GetValue(TagIndexOf(index), param);
        else
            return Module.GetValue(TagIndexOf(index));
    });
}

template <auto& Module> int32_t ModuleLoadSettings() {
    PluginCall("LoadSettings", [] { Module.LoadSettings(); });
    return 0;
}

template <auto& Module, int32_t Result = 0> int32_t ModuleConfigure() {
    return PluginCall("Configure", int32_t{-1}, [] {
        Module.Configure();
        return Result;
    });
}

} // namespace orv
