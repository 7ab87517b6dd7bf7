// The three kinds of module and, for a module that is on, its descriptor typed by kind with the
// callbacks it offers. Each class calls a callback the descriptor may leave null only when it is
// there, so the module table never checks for null callbacks itself, and through the module's
// guard (ModuleFault.h), so that nothing a module throws goes further.
#pragma once

#include "abi/ConstUnit.h"
#include "host/ModuleLibrary.h"
#include "host/modulehost/GuardedControls.h"
#include "host/modulehost/ModuleFault.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <variant>

namespace orv {

enum class TModuleKind : uint8_t { Data = 0, Driver = 1, ScreenSaver = 3 };

// The table order of the kinds, which is also the order of the folders at discovery.
constexpr TModuleKind kModuleKinds[] = {TModuleKind::Driver, TModuleKind::Data,
                                        TModuleKind::ScreenSaver};

// The folder of a kind below the program folder: "plugins/software" and so on.
const char* ModuleFolder(TModuleKind kind);
// "Ошибка при иницализации software-модуля!" and its two siblings: the message id shown when a
// library of this kind lacks its export.
int InitErrorMessage(TModuleKind kind);

// The descriptor record a loaded module owns; the host may read and call through it.
// fileName names the module in the report of a call that threw.
template <typename TRecord> class TModuleRecord {
public:
    TModuleRecord(TRecord& record, std::string fileName)
        : record_(&record), fault_(std::make_shared<TModuleFault>(std::move(fileName))) {}
    TRecord& Descriptor() const { return *record_; }
    // The calls into the module that have thrown so far.
    uint64_t Failures() const { return fault_->Failures(); }

protected:
    TRecord* record_;
    std::shared_ptr<TModuleFault> fault_; // shared by the copies of this record
};

class TDataModule : public TModuleRecord<TPluginDescriptor> {
public:
    // steadyFor is the library's steadyFor export; null without one.
    TDataModule(TPluginDescriptor& record, std::string fileName, TSteadyForFunc steadyFor = nullptr)
        : TModuleRecord(record, std::move(fileName)), steadyFor_(steadyFor) {}

    // The answer to tag index with param; empty when the module fails.
    std::string GetValue(int32_t index, const char* param) const;
    // How long the last answer to index with param stays the answer, in milliseconds; 0 when
    // the module cannot tell, has no steadyFor export or fails.
    int32_t SteadyForMs(int32_t index, const char* param) const;
    // Calls LoadSettings; false (and no call) when the module has none.
    bool LoadSettings() const;
    bool CanConfigure() const { return record_->Configure != nullptr; }
    void Configure() const;
    void Finalize() const;

private:
    TSteadyForFunc steadyFor_;
};

class TDisplayDriver : public TModuleRecord<THardwareDescriptor> {
public:
    // The frame marks are the library's beginFrame and endFrame exports; null without them.
    TDisplayDriver(THardwareDescriptor& record, std::string fileName, TFrameMarkFunc beginFrame,
                   TFrameMarkFunc endFrame)
        : TModuleRecord(record, std::move(fileName)),
          controls_(std::make_shared<TGuardedControls>(*fault_)),
          beginFrame_(endFrame ? beginFrame : nullptr), endFrame_(beginFrame ? endFrame : nullptr) {
    }
    // The guarded stand-in (GuardedControls.h) of the driver object Init created, read from the
    // descriptor now; null without one.
    TLCDBaseControl* Control() const { return controls_->For(record_->Control); }

    // Init; true when it succeeded or the driver has none.
    bool Init() const;
    bool CanConfigure() const { return record_->Configure != nullptr; }
    // The driver's settings dialog; true when the user accepted new settings, after which the
    // driver object must be created anew (Release, Init). False without Configure.
    bool Configure() const;
    void Release() const;
    // Switches this driver's own object off (when there is one), then Release.
    void SwitchOffAndRelease() const;
    // The writes of one frame begin and end; nothing for a driver without both exports.
    void BeginFrame() const {
        if (beginFrame_) fault_->Guard("beginFrame", beginFrame_);
    }
    void EndFrame() const {
        if (endFrame_) fault_->Guard("endFrame", endFrame_);
    }

private:
    std::shared_ptr<TGuardedControls> controls_;
    TFrameMarkFunc beginFrame_;
    TFrameMarkFunc endFrame_;
};

class TScreenSaverModule : public TModuleRecord<TScreenSaverDescriptor> {
public:
    using TModuleRecord::TModuleRecord;
    void Start(TLCDBaseControl* driver) const {
        fault_->Guard("Start", [&] { record_->Start(driver); });
    }
    void Stop() const { fault_->Guard("Stop", record_->Stop); }
};

// The descriptor of a module that is on; std::monostate while it is off.
using TModuleDescriptor =
    std::variant<std::monostate, TDataModule, TDisplayDriver, TScreenSaverModule>;

// Calls the export of kind (getPlugin or getHardware) and checks the descriptor; std::monostate
// when the library lacks the export, exports another interface version or its descriptor is
// refused, and error (if given) says which.
TModuleDescriptor ReadModuleDescriptor(const TModuleLibrary& library, TModuleKind kind,
                                       std::string* error = nullptr);

// The library files (*.so) of one plug-in folder, sorted by name so that discovery order does
// not depend on the file system. Subfolders (such as ui/) are not searched.
std::vector<std::string> ModuleLibraryFiles(const std::string& folder);

} // namespace orv
