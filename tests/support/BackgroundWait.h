// The test hook of a module that works in the background (modules/common/BackgroundTasks.h),
// looked up in the built library; null when the library lacks it.
#pragma once

#include "modules/common/BackgroundTasks.h"
#include "tests/support/BuiltModule.h"

namespace orv::test {

inline TWaitBackgroundFunc BackgroundWaitOf(const TBuiltModule& module) {
    return reinterpret_cast<TWaitBackgroundFunc>(module.Library().Symbol(kWaitBackgroundExport));
}

} // namespace orv::test
