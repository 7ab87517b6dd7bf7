// The driver objects as the host hands them out: stand-ins (host/GuardedControl.h) that pass
// every operation to the object the driver's Init created, through the driver module's guard
// (ModuleFault.h), so that a driver that throws from WriteText or DefineChar loses that write,
// not the program.
#pragma once

#include "abi/GuardedControl.h"
#include "host/modulehost/ModuleFault.h"

#include <memory>
#include <mutex>
#include <vector>

namespace orv {

// The stand-ins of one driver module: one for each object its Init has created. A stand-in
// handed out stays allocated while the module is loaded, so that a pointer kept to it is
// never taken for the stand-in of a later object.
class TGuardedControls {
public:
    explicit TGuardedControls(TModuleFault& fault) : fault_(fault) {}
    // The stand-in of target; null for null. Any thread.
    TLCDBaseControl* For(TLCDBaseControl* target);

private:
    TModuleFault& fault_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<TGuardedControl<TModuleFault>>> made_; // the newest last
};

} // namespace orv
