// The library side of a driver built on TLCDCharPanelControl: its settings section and the
// Init, Configure and Release functions of its THardwareDescriptor.
#pragma once

#include "drivers/base/CharPanelControl.h"
#include "drivers/base/CharPanelDialogApi.h"
#include "abi/ConstUnit.h"
#include "base/IniFile.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// One key of the section as the settings dialog edits it.
struct TCharPanelKey {
    const char* key;
    const char* label;        // Windows-1251
    std::string fallback;     // the default value
    const char* choices = ""; // items of the drop-down, '\n' between them
    // Whether the driver takes a value; null: any.
    bool (*takes)(std::string_view value) = nullptr;
};

class TCharPanelLibrary {
public:
    // section: the driver library's file name, also the file name of its dialog library.
    TCharPanelLibrary(std::string section, std::vector<TCharPanelKey> keys);
    virtual ~TCharPanelLibrary();

    // Reads the settings, creates the driver object into descriptor.Control and activates it.
    // 0 on success.
    int32_t Init(THardwareDescriptor& descriptor);
    // Deactivates the driver object, shows the settings dialog, saves its values after "Ok"
    // and applies them, activates the object again. Always 0.
    int32_t Configure();
    void Release(THardwareDescriptor& descriptor);
    void BeginFrame() const;
    void EndFrame() const;
    // The checkSettings export: every value of the section the driver does not take, with the
    // default it uses instead.
    int32_t CheckSettings(TSettingsProblemFunc report, void* context) const;

    // The value of a key in the section, else its default.
    std::string Value(const TIniDocument& ini, const char* key) const;

protected:
    virtual std::unique_ptr<TLCDCharPanelControl> CreateControl() const = 0;
    // Gives the inactive driver object the section's settings.
    virtual void Apply(TLCDCharPanelControl& control, const TIniDocument& ini) const = 0;

private:
    std::string section_;
    std::vector<TCharPanelKey> keys_;
    std::unique_ptr<TLCDCharPanelControl> control_;
};

} // namespace orv
