// The library side of a parallel-port driver: its settings section and the Init, Configure
// and Release functions of its THardwareDescriptor.
#pragma once

#include "drivers/base/DriverExports.h"
#include "drivers/base/LCDBaseControlUnit.h"
#include "drivers/base/PortDialogApi.h"
#include "abi/ConstUnit.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <string_view>

namespace orv {

// The four keys of a driver's settings section.
struct TPortDriverSettings {
    std::string Port;
    int32_t Rows = 0;
    int32_t Cols = 0;
    int32_t Timing = 0;
};

// Strict decimal integer of a dialog field; throws std::invalid_argument when it is not one.
int32_t DialogInteger(std::string_view text);

class TPortDriverLibrary {
public:
    // fileName: the driver library's file name, also its settings section and the file name
    // of its dialog library; dialogExport: the dialog library's entry point.
    TPortDriverLibrary(std::string fileName, TPortDriverSettings defaults,
                       const char* dialogExport);
    virtual ~TPortDriverLibrary();

    // Reads the settings, creates the driver object into descriptor.Control, applies the
    // settings and activates it. 0 on success.
    int32_t Init(THardwareDescriptor& descriptor);
    // Deactivates the driver object, shows the settings dialog, applies and saves its values
    // after "Ok", activates the object again. Without a dialog library nothing happens.
    // Always 0.
    int32_t Configure();
    // Deactivates and destroys the driver object.
    void Release(THardwareDescriptor& descriptor);

    // The settings section; missing or non-numeric keys read as the defaults.
    TPortDriverSettings ReadSettings() const;
    // Writes all four keys; a port text that is not a number is not written (the saved port
    // stays). False when the file could not be written.
    bool WriteSettings(const TPortDriverSettings& settings) const;
    // The checkSettings export: every value of the section that does not parse, or that a new
    // driver object does not take, reported with what the driver uses instead.
    int32_t CheckSettings(TSettingsProblemFunc report, void* context) const;
    // The frame marks of the display thread, passed to the driver object.
    void BeginFrame() const;
    void EndFrame() const;
    // Port, RowCount, ColCount, WriteDelay in this order. A port text that is not a number
    // leaves the port as it is; returns false then.
    static bool Apply(TLCDPortControl& control, const TPortDriverSettings& settings);

    const std::string& Section() const { return fileName_; }
    // The settingKeys export: the section's keys at this driver's defaults.
    const TPluginSettingKey* SettingKeys();
    const TPortDriverSettings& Defaults() const { return defaults_; }

protected:
    virtual std::unique_ptr<TLCDPortControl> CreateControl() const = 0;
    // False for a panel of fixed size, whose "Lines count" and "Cols count" have no effect.
    virtual bool SizeFromSettings() const { return true; }
    // The settings the dialog's values stand for after "Ok".
    virtual TPortDriverSettings FromDialog(const TPortDialogValues& values) const = 0;
    // The try mode's driver object, with its start values.
    virtual std::unique_ptr<TLCDPortControl> CreateTryControl() const = 0;
    // Applies the dialog's values to the try object (not yet active); throws
    // std::invalid_argument for text that is not a number.
    virtual void ApplyTryValues(TLCDPortControl& control,
                                const TPortDialogValues& values) const = 0;

private:
    struct TTryContext;

    std::string fileName_;
    TPortDriverSettings defaults_;
    const char* dialogExport_;
    std::unique_ptr<TLCDPortControl> control_;
    std::vector<std::string> keyTexts_; // the texts settingKeys_ points into
    std::vector<TPluginSettingKey> settingKeys_;
};

} // namespace orv
