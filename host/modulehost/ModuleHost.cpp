#include "host/modulehost/ModuleHost.h"

#include "host/Cp1251.h"
#include "host/Settings.h"
#include "host/UserFolders.h"
#include "host/modulehost/ErrorReport.h"
#include "host/modulehost/HostMessages.h"
#include "host/modulehost/ModuleLanguage.h"

#include <algorithm>
#include <filesystem>

namespace orv {

const char* ModuleFolder(TModuleKind kind) {
    switch (kind) {
    case TModuleKind::Driver: return "plugins/hardware";
    case TModuleKind::ScreenSaver: return "plugins/screensaver";
    case TModuleKind::Data: break;
    }
    return "plugins/software";
}

namespace {

// Library file names of a folder, sorted by name so that discovery order does not depend on the
// file system. Subfolders (such as ui/) are not searched.
std::vector<std::string> LibraryFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeEc;
        if (name.size() > 3 && name.ends_with(".so") && it->is_regular_file(typeEc))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void* KindDescriptor(const TModuleLibrary& library, TModuleKind kind) {
    switch (kind) {
    case TModuleKind::Driver: return library.DriverDescriptor();
    case TModuleKind::ScreenSaver: return library.ScreenSaverDescriptor();
    case TModuleKind::Data: break;
    }
    return library.DataModuleDescriptor();
}

int InitErrorMessage(TModuleKind kind) {
    switch (kind) {
    case TModuleKind::Driver: return msgHardwareInitError;
    case TModuleKind::ScreenSaver: return msgScreenSaverInitError;
    case TModuleKind::Data: break;
    }
    return msgSoftwareInitError;
}

} // namespace

TModuleHost::TModuleHost(TModuleHostOptions options, TScreenGeometry* geometry)
    : options_(std::move(options)), geometry_(geometry) {
    if (options_.ProgramFolder.empty()) options_.ProgramFolder = ProgramFolder();
    if (options_.SettingsPath.empty()) options_.SettingsPath = SettingsPath();
}

TModuleHost::~TModuleHost() { ReleaseAll(); }

std::string TModuleHost::LibraryPath(size_t index) const {
    const TShortPluginInfo& entry = modules_.at(index);
    return options_.ProgramFolder + "/" + ModuleFolder(entry.Kind) + "/" + entry.FileName;
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
    for (TModuleKind kind : {TModuleKind::Driver, TModuleKind::Data, TModuleKind::ScreenSaver}) {
        const std::string folder = options_.ProgramFolder + "/" + ModuleFolder(kind);
        for (const std::string& fileName : LibraryFiles(folder)) {
            auto library = TModuleLibrary::Open(folder + "/" + fileName);
            if (!library) continue;
            void* descriptor = KindDescriptor(*library, kind);
            if (!descriptor) continue;

            TShortPluginInfo entry;
            entry.FileName = fileName;
            entry.Active = ReadActiveKey(fileName);
            entry.Kind = kind;
            entry.Descriptor = descriptor;
            if (kind == TModuleKind::Data) {
                entry.Name = entry.Plugin()->Name;
            } else if (kind == TModuleKind::Driver) {
                entry.Name = entry.Hardware()->Name;
                entry.Description = entry.Hardware()->Description;
            } else {
                entry.Name = entry.ScreenSaver()->Name;
                entry.Description = entry.ScreenSaver()->Description;
            }
            if (!entry.Active) {
                entry.Descriptor = nullptr;
                modules_.push_back(std::move(entry));
                continue; // library released here
            }
            entry.Handle = std::move(library);
            modules_.push_back(std::move(entry));
            const size_t index = modules_.size() - 1;
            TShortPluginInfo& added = modules_.back();

            if (kind == TModuleKind::Driver) {
                if (ActivateDriver(index)) initialisedDrivers.push_back(index);
            } else if (kind == TModuleKind::Data) {
                TPluginDescriptor* plugin = added.Plugin();
                if (plugin->LoadSettings) {
                    plugin->LoadSettings();
                    ApplyLanguage(added, index, /*atDiscovery=*/true);
                }
                added.Description = plugin->Description;
            }
        }
    }

    for (size_t i = 0; i < modules_.size(); ++i) {
        if (modules_[i].Kind != TModuleKind::Driver || !modules_[i].Active) continue;
        currentDriver_ = i;
        if (TLCDBaseControl* control = CurrentDriver()) {
            // With two active drivers the second Init set the geometry last; the current one
            // is the panel that is shown.
            if (std::find(initialisedDrivers.begin(), initialisedDrivers.end(), i) !=
                    initialisedDrivers.end() &&
                initialisedDrivers.back() != i)
                ApplyGeometry(control);
            control->SetActive(true);
            control->Clear();
        }
        break;
    }
    if (!geometrySet_ && geometry_) {
        geometry_->SetRowCount(kDefaultRowCount);
        geometry_->SetColCount(kDefaultColCount);
    }
}

TLCDBaseControl* TModuleHost::CurrentDriver() const {
    if (!currentDriver_) return nullptr;
    const THardwareDescriptor* hardware = modules_[*currentDriver_].Hardware();
    return hardware ? hardware->Control : nullptr;
}

bool TModuleHost::ActivateDriver(size_t index) {
    THardwareDescriptor* hardware = modules_[index].Hardware();
    if (hardware->Init && hardware->Init() != 0) {
        ReportError(Message(msgHardwareInitError));
        return false;
    }
    ApplyGeometry(hardware->Control);
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

void TModuleHost::ApplyLanguage(TShortPluginInfo& entry, size_t index, bool atDiscovery) {
    TPluginDescriptor* plugin = entry.Plugin();
    if (!plugin) return;
    if (options_.CreateLanguageTemplate) {
        if (atDiscovery) WriteModuleLanguageTemplate(*plugin, LanguageFilePath(index));
        return;
    }
    ApplyModuleLanguage(*plugin, LanguageFilePath(index), options_.Language);
}

TTurnResult TModuleHost::Toggle(size_t index) {
    return modules_.at(index).Active ? TurnOff(index) : TurnOn(index);
}

TTurnResult TModuleHost::TurnOn(size_t index) {
    TShortPluginInfo& entry = modules_.at(index);
    if (entry.Descriptor) return TTurnResult::TurnedOn;
    if (entry.Kind == TModuleKind::Driver) {
        for (size_t i = 0; i < modules_.size(); ++i)
            if (i != index && modules_[i].Kind == TModuleKind::Driver && modules_[i].Descriptor)
                TurnOff(i);
    }
    entry.Active = false;
    auto library = TModuleLibrary::Open(LibraryPath(index));
    if (!library) return TTurnResult::NotLoaded;
    void* descriptor = KindDescriptor(*library, entry.Kind);
    if (!descriptor) {
        ReportError(Message(InitErrorMessage(entry.Kind)));
        return TTurnResult::NoExport;
    }
    entry.Handle = std::move(library);
    entry.Descriptor = descriptor;
    entry.Active = true;

    switch (entry.Kind) {
    case TModuleKind::Data:
        if (entry.Plugin()->LoadSettings) entry.Plugin()->LoadSettings();
        // The callbacks are read again from the module's record.
        if (void* again = entry.Handle->DataModuleDescriptor()) entry.Descriptor = again;
        break;
    case TModuleKind::Driver:
        if (!ActivateDriver(index)) return TTurnResult::InitFailed;
        currentDriver_ = index;
        break;
    case TModuleKind::ScreenSaver: break;
    }
    return TTurnResult::TurnedOn;
}

TTurnResult TModuleHost::TurnOff(size_t index) {
    TShortPluginInfo& entry = modules_.at(index);
    if (THardwareDescriptor* hardware = entry.Hardware()) {
        // Only this driver's own object is switched off, current or not.
        if (hardware->Control) hardware->Control->SetActive(false);
        hardware->Release();
        if (currentDriver_ == index) currentDriver_.reset();
    }
    ReleaseEntry(entry);
    entry.Active = false;
    return TTurnResult::TurnedOff;
}

bool TModuleHost::CanConfigure(size_t index) const {
    const TShortPluginInfo& entry = modules_.at(index);
    if (const TPluginDescriptor* plugin = entry.Plugin()) return plugin->Configure != nullptr;
    if (const THardwareDescriptor* hardware = entry.Hardware()) return hardware->Configure != nullptr;
    return false;
}

bool TModuleHost::Configure(size_t index) {
    if (!CanConfigure(index)) return true;
    TShortPluginInfo& entry = modules_[index];
    if (TPluginDescriptor* plugin = entry.Plugin()) {
        plugin->Configure();
        return true;
    }
    THardwareDescriptor* hardware = entry.Hardware();
    if (hardware->Configure() != 0) return true;
    // The driver object is created anew: whoever asks for the current driver afterwards reads
    // the new Control from the descriptor.
    hardware->Release();
    if (!ActivateDriver(index)) return false;
    currentDriver_ = index;
    return true;
}

void TModuleHost::WriteActiveKeys(TIniDocument& settings) const {
    for (const TShortPluginInfo& entry : modules_)
        WriteModuleActive(settings, entry.FileName, entry.Active);
}

bool TModuleHost::SaveActiveKeys() const {
    return TIniFile(options_.SettingsPath).Update([this](TIniDocument& doc) {
        WriteActiveKeys(doc);
    });
}

void TModuleHost::SettingsSaved(std::string_view language) {
    options_.Language = language;
    for (size_t i = 0; i < modules_.size(); ++i) {
        TPluginDescriptor* plugin = modules_[i].Plugin();
        if (!plugin || !plugin->LoadSettings) continue;
        plugin->LoadSettings();
        ApplyLanguage(modules_[i], i, /*atDiscovery=*/false);
    }
}

void TModuleHost::ReleaseEntry(TShortPluginInfo& entry) {
    entry.Descriptor = nullptr;
    entry.Handle.reset();
}

void TModuleHost::ReleaseAll() {
    for (TShortPluginInfo& entry : modules_) {
        if (!entry.Descriptor) continue;
        if (TPluginDescriptor* plugin = entry.Plugin()) {
            if (plugin->Finalize) plugin->Finalize();
        } else if (THardwareDescriptor* hardware = entry.Hardware()) {
            hardware->Release();
        } else if (TScreenSaverDescriptor* saver = entry.ScreenSaver()) {
            saver->Stop();
        }
        ReleaseEntry(entry);
    }
    currentDriver_.reset();
}

std::vector<TModuleListItem> TModuleHost::ModuleListItems() const {
    std::vector<TModuleListItem> items{{"-"}};
    for (TModuleKind kind : {TModuleKind::Driver, TModuleKind::Data, TModuleKind::ScreenSaver}) {
        bool any = false;
        for (size_t i = 0; i < modules_.size(); ++i) {
            if (modules_[i].Kind != kind) continue;
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
