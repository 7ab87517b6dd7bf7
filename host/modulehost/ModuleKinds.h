// The three kinds of module and, for a module that is on, its descriptor typed by kind with the
// callbacks it offers. Each class calls a callback the descriptor may leave null only when it is
// there, so the module table never checks for null callbacks itself.
#pragma once

#include "host/ConstUnit.h"
#include "host/ModuleLibrary.h"

#include <cstdint>
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
template <typename TRecord>
class TModuleRecord {
public:
    explicit TModuleRecord(TRecord& record) : record_(&record) {}
    TRecord& Descriptor() const { return *record_; }

protected:
    TRecord* record_;
};

class TDataModule : public TModuleRecord<TPluginDescriptor> {
public:
    using TModuleRecord::TModuleRecord;

    // Calls LoadSettings; false (and no call) when the module has none.
    bool LoadSettings() const;
    bool CanConfigure() const { return record_->Configure != nullptr; }
    void Configure() const;
    void Finalize() const;
};

class TDisplayDriver : public TModuleRecord<THardwareDescriptor> {
public:
    // The frame marks are the library's beginFrame and endFrame exports; null without them.
    TDisplayDriver(THardwareDescriptor& record, TFrameMarkFunc beginFrame, TFrameMarkFunc endFrame)
        : TModuleRecord(record), beginFrame_(endFrame ? beginFrame : nullptr),
          endFrame_(beginFrame ? endFrame : nullptr) {}
    // The driver object Init created, read from the descriptor now; null without one.
    TLCDBaseControl* Control() const { return record_->Control; }

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
        if (beginFrame_) beginFrame_();
    }
    void EndFrame() const {
        if (endFrame_) endFrame_();
    }

private:
    TFrameMarkFunc beginFrame_;
    TFrameMarkFunc endFrame_;
};

class TScreenSaverModule : public TModuleRecord<TScreenSaverDescriptor> {
public:
    using TModuleRecord::TModuleRecord;
    void Start(TLCDBaseControl* driver) const { record_->Start(driver); }
    void Stop() const { record_->Stop(); }
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
