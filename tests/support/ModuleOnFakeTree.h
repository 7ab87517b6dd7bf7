// A built data module that reads the system's files from a fake tree, with its clock pinned by
// the test (SetSystemRootForTesting, SetTickForTesting), its settings in a temporary documents
// folder and the C locale. A test fixture derives from it beside ::testing::Test.
#pragma once

#include "modules/common/SystemTree.h"
#include "modules/common/TickClock.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/FakeSystemTree.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace orv::test {

class TModuleOnFakeTree {
public:
    explicit TModuleOnFakeTree(const std::string& fileName) : module(fileName) {
        Settings("[Common]\nLanguage=\n");
        if (!module.Loaded()) return;
        setRoot_ =
            reinterpret_cast<TSetSystemRootFunc>(module.Library().Symbol(kSetSystemRootExport));
        setTick_ = reinterpret_cast<TSetTickFunc>(module.Library().Symbol(kSetTickExport));
        if (setRoot_) setRoot_(tree.Root().c_str());
    }
    ~TModuleOnFakeTree() {
        if (setRoot_) setRoot_(nullptr);
        if (setTick_) setTick_(nullptr);
    }
    TModuleOnFakeTree(const TModuleOnFakeTree&) = delete;
    TModuleOnFakeTree& operator=(const TModuleOnFakeTree&) = delete;

    // The module loaded and both hooks found.
    bool Ready() const { return setRoot_ && setTick_; }

    void UseMachineTree() const { setRoot_(nullptr); }
    void UseFakeTree() const { setRoot_(tree.Root().c_str()); }
    void At(uint64_t ms) const { setTick_(&ms); }

    void Settings(const std::string& ini) const { WriteText(docs / "Orvanta3.ini", ini); }
    void LoadSettings() const { EXPECT_EQ(module.Descriptor().LoadSettings(), 0); }
    std::string Value(int32_t index, const char* param = "0") const {
        return module.Value(index, param);
    }

    TempDir docs;
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", docs.Path()};
    ScopedEnv language{"LC_ALL", "C"};
    FakeSystemTree tree;
    TBuiltModule module;

private:
    TSetSystemRootFunc setRoot_ = nullptr;
    TSetTickFunc setTick_ = nullptr;
};

} // namespace orv::test
