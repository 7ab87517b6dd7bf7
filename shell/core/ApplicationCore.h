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

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct TApplicationCoreOptions {
    std::string ProgramFolder; // empty: the folder of the running program
    std::string SettingsPath;  // empty: Orvanta3.ini in the documents folder
    bool CreateLanguageTemplate = false; // "/create_lang_file": module language templates
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

    // Start-up up to the greeting: StartModules, then ShowGreeting, then progress gets
    // kStartedText.
    void StartUp(const std::function<void(std::string_view)>& progress = {});
    // Settings and custom character tables, module discovery with the current driver, the
    // screen-saver listener when enabled. progress gets the text of each step. Without any driver
    // marked active one message says so (a driver that fails to activate has given its own).
    void StartModules(const std::function<void(std::string_view)>& progress = {});
    // The start-up character sets and the two greeting lines on the panel and the frame sink.
    void ShowGreeting();
    // The screen-saver listener: ended (and waited for) while the settings page is open, a
    // fresh one started after the settings are saved when "Show LCD-screensaver" is on.
    void StopScreenSaverListener();
    void StartScreenSaverListener();

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

    // Runs the cycle; false for a job without screens.
    bool StartDisplay();
    void StopDisplay();
    // The screen before or after the current one, or screen index (0-based; ignored outside
    // the job).
    void Previous() { thread_.Previous(); }
    void Next() { thread_.Next(); }
    void GoTo(int32_t index) { thread_.GoTo(index); }

    // Shutdown as far as the panel goes: the quit message when a driver is current and active
    // and "QuitMsg" is set, the driver switched off, every module released in table order.
    void Shutdown();

    // A driver is current and active: the panel shows the job.
    bool PanelActive() const { return ActiveDriver() != nullptr; }

    // The daemon uses only Settings(); the desktop program is the user of the other parts and
    // of StopDisplay.
    int32_t Rows() const { return rows_; }
    int32_t Cols() const { return cols_; }
    TSettings& Settings() { return settings_; }
    TModuleHost& Host() { return host_; }
    TCharsets& Charsets() { return charsets_; }
    TControlThread& Thread() { return thread_; }
    // The character set loaded last (the start-up sets, a request, a charset tag command).
    int LastCharset() override { return charsets_.ActiveCharset(); }

private:
    void SetRowCount(int32_t rows) override;
    void SetColCount(int32_t cols) override;
    void SuspendDisplayThread() override { thread_.Suspend(); }
    void ResumeDisplayThread() override { thread_.Resume(); }
    void RestoreCharset(int n) override;

    TLCDBaseControl* ActiveDriver() const;
    void ApplySettingsToEngine();

    TSettings settings_;
    TModuleHost host_;
    TModuleCatalogue catalogue_;
    TCharsets charsets_;
    TTagLanguage language_;
    TSystemClock clock_;
    TSystemRandom random_;
    TJob job_;
    TControlThread thread_;
    std::unique_ptr<TScreenSaverListener> listener_;
    std::unique_ptr<TPlayerLink> playerLink_; // from start-up to the end of shutdown
    TFrameSink* sink_ = nullptr;
    int32_t rows_ = kDefaultRowCount;
    int32_t cols_ = kDefaultColCount;
    bool shutDown_ = false;
};

} // namespace orv
