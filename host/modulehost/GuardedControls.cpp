#include "host/modulehost/GuardedControls.h"

namespace orv {

TLCDBaseControl* TGuardedControls::For(TLCDBaseControl* target) {
    if (!target) return nullptr;
    std::lock_guard lock(mutex_);
    if (made_.empty() || &made_.back()->Target() != target)
        made_.push_back(std::make_unique<TGuardedControl<TModuleFault>>(*target, fault_));
    return made_.back().get();
}

} // namespace orv
