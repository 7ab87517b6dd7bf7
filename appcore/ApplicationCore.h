// The program without its windows: settings, custom characters, modules and drivers, the job
// and the display thread, in the start-up and shutdown order of the desktop program. The desktop
// program and the daemon both run on it.
#pragma once

#include "engine/Charsets.h"
#include "engine/ControlThread.h"
#include "engine/EngineClock.h"
#include "engine/JobUnit.h"
#include "engine/TagLanguage.h"
#include "host/Settings.h"
#include "host/modulehost/ModuleCatalogue.h"
#include "host/modulehost/ModuleHost.h"
#include "host/modulehost/ScreenGeometry.h"
#include "host/modulehost/ScreenSaverListener.h"
#include "host/playerlink/PlayerLink.h"
#include "appcore/KeypadNavigation.h"
#include "engine/Navigation.h"
#include "appcore/PanelSnapshot.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct TApplicationCoreOptions {
    std::string ProgramFolder;           // empty: the folder of the running program
    std::string SettingsPath;            // empty: Orvanta3.ini in the documents folder
    bool CreateLanguageTemplate = false; // "/create_lang_file": module language templates
    // False for a program that must leave the settings file as it is (a service's may be
    // read-only): defaults that start-up would store stay in memory.
    bool WriteSettings = true;
    // False for a program without a module list: modules that are off are not loaded.
    bool ListInactiveModules = true;
    // True for a program whose virtual display window mirrors the panel when "Show" of
    // "Virtual screen" is on: a start without a driver then shows the job all the same, and the
    // message that no driver is active is given only while that window is off.
    bool MirrorsInVirtualDisplay = false;
    // True for a program that tells the user itself that no driver is active (it can offer the
    // way to the module list): StartModules then only keeps the message (NoDriverMessage).
    bool CallerSaysNoDriver = false;
};

// The progress text of the last start-up step.
inline constexpr std::string_view kStartedText = "Orvanta3 starting: done.";

class TApplicationCore final : private TScreenGeometry, private TScreenSaverClient {
public:
    explicit TApplicationCore(TApplicationCoreOptions options = {});
    ~TApplicationCore() override; // Shutdown when it has not run

    TApplicationCore(const TApplicationCore&) = delete;
    TApplicationCore& operator=(const TApplicationCore&) = delete;

    // Where the rows go besides the panel (virtual display, terminal); may be null. Custom
    // character loads are reported to observer.
    void SetFrameSink(TFrameSink* sink);
    void SetCustomCharObserver(TCustomCharObserver* observer);
    // Where frames go besides the sink (the web interface); may be null.
    void SetFrameTap(TFrameSink* tap) { snapshot_.SetTap(tap); }

    // Start-up up to the greeting: StartModules, then ShowGreeting, then progress gets
    // kStartedText.
    void StartUp(const std::function<void(std::string_view)>& progress = {});
    // Settings and custom character tables, module discovery with the current driver, the
    // screen-saver listener when enabled. progress gets the text of each step. Without any driver
    // marked active one message says so (a driver that fails to activate has given its own),
    // unless the virtual display shows the job (MirrorsInVirtualDisplay).
    void StartModules(const std::function<void(std::string_view)>& progress = {});
    // Why no panel shows anything after StartModules (UTF-8); empty when a driver is active or
    // the virtual display shows the job.
    const std::string& NoDriverMessage() const { return noDriverMessage_; }
    // The start-up character sets and the two greeting lines on the panel and the frame sink.
    void ShowGreeting();
    // Row 1 shows text (Windows-1251, job-line syntax), the other rows are blank: on the panel
    // and the frame sink, while the thread is stopped.
    void ShowPanelText(const std::string& text) { thread_.ShowLines({text}, true); }
    // Blank rows on the panel and the frame sink (the thread is stopped).
    void ClearPanel() { thread_.ShowLines({}, true); }

    // Loads a job file; false and the reason in error when it cannot be read (the job is then
    // empty).
    bool LoadJob(const std::string& path, std::string* error = nullptr);
    // "Job name" of the settings read so far (UTF-8), a relative one taken from the settings
    // file's folder; empty when none is set.
    std::string SettingsJobPath() const;
    TJob& Job() { return job_; }
    // The file of the job loaded last; empty before the first.
    const std::string& JobPath() const { return jobPath_; }
    // The same, from any thread.
    std::string LoadedJobPath() const {
        std::lock_guard lock(jobPathMutex_);
        return jobPath_;
    }
    // What the panel shows now.
    const TPanelSnapshot& Snapshot() const { return snapshot_; }

    // Runs the cycle; false for a job without screens.
    bool StartDisplay();
    // The first start of the job after the greeting: the greeting's character set (2) gives way
    // to set 0 first, so that the job's bars and icons do not show the logo's pieces; then
    // StartDisplay. False for a job without screens.
    bool StartJob();
    // Reads the settings again (the program's own keys, the custom character tables, every
    // active data module's settings) and the job (jobPath, else "Job name" of the settings),
    // then starts the cycle anew, without touching the panel or the driver: the rows of the
    // new job replace the old ones. A job that cannot be read, or has no screens, leaves the
    // old one running; false and the reason in error then. Driver settings and which modules
    // are on stay as they were at start-up.
    bool Reload(const std::string& jobPath, std::string* error = nullptr);
    void StopDisplay();
    // The job editor's preview for a caller without a frame sink of its own: one step of the
    // display thread's preview (PreviewScreenStep), its rows also to the snapshot and so to the
    // frame sink and tap. Empty while the display thread runs.
    std::vector<std::string> PreviewStep(const TJobScreen& screen, bool restart);
    // Data modules switched on or off by library file, as their "Active" keys now say, with the
    // display thread stopped meanwhile; Reload then gives them their settings.
    void SwitchDataModules(const std::vector<TModuleActive>& modules);
    // Screen navigation, as the tray menu, the virtual display window and other programs ask
    // for it. False (nothing happens) for a screen index outside the job. From any thread; the
    // display thread takes it at its next tick.
    bool Navigate(TNavigationRequest request);
    void Previous() { Navigate({navPrevious}); }
    void Next() { Navigate({navNext}); }
    void GoTo(int32_t index) { Navigate({navGoTo, index}); }

    // A custom character request (TCharsetRequest; text "'n;x1F;...'" for 4, "'n;name'" for 5,
    // Windows-1251). False when the request or its text is not understood. From any thread:
    // a running display thread is paused between two ticks meanwhile; while a screen-saver
    // module has the panel only the tables and the virtual display change, and the panel gets
    // the last character set back when the module ends. Services on other threads end before
    // Shutdown.
    bool Charset(int32_t request, std::string_view text);

    // Shutdown as far as the panel goes: the quit message when a driver is current and active
    // and "QuitMsg" is set, the driver switched off, every module released in table order.
    void Shutdown();

    // The screen-saver listener: ended (and waited for) while the settings page is open, a
    // fresh one started after the settings are saved when "Show LCD-screensaver" is on.
    void StopScreenSaverListener();
    void StartScreenSaverListener();
    // The settings page's save, with the model (Settings()), the custom character tables and
    // the module table already holding the new values: the autostart entry, the settings file in
    // its order, then SettingsChanged. False when the file could not be written; the running
    // program has the new settings all the same, and errno says why.
    bool SaveSettings();
    // The settings in the model have changed (a save, or a reload of the file): the display
    // thread's timing, a fresh screen-saver listener when enabled, LoadSettings and the language
    // file of every data module that is on. With the display thread stopped: the modules are
    // called from this thread.
    void SettingsChanged();

    // A driver is current and active: the panel shows the job.
    bool PanelActive() const { return ActiveDriver() != nullptr; }

    // The daemon uses only Settings(); the desktop program is the user of the other parts and
    // of StopDisplay.
    int32_t Rows() const { return rows_; }
    int32_t Cols() const { return cols_; }
    TSettings& Settings() { return settings_; }
    TModuleHost& Host() { return host_; }
    // The tag tree of the job editor and the tag names of the tag parameter editor.
    TModuleCatalogue& Catalogue() { return catalogue_; }
    TCharsets& Charsets() { return charsets_; }
    TControlThread& Thread() { return thread_; }
    // The character set loaded last (the start-up sets, a request, a charset tag command).
    int LastCharset() override { return charsets_.ActiveCharset(); }

private:
    void SetRowCount(int32_t rows) override;
    void SetColCount(int32_t cols) override;
    void SuspendDisplayThread() override;
    void ResumeDisplayThread() override;
    void RestoreCharset(int n) override;

    TLCDBaseControl* ActiveDriver() const;
    bool CharsetOnPanel(int32_t request, std::string_view text); // under panelMutex_
    void ApplySettingsToEngine();
    void ReadSettings();

    bool writeSettings_;
    bool mirrorsInVirtualDisplay_;
    bool callerSaysNoDriver_;
    std::string noDriverMessage_;
    TSettings settings_;
    TModuleHost host_;
    TModuleCatalogue catalogue_;
    TPanelSnapshot snapshot_; // between the display thread and the program's sink
    TCharsets charsets_;
    TTagLanguage language_;
    TSystemClock clock_;
    TSystemRandom random_;
    TJob job_;
    TControlThread thread_;
    TKeypadNavigation keypad_{thread_}; // the panel's keys flip the screens
    std::unique_ptr<TScreenSaverListener> listener_;
    std::unique_ptr<TPlayerLink> playerLink_; // from start-up to the end of shutdown
    std::string jobPath_;
    mutable std::mutex jobPathMutex_; // guards jobPath_ for LoadedJobPath
    // Between the screen-saver listener and character requests from other threads: who may
    // load the panel's slots while the display thread is paused.
    std::mutex panelMutex_;
    bool saverHasPanel_ = false;
    int32_t rows_ = kDefaultRowCount;
    int32_t cols_ = kDefaultColCount;
    bool shutDown_ = false;
};

} // namespace orv
