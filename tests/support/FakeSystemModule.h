// A built data module that reads the system's files, pointed at a fake tree in a temporary
// folder through its test exports (modules/common/SystemRoot.h, SteadyClock.h).
#pragma once

#include "modules/common/SteadyClock.h"
#include "modules/common/SystemRoot.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/TempDir.h"

#include <string>

namespace orv::test {

class TFakeSystemModule : public TBuiltModule {
public:
    explicit TFakeSystemModule(const std::string& fileName) : TBuiltModule(fileName) {
        if (!Loaded()) return;
        setRoot_ = Hook<TSetSystemRootFunc>(kSetSystemRootExport);
        setClock_ = Hook<TSetSteadyClockFunc>(kSetSteadyClockExport);
        if (!setRoot_) ADD_FAILURE() << fileName << " lacks " << kSetSystemRootExport;
        UseFakeTree();
    }
    ~TFakeSystemModule() {
        if (setRoot_) setRoot_(nullptr);
        if (setClock_) setClock_(nullptr);
    }

    // A test export of the module, or null.
    template <typename TFunc>
    TFunc Hook(const char* name) const {
        return reinterpret_cast<TFunc>(Library().Symbol(name));
    }

    // Points the module at the fake tree again (it forgets what it read) or at the real system.
    void UseFakeTree() {
        if (setRoot_) setRoot_(tree_.Path().c_str());
    }
    void UseRealSystem() {
        if (setRoot_) setRoot_(nullptr);
        if (setClock_) setClock_(nullptr);
    }

    // Writes a file of the fake tree: Write("/proc/meminfo", "...").
    void Write(const std::string& absolutePath, const std::string& text) const {
        WriteText(tree_.Path() + absolutePath, text);
    }
    const std::string& Tree() const { return tree_.Path(); }

    // Pins the module's steady clock (modules that keep copies of system files).
    void At(uint64_t nowMs) const {
        if (setClock_) setClock_(&nowMs);
        else ADD_FAILURE() << "the module has no " << kSetSteadyClockExport;
    }

private:
    TempDir tree_;
    TSetSystemRootFunc setRoot_ = nullptr;
    TSetSteadyClockFunc setClock_ = nullptr;
};

} // namespace orv::test
