// The module table: discovery of drivers, data modules and screen-saver modules below the
// program folder, turning them on and off, the current driver, driver reconfiguration, the
// "Active" keys and the release at exit.
//
// Threads: every member runs on the main thread. The display thread reads the table (through
// TModuleCatalogue) only while the main thread leaves it unchanged: the table is changed only
// while the display thread is stopped.
#pragma once

#include "base/IniFile.h"
#include "host/modulehost/ScreenGeometry.h"
#include "host/modulehost/ShortPluginInfo.h"

#include <optional>
#include <string>
#include <vector>

namespace orv {

struct TModuleHostOptions {
    std::string ProgramFolder; // empty: the folder of the running program
    std::string SettingsPath;  // empty: Orvanta3.ini in the documents folder
    std::string Language;      // "Common" "Language" (Windows-1251); empty: built-in texts
    bool CreateLanguageTemplate = false; // "/create_lang_file": write "RU" templates instead
    // False for a program without a module list (the daemon): a library whose "Active" is off
    // is not even opened, so that its dependencies never load.
    bool ListInactiveModules = true;
    // False: a driver marked active is loaded but not initialised, so nothing touches the panel
    // (a check of the settings, a list of the tags); there is no current driver object then.
    bool InitDrivers = true;
    // False: data modules are opened for their tags, but their LoadSettings is not called, so
    // nothing is downloaded and nothing written (a check of the settings, a list of the tags).
    bool LoadModuleSettings = true;
};

// What turning a module on or off did.
enum class TTurnResult {
    TurnedOn,
    TurnedOff,
    NotLoaded,  // the library could not be loaded: entry stays off, no message
    NoExport,   // export missing or descriptor refused: entry off, message shown
    InitFailed, // driver Init failed: entry on, message shown, no current driver
};

// One row of the module list: a module (TableIndex) or a separator.
struct TModuleListItem {
    static constexpr size_t kSeparator = 777;
    std::string Text; // Name, or "-" for a separator
    size_t TableIndex = kSeparator;
    bool IsSeparator() const { return TableIndex == kSeparator; }
};

class TModuleHost {
public:
    // geometry may be null (nothing receives the panel geometry).
    explicit TModuleHost(TModuleHostOptions options, TScreenGeometry* geometry = nullptr);
    ~TModuleHost(); // ReleaseAll
    TModuleHost(const TModuleHost&) = delete;
    TModuleHost& operator=(const TModuleHost&) = delete;

    // Scans plugins/hardware, plugins/software and plugins/screensaver (in that order; within a
    // folder by file name) for *.so, appends an entry per library with the kind's export,
    // activates those whose "Active" key is true, then makes the first active driver current
    // (Active = true, Clear) and sets 2 x 16 when no driver gave the geometry.
    void Discover();

    const std::vector<TShortPluginInfo>& Modules() const { return modules_; }
    const TShortPluginInfo& Module(size_t index) const { return modules_.at(index); }
    std::string LibraryPath(size_t index) const;
    std::string LanguageFilePath(size_t index) const;
    const TModuleHostOptions& Options() const { return options_; }
    // The language of the module language files, once the settings have been read.
    void SetLanguage(std::string_view language) { options_.Language = language; }

    // The current driver's entry, and its driver object read from the descriptor now (null when
    // there is none or its Init left none).
    std::optional<size_t> CurrentDriverIndex() const { return currentDriver_; }
    TLCDBaseControl* CurrentDriver() const;
    // The display thread's marks around the writes of one frame, passed to the current driver.
    void BeginDriverFrame() const;
    void EndDriverFrame() const;

    // btnTurn: turns the module on when it is off, off when it is on.
    TTurnResult Toggle(size_t index);
    // A data module turned on takes its settings and the language at once.
    TTurnResult TurnOn(size_t index);
    TTurnResult TurnOff(size_t index);

    // A data module switched on or off by its library file, as its "Active" key now says. A
    // program without a module list has no entry for one that was off: it is discovered first.
    // Only while the display thread is stopped.
    TTurnResult SwitchDataModule(const std::string& fileName, bool on);

    // btnConfig is enabled: the module is on and has a Configure callback.
    bool CanConfigure(size_t index) const;
    // btnConfig: a data module's Configure, or a driver's reconfiguration (Configure, then
    // Release and Init, the new driver object becoming current). False when Init failed.
    bool Configure(size_t index);

    // "Active" of every entry into its section, as the settings save writes it.
    void WriteActiveKeys(TIniDocument& settings) const;
    // After the settings have been saved: LoadSettings and the language file (for language) of
    // every data module that is on (the language file also for those without LoadSettings);
    // an empty language brings back each module's own texts.
    void SettingsSaved(std::string_view language);

    // Program exit, in table order: Finalize (data), Release (driver), Stop (screen saver), then
    // the library is released. Terminate the screen-saver listener first.
    void ReleaseAll();

    // Data of the module list: "-", drivers, "-", data modules, "-", screen savers, "-" (each
    // group with its separator only when it has entries).
    std::vector<TModuleListItem> ModuleListItems() const;
    // Name, two CRs, "(" FileName ")", two CRs, Description.
    std::string ModuleDescriptionText(size_t index) const;
    // "Отключить" for a module that is on, "Подключить" otherwise.
    std::string TurnCaption(size_t index) const;

private:
    // Discovery of one library: its entry appended (loaded only when "Active"); false, and no
    // entry, when it cannot be loaded, lacks the kind's export or is a data module whose name
    // an earlier one has (which a message says); reason says why.
    bool AddDiscovered(TModuleKind kind, const std::string& fileName, std::string* reason);
    // A module that is on at discovery: a driver's activation (true when its Init succeeded),
    // a data module's LoadSettings, language file and Description.
    bool ActivateDiscovered(size_t index);
    // The first active driver becomes current, is switched on and cleared; initialisedDrivers
    // are the drivers whose Init succeeded, in table order.
    void MakeFirstActiveDriverCurrent(const std::vector<size_t>& initialisedDrivers);

    bool ActivateDriver(size_t index); // Init and geometry; false when Init failed
    void TurnOffOtherDrivers(size_t index);
    void ApplyGeometry(TLCDBaseControl* control);
    void ApplyLanguage(size_t index, bool atDiscovery);
    bool ReadActiveKey(const std::string& fileName) const;

    TModuleHostOptions options_;
    TScreenGeometry* geometry_;
    std::vector<TShortPluginInfo> modules_;
    std::optional<size_t> currentDriver_;
    bool geometrySet_ = false;
};

} // namespace orv
