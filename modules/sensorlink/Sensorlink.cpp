// sensorlink: temperatures, fan speeds and the seven standard supply voltages of the kernel's
// hardware sensors, and the start of a sensor program when the settings are loaded.
//
// Where each tag comes from (/sys/class/hwmon/hwmonN/, or its device/ folder on old kernels;
// chips in the order of their number, inputs in the order of theirs):
//   $mbmCheck            "#skip" when the machine has no temperature, fan or voltage input
//                        (every other tag then gives "#skip" too)
//   $mbmTemp[n]          the n-th temp*_input over all chips (millidegrees, shown rounded)
//   $mbmFan[n]           the n-th fan*_input (revolutions per minute)
//   $mbmCore0 ... $mbm-5.0  in*_input (millivolts, shown with two decimals) at the position its
//                        in*_label names (Vcore, Vcore2, +3.3V, +5V, +12V, -12V, -5V); inputs
//                        without a label by their number (in0 Core0 ... in6 -5.0)
// The kernel gives the voltage at the chip's pin: rails that the board divides down show the
// divided value unless the driver scales them itself.
// The layout of the inputs is scanned again by LoadSettings and, at most every ten seconds,
// when it is empty or an input cannot be read; each reading then reads one file.
// "Try to run" and "Path" (section MBM5) start the program at Path in LoadSettings when no
// process of that name runs. SetSystemRootForTesting and SetTickForTesting move the tree
// (including /proc) and pin the rescan clock.
#include "modules/sensorlink/SensorlinkDialogApi.h"

#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/PluginDialogLibrary.h"
#include "base/IniFile.h"
#include "base/RegionalSettings.h"
#include "base/TextUtil.h"
#include "base/UserFolders.h"
#include "modules/common/DecimalFormat.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/SystemTree.h"
#include "modules/common/TickClock.h"
#include "modules/sensorlink/HwmonSensors.h"
#include "modules/sensorlink/ProgramLauncher.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

using namespace orv;

namespace {

enum TSensorlinkTag : int16_t {
    tagMbmCheck,
    tagMbmTemp,
    tagMbmFan,
    tagMbmCore0, // followed by the other six voltages in their order
    kSensorlinkTagCount = tagMbmCore0 + kVoltageCount
};

constexpr const char* kSection = "MBM5";
constexpr uint64_t kRescanMs = 10000;

struct TSensorlinkSettings {
    bool TryToRun = true;
    std::string Path; // Windows-1251
};

TSensorlinkSettings ReadSettings() {
    const TIniDocument ini = TIniFile(SettingsPath()).Read();
    return {ini.ReadBool(kSection, "Try to run", true), ini.ReadString(kSection, "Path", "")};
}

class TSensorlink {
public:
    const char* GetValue(int16_t index, const char* param);
    void LoadSettings();
    void Configure();
    void SetRoot(const char* folder) {
        tree_.SetRoot(folder);
        scannedMs_.reset();
    }
    void PinTick(const uint64_t* ms) { clock_.Pin(ms); }

private:
    const THwmonLayout& Layout();
    void Rescan();
    // The reading of one input file in milli-units; nullopt when it cannot be read.
    std::optional<int64_t> Read(const std::string& file);
    std::string Numbered(const std::vector<std::string>& files, const char* param, int decimals);

    TSystemTree tree_;
    TTickClock clock_{CLOCK_MONOTONIC};
    THwmonLayout layout_;
    std::optional<uint64_t> scannedMs_;
    bool readFailed_ = false;
    std::string decimalSeparator_ = ".";
    TModuleResult result_;
};

TSensorlink gSensorlink;

const char* TSensorlink::GetValue(int16_t index, const char* param) {
    if (index == kClearResultIndex) return result_.Clear();
    if (index < 0 || index >= kSensorlinkTagCount) return result_.Keep();
    const THwmonLayout& layout = Layout();
    // Without any input every tag skips, so a screen that starts with a reading is passed over.
    if (layout.Empty()) return result_.Set(kSkipMark);
    switch (index) {
    case tagMbmCheck: return result_.Set(std::string_view());
    case tagMbmTemp: return result_.Set(Numbered(layout.TemperatureFiles, param, 0));
    case tagMbmFan: return result_.Set(Numbered(layout.FanFiles, param, 0));
    default: {
        const std::string& file = layout.VoltageFiles[static_cast<size_t>(index - tagMbmCore0)];
        const auto milli = file.empty() ? std::nullopt : Read(file);
        return result_.Set(milli ? FormatMilli(*milli, 2, decimalSeparator_) : "");
    }
    }
}

// A sensor number that is not a whole number or names no input shows an empty text.
std::string TSensorlink::Numbered(const std::vector<std::string>& files, const char* param,
                                  int decimals) {
    const auto number = ParseInt32(param ? param : "");
    if (!number || *number < 0 || static_cast<size_t>(*number) >= files.size()) return {};
    const auto milli = Read(files[static_cast<size_t>(*number)]);
    return milli ? FormatMilli(*milli, decimals, decimalSeparator_) : "";
}

std::optional<int64_t> TSensorlink::Read(const std::string& file) {
    const auto value = tree_.ReadInteger(file);
    if (!value) {
        readFailed_ = true;
        return std::nullopt;
    }
    // Fans count whole revolutions; temperatures and voltages come in thousandths.
    const bool fan = BaseName(file).starts_with("fan");
    return fan ? *value * 1000 : *value;
}

const THwmonLayout& TSensorlink::Layout() {
    const uint64_t now = clock_.NowMs();
    const bool stale = layout_.Empty() || readFailed_;
    if (!scannedMs_ || (stale && now - *scannedMs_ >= kRescanMs)) Rescan();
    return layout_;
}

void TSensorlink::Rescan() {
    layout_ = ScanHwmon(tree_);
    readFailed_ = false;
    scannedMs_ = clock_.NowMs();
}

void TSensorlink::LoadSettings() {
    decimalSeparator_ = UserDecimalSeparator();
    Rescan();
    const TSensorlinkSettings settings = ReadSettings();
    const std::string path = Cp1251ToUtf8(settings.Path);
    if (settings.TryToRun && !path.empty() && !IsProgramRunning(tree_, path)) StartDetached(path);
}

void TSensorlink::Configure() {
    const auto run = reinterpret_cast<TRunSensorlinkDialogFunc>(
        DialogEntryPoint("sensorlink.so", kRunSensorlinkDialogExport));
    if (!run) return;
    const TSensorlinkSettings settings = ReadSettings();
    TSensorlinkDialogData data{};
    data.TryToRun = settings.TryToRun ? 1 : 0;
    std::strncpy(data.Path, settings.Path.c_str(), sizeof data.Path - 1);
    if (run(&data) != 1) return;
    data.Path[sizeof data.Path - 1] = '\0';
    TIniFile(SettingsPath()).Update([&](TIniDocument& ini) {
        ini.WriteBool(kSection, "Try to run", data.TryToRun != 0);
        ini.WriteString(kSection, "Path", data.Path);
    });
}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "Motherboard Monitor 5.* info",
        .Description = "Информация из Motherboard monitor 5.*\r\rOrvanta3 team"_cp1251,
        .Id = 3,
        .GroupCaption = "MBM",
        .GroupHint = "MotherBoard Monitor 5.*",
        .GetValue = ModuleGetValue<gSensorlink>,
        .LoadSettings = ModuleLoadSettings<gSensorlink>,
        .Configure = ModuleConfigure<gSensorlink>,
    },
    {
        {.Name = "$mbmCheck", .Caption = "условие показа"_cp1251, .Example = "$mbmCheck$"},
        {.Name = "$mbmTemp", .Caption = "температура"_cp1251, .Example = "$mbmTemp[0]$"},
        {.Name = "$mbmFan", .Caption = "обороты"_cp1251, .Example = "$mbmFan[0]$"},
        {.Name = "$mbmCore0", .Caption = "напряжение Core0"_cp1251, .Example = "$mbmCore0$"},
        {.Name = "$mbmCore1", .Caption = "напряжение Core1"_cp1251, .Example = "$mbmCore1$"},
        {.Name = "$mbm+3.3", .Caption = "напряжение +3.3"_cp1251, .Example = "$mbm+3.3$"},
        {.Name = "$mbm+5.0", .Caption = "напряжение +5.0"_cp1251, .Example = "$mbm+5.0$"},
        {.Name = "$mbm+12.0", .Caption = "напряжение +12.0"_cp1251, .Example = "$mbm+12.0$"},
        {.Name = "$mbm-12.0", .Caption = "напряжение -12.0"_cp1251, .Example = "$mbm-12.0$"},
        {.Name = "$mbm-5.0", .Caption = "напряжение -5.0"_cp1251, .Example = "$mbm-5.0$"},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT const TPluginSettingKey* settingKeys() {
    static constexpr TPluginSettingKey kKeys[] = {
        {kSection, "Try to run", "1",
         "1 starts the sensor program in Path when it is not running (0 or 1)"},
        {kSection, "Path", "", "the sensor program to start (empty: none)"},
        {nullptr, nullptr, nullptr, nullptr},
    };
    return kKeys;
}

ORVANTA3_EXPORT void SetSystemRootForTesting(const char* folder) { gSensorlink.SetRoot(folder); }

ORVANTA3_EXPORT void SetTickForTesting(const uint64_t* ms) { gSensorlink.PinTick(ms); }
