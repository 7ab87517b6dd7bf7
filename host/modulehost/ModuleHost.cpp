#include "host/modulehost/ModuleHost.h"

#include "base/Cp1251.h"
#include "host/Settings.h"
#include "base/Trace.h"
#include "base/UserFolders.h"
#include "host/modulehost/ErrorReport.h"
#include "host/ProgramMessages.h"
#include "host/modulehost/ModuleLanguage.h"

#include <algorithm>
#include <filesystem>

namespace orv {

TModuleHost::TModuleHost(TModuleHostOptions options, TScreenGeometry* geometry)
    : options_(std::move(options)), geometry_(geometry) {
    if (options_.ProgramFolder.empty()) options_.ProgramFolder = ProgramFolder();
    if (options_.SettingsPath.empty()) options_.SettingsPath = SettingsPath();
}

TModuleHost::~TModuleHost() { ReleaseAll(); }

std::string TModuleHost::LibraryPath(size_t index) const {
    const TShortPluginInfo& entry = modules_.at(index);
    return options_.ProgramFolder + "/" + ModuleFolder(entry.Kind()) + "/" + entry.FileName;
}

std::string TModuleHost::LanguageFilePath(size_t index) const {
    return ModuleLanguagePath(LibraryPath(index));
}

bool TModuleHost::ReadActiveKey(const std::string& fileName) const {
    return ReadModuleActive(options_.SettingsPath, fileName);
}

void TModuleHost::Discover() {
    if (!modules_.empty()) return;
    std::vector<size_t> initialisedDrivers;
    for (TModuleKind kind : kModuleKinds) {
        const std::string folder = options_.ProgramFolder + "/" + ModuleFolder(kind);
        for (const std::string& fileName : ModuleLibraryFiles(folder)) {
            if (!options_.ListInactiveModules && !ReadActiveKey(fileName)) {
                Trace(std::string(ModuleFolder(kind)) + "/" + fileName + ": off, not loaded");
                continue;
            }
            std::string reason;
            if (!AddDiscovered(kind, fileName, &reason)) {
                // The reason may start with the library's path, which the line names already.
                const std::string path = folder + "/" + fileName;
                if (reason.starts_with(path + ": ")) reason.erase(0, path.size() + 2);
                Trace(path + ": not loaded (" + reason + ")");
                continue;
            }
            const size_t index = modules_.size() - 1;
            if (ActivateDiscovered(index)) initialisedDrivers.push_back(index);
            Trace(std::string(ModuleFolder(kind)) + "/" + fileName +
                  (modules_[index].Active ? ": on" : ": off"));
        }
    }
    MakeFirstActiveDriverCurrent(initialisedDrivers);
    if (TraceEnabled()) {
        TLCDBaseControl* driver = CurrentDriver();
        if (!currentDriver_)
            Trace("no driver is on");
        else
            Trace("current driver: " + modules_[*currentDriver_].FileName +
                  (!driver               ? ", its Init failed"
                   : driver->GetActive() ? ", active"
                                         : ", inactive"));
    }
    if (!geometrySet_ && geometry_) {
        geometry_->SetRowCount(kDefaultRowCount);
        geometry_->SetColCount(kDefaultColCount);
    }
}

bool TModuleHost::AddDiscovered(TModuleKind kind, const std::string& fileName,
                                std::string* reason) {
    auto library = TModuleLibrary::Open(
        options_.ProgramFolder + "/" + ModuleFolder(kind) + "/" + fileName, reason);
    if (!library) return false;
    TShortPluginInfo entry(kind, fileName);
    if (!entry.Attach(std::move(library), reason)) return false;
    entry.Active = ReadActiveKey(fileName);
    entry.CopyDescriptorTexts();
    // Tags are bound by the data module's name: a second module of that name would never be
    // asked for its own.
    if (kind == TModuleKind::Data)
        for (const TShortPluginInfo& other : modules_)
            if (other.Kind() == kind && other.Name == entry.Name) {
                const std::string folder = std::string(ModuleFolder(kind)) + "/";
                ReportError(Utf8ToCp1251(folder + fileName + " is not loaded: its name \"") +
                            entry.Name +
                            Utf8ToCp1251("\" is already that of " + folder + other.FileName));
                return false;
            }
    if (!entry.Active) entry.Detach();
    modules_.push_back(std::move(entry));
    return true;
}

bool TModuleHost::ActivateDiscovered(size_t index) {
    TShortPluginInfo& entry = modules_[index];
    if (entry.Driver()) return options_.InitDrivers && ActivateDriver(index);
    if (const TDataModule* data = entry.DataModule()) {
        // Every data module that is on takes its language file; the template switch writes one
        // only for the modules with LoadSettings.
        const bool hasSettings = options_.LoadModuleSettings
                                     ? data->LoadSettings()
                                     : data->Descriptor().LoadSettings != nullptr;
        if (hasSettings || !options_.CreateLanguageTemplate)
            ApplyLanguage(index, /*atDiscovery=*/true);
        entry.Description = data->Descriptor().Description;
    }
    return false;
}

void TModuleHost::MakeFirstActiveDriverCurrent(const std::vector<size_t>& initialisedDrivers) {
    for (size_t i = 0; i < modules_.size(); ++i) {
        if (modules_[i].Kind() != TModuleKind::Driver || !modules_[i].Active) continue;
        currentDriver_ = i;
        if (TLCDBaseControl* control = CurrentDriver()) {
            // With two active drivers the later Init set the geometry last; the current one is
            // the panel that is shown.
            if (initialisedDrivers.size() > 1 && initialisedDrivers.front() == i)
                ApplyGeometry(control);
            control->SetActive(true);
            control->Clear();
        }
        return;
    }
}

TLCDBaseControl* TModuleHost::CurrentDriver() const {
    if (!currentDriver_) return nullptr;
    const TDisplayDriver* driver = modules_[*currentDriver_].Driver();
    return driver ? driver->Control() : nullptr;
}

void TModuleHost::BeginDriverFrame() const {
    if (currentDriver_)
        if (const TDisplayDriver* driver = modules_[*currentDriver_].Driver()) driver->BeginFrame();
}

void TModuleHost::EndDriverFrame() const {
    if (currentDriver_)
        if (const TDisplayDriver* driver = modules_[*currentDriver_].Driver()) driver->EndFrame();
}

bool TModuleHost::ActivateDriver(size_t index) {
    const TDisplayDriver& driver = *modules_[index].Driver();
    const uint64_t failures = driver.Failures();
    if (!driver.Init()) {
        // An Init that threw has been reported by the guard already.
        if (driver.Failures() == failures) ReportError(Message(msgHardwareInitError));
        return false;
    }
    ApplyGeometry(driver.Control());
    return true;
}

void TModuleHost::ApplyGeometry(TLCDBaseControl* control) {
    if (!control) return;
    const int32_t rows = control->GetRowCount();
    const int32_t cols = control->GetColCount();
    if (geometry_) {
        geometry_->SetRowCount(rows);
        geometry_->SetColCount(cols);
    }
    geometrySet_ = true;
}

void TModuleHost::ApplyLanguage(size_t index, bool atDiscovery) {
    const TDataModule* data = modules_[index].DataModule();
    if (!data) return;
    if (options_.CreateLanguageTemplate) {
        if (atDiscovery) WriteModuleLanguageTemplate(data->Descriptor(), LanguageFilePath(index));
        return;
    }
    // The way back from a language: the module's own texts, kept the first time.
    std::optional<TDescriptorTexts>& builtIn = modules_[index].BuiltInTexts;
    if (!builtIn) builtIn = DescriptorTexts(data->Descriptor());
    if (options_.Language.empty()) SetDescriptorTexts(data->Descriptor(), *builtIn);
    ApplyModuleLanguage(data->Descriptor(), LanguageFilePath(index), options_.Language);
}

TTurnResult TModuleHost::Toggle(size_t index) {
    return modules_.at(index).Active ? TurnOff(index) : TurnOn(index);
}

TTurnResult TModuleHost::TurnOn(size_t index) {
    TShortPluginInfo& entry = modules_.at(index);
    if (entry.Loaded()) return TTurnResult::TurnedOn;
    if (entry.Kind() == TModuleKind::Driver) TurnOffOtherDrivers(index);
    entry.Active = false;
    auto library = TModuleLibrary::Open(LibraryPath(index));
    if (!library) return TTurnResult::NotLoaded;
    if (!entry.Attach(std::move(library))) {
        ReportError(Message(InitErrorMessage(entry.Kind())));
        return TTurnResult::NoExport;
    }
    entry.Active = true;

    if (entry.DataModule()) {
        entry.LoadSettings();
        entry.ReadDataModuleAgain(); // the callbacks are read again from the module's record
        ApplyLanguage(index, /*atDiscovery=*/false); // its tags in the tree in the language
    } else if (entry.Driver()) {
        if (!ActivateDriver(index)) return TTurnResult::InitFailed;
        currentDriver_ = index;
    }
    return TTurnResult::TurnedOn;
}

TTurnResult TModuleHost::SwitchDataModule(const std::string& fileName, bool on) {
    for (size_t i = 0; i < modules_.size(); ++i)
        if (modules_[i].Kind() == TModuleKind::Data && modules_[i].FileName == fileName)
            return on ? TurnOn(i) : TurnOff(i);
    if (!on) return TTurnResult::TurnedOff;
    std::string reason;
    if (!AddDiscovered(TModuleKind::Data, fileName, &reason)) {
        Trace(std::string(ModuleFolder(TModuleKind::Data)) + "/" + fileName + ": not loaded (" +
              reason + ")");
        return TTurnResult::NotLoaded;
    }
    const size_t index = modules_.size() - 1;
    if (!modules_[index].Active) return TurnOn(index);
    ActivateDiscovered(index);
    return TTurnResult::TurnedOn;
}

void TModuleHost::TurnOffOtherDrivers(size_t index) {
    for (size_t i = 0; i < modules_.size(); ++i)
        if (i != index && modules_[i].Driver()) TurnOff(i);
}

TTurnResult TModuleHost::TurnOff(size_t index) {
    TShortPluginInfo& entry = modules_.at(index);
    if (const TDisplayDriver* driver = entry.Driver()) {
        // Only this driver's own object is switched off, current or not.
        driver->SwitchOffAndRelease();
        if (currentDriver_ == index) currentDriver_.reset();
    }
    entry.Detach();
    entry.Active = false;
    return TTurnResult::TurnedOff;
}

bool TModuleHost::CanConfigure(size_t index) const { return modules_.at(index).CanConfigure(); }

bool TModuleHost::Configure(size_t index) {
    const TShortPluginInfo& entry = modules_.at(index);
    if (const TDataModule* data = entry.DataModule()) {
        data->Configure();
        return true;
    }
    const TDisplayDriver* driver = entry.Driver();
    if (!driver || !driver->Configure()) return true; // no settings, or none accepted
    // The driver object is created anew: whoever asks for the current driver afterwards reads
    // the new Control from the descriptor.
    driver->Release();
    if (!ActivateDriver(index)) return false;
    currentDriver_ = index;
    return true;
}

void TModuleHost::WriteActiveKeys(TIniDocument& settings) const {
    for (const TShortPluginInfo& entry : modules_)
        WriteModuleActive(settings, entry.FileName, entry.Active);
}

void TModuleHost::SettingsSaved(std::string_view language) {
    options_.Language = language;
    for (size_t i = 0; i < modules_.size(); ++i) {
        if (!modules_[i].Loaded()) continue;
        modules_[i].LoadSettings();
        ApplyLanguage(i, /*atDiscovery=*/false);
    }
}

void TModuleHost::ReleaseAll() {
    for (TShortPluginInfo& entry : modules_) entry.Finish();
    currentDriver_.reset();
}

std::vector<TModuleListItem> TModuleHost::ModuleListItems() const {
    std::vector<TModuleListItem> items{{"-"}};
    for (TModuleKind kind : kModuleKinds) {
        bool any = false;
        for (size_t i = 0; i < modules_.size(); ++i) {
            if (modules_[i].Kind() != kind) continue;
            items.push_back({modules_[i].Name, i});
            any = true;
        }
        if (any) items.push_back({"-"});
    }
    return items;
}

std::string TModuleHost::ModuleDescriptionText(size_t index) const {
    const TShortPluginInfo& entry = modules_.at(index);
    return entry.Name + "\r\r(" + Utf8ToCp1251(entry.FileName) + ")\r\r" + entry.Description;
}

std::string TModuleHost::TurnCaption(size_t index) const {
    return Message(modules_.at(index).Active ? msgTurnOff : msgTurnOn);
}

} // namespace orv
