#include "appcore/ApplicationCore.h"

#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/MessageBox.h"
#include "base/TextUtil.h"
#include "base/UserFolders.h"
#include "appcore/NoDriverMessage.h"

#include <chrono>
#include <thread>

#include <cerrno>

namespace orv {

namespace {

// Lets the panel settle after the character set switch before the first frame.
constexpr std::chrono::milliseconds kGreetingCharsetPause{200};

} // namespace

TApplicationCore::TApplicationCore(TApplicationCoreOptions options)
    : writeSettings_(options.WriteSettings),
      mirrorsInVirtualDisplay_(options.MirrorsInVirtualDisplay),
      callerSaysNoDriver_(options.CallerSaysNoDriver),
      settings_(options.SettingsPath.empty() ? SettingsPath() : options.SettingsPath),
      host_({.ProgramFolder = options.ProgramFolder,
             .SettingsPath = settings_.Path(),
             .Language = {},
             .CreateLanguageTemplate = options.CreateLanguageTemplate,
             .ListInactiveModules = options.ListInactiveModules},
            this),
      catalogue_(host_), language_(catalogue_, charsets_),
      thread_(
          job_, language_, charsets_, [this] { return host_.CurrentDriver(); }, clock_, random_) {
    thread_.SetFrameSink(&snapshot_);
    charsets_.SetObserver(&snapshot_);
    thread_.SetFrameMarks([this] { host_.BeginDriverFrame(); }, [this] { host_.EndDriverFrame(); });
}

TApplicationCore::~TApplicationCore() { Shutdown(); }

void TApplicationCore::SetFrameSink(TFrameSink* sink) { snapshot_.SetSink(sink); }

void TApplicationCore::SetCustomCharObserver(TCustomCharObserver* observer) {
    snapshot_.SetObserver(observer);
}

void TApplicationCore::SetRowCount(int32_t rows) { rows_ = rows; }
void TApplicationCore::SetColCount(int32_t cols) { cols_ = cols; }

TLCDBaseControl* TApplicationCore::ActiveDriver() const {
    TLCDBaseControl* driver = host_.CurrentDriver();
    return driver && driver->GetActive() ? driver : nullptr;
}

void TApplicationCore::ApplySettingsToEngine() {
    const TCommonSettings& common = settings_.Common;
    language_.SetLongDelayPeriod(common.LongDelayPeriod);
    thread_.SetGeometry(rows_, cols_);
    thread_.SetSettings(TDisplaySettings(common));
}

void TApplicationCore::ReadSettings() {
    settings_.ReadEarly();
    settings_.ReadMain();
    TIniFile ini(settings_.Path());
    if (writeSettings_) {
        charsets_.Load(ini);
        return;
    }
    TIniDocument doc = ini.Read();
    TCharsets::WriteDefaultsIfEmpty(doc);
    charsets_.LoadFrom(doc);
}

void TApplicationCore::StopScreenSaverListener() {
    if (!listener_) return;
    listener_->RequestTerminate();
    listener_->Wait();
    listener_.reset();
}

void TApplicationCore::StartScreenSaverListener() {
    StopScreenSaverListener();
    if (settings_.Common.ShowLcdScreensaver)
        listener_ =
            std::make_unique<TScreenSaverListener>(host_, static_cast<TScreenSaverClient&>(*this));
}

bool TApplicationCore::SaveSettings() {
    TSettingsSaveParts parts;
    parts.WriteCustomChars = [this](TIniDocument& doc) { charsets_.SaveTables(doc); };
    for (const TShortPluginInfo& entry : host_.Modules())
        parts.Modules.push_back({entry.FileName, entry.Active});
    parts.WriteCharsetMapping = [this](TIniDocument& doc) { charsets_.SaveMapping(doc); };
    const bool written = settings_.Save(parts);
    const int error = errno; // why the save failed, for the caller
    SettingsChanged();
    errno = error;
    return written;
}

void TApplicationCore::SettingsChanged() {
    ApplySettingsToEngine();
    StartScreenSaverListener();
    host_.SettingsSaved(settings_.Common.Language);
}

void TApplicationCore::StartUp(const std::function<void(std::string_view)>& progress) {
    StartModules(progress);
    ShowGreeting();
    if (progress) progress(kStartedText);
}

void TApplicationCore::StartModules(const std::function<void(std::string_view)>& progress) {
    auto step = [&](std::string_view text) {
        if (progress) progress(text);
    };
    playerLink_ = std::make_unique<TPlayerLink>(); // ZoomPlayerData exists before any module
    step("Orvanta3 starting: reading settings...");
    // Said as the file was found: the custom character tables may create it below.
    const std::string noDriverMessage = orv::NoDriverMessage(settings_.Path());
    ReadSettings();

    step("Orvanta3 starting: reading plug-ins...");
    host_.SetLanguage(settings_.Common.Language);
    host_.Discover();

    step("Orvanta3 starting: checking active plug-ins...");
    const bool jobShownAnyway = mirrorsInVirtualDisplay_ && settings_.VirtualScreen.Show;
    noDriverMessage_.clear();
    if (!host_.CurrentDriverIndex() && !jobShownAnyway) {
        noDriverMessage_ = noDriverMessage;
        if (!callerSaysNoDriver_) ShowMessage(Utf8ToCp1251(noDriverMessage), "Warning", mbWarning);
    }
    charsets_.SetDriver(host_.CurrentDriver());
    ApplySettingsToEngine();
    StartScreenSaverListener();
}

void TApplicationCore::ShowGreeting() {
    StartUpCharsets(charsets_, clock_);
    thread_.ShowLines({settings_.Common.StartMsg, settings_.Common.StartMsgLine2}, false,
                      TControlThread::TLineText::TagsOfActiveModules);
}

bool TApplicationCore::LoadJob(const std::string& path, std::string* error) {
    if (!job_.LoadFromFile(path, error)) return false;
    std::lock_guard lock(jobPathMutex_);
    jobPath_ = path;
    return true;
}

std::string TApplicationCore::SettingsJobPath() const {
    const std::string name = Cp1251ToUtf8(settings_.Common.JobName);
    if (name.empty() || name.starts_with('/')) return name;
    return DirName(settings_.Path()) + "/" + name;
}

bool TApplicationCore::StartDisplay() {
    ApplySettingsToEngine(); // the thread hands the current driver to the character sets itself
    return thread_.Start();
}

bool TApplicationCore::StartJob() {
    if (job_.Count() == 0) return false;
    if (charsets_.ActiveCharset() == 2) {
        charsets_.SwitchCharset(0);
        std::this_thread::sleep_for(kGreetingCharsetPause);
    }
    return StartDisplay();
}

void TApplicationCore::StopDisplay() { thread_.Stop(); }

std::vector<std::string> TApplicationCore::PreviewStep(const TJobScreen& screen, bool restart) {
    std::vector<std::string> rows = thread_.PreviewScreenStep(screen, restart);
    if (!rows.empty()) snapshot_.ShowFrame(rows);
    return rows;
}

bool TApplicationCore::Navigate(TNavigationRequest request) {
    switch (request.Step) {
    case navNext: thread_.Next(); return true;
    case navPrevious: thread_.Previous(); return true;
    case navGoTo: return thread_.GoTo(request.Screen);
    default: return false;
    }
}

bool TApplicationCore::Charset(int32_t request, std::string_view text) {
    std::lock_guard lock(panelMutex_);
    if (saverHasPanel_) {
        // The module draws on the panel; its end restores the active set (RestoreCharset).
        charsets_.SetDriver(nullptr);
        const bool done = charsets_.HandleRequest(request, text);
        charsets_.SetDriver(host_.CurrentDriver());
        return done;
    }
    thread_.Suspend(); // the display thread loads slots itself: not at the same time
    const bool done = CharsetOnPanel(request, text);
    thread_.Resume();
    return done;
}

// Character requests wait meanwhile: the character sets are read again. A screen saver that
// holds the panel keeps it: the cycle starts again only when it ends.
bool TApplicationCore::Reload(const std::string& jobPath, std::string* error) {
    std::lock_guard panel(panelMutex_);
    thread_.Stop(); // modules are called from one thread at a time
    ReadSettings();
    host_.SettingsSaved(settings_.Common.Language);
    const std::string path = jobPath.empty() ? SettingsJobPath() : jobPath;
    TJob job;
    std::string reason;
    bool loaded = false;
    if (path.empty())
        reason = "no job: \"Job name\" is not set in " + settings_.Path();
    else if (!job.LoadFromFile(path, &reason))
        reason = "cannot read the job file " + path + ": " + reason;
    else if (job.Count() == 0)
        reason = "the job " + path + " has no screens";
    else
        loaded = true;
    if (loaded) {
        thread_.ChangeJob([&] { job_ = std::move(job); });
        std::lock_guard lock(jobPathMutex_);
        jobPath_ = path;
    }
    if (!loaded && error) *error = reason;
    ApplySettingsToEngine();
    thread_.Start(saverHasPanel_);
    return loaded;
}

void TApplicationCore::SwitchDataModules(const std::vector<TModuleActive>& modules) {
    std::lock_guard panel(panelMutex_);
    thread_.Stop(); // the table changes only while the display thread is stopped
    for (const TModuleActive& module : modules)
        host_.SwitchDataModule(module.LibraryFile, module.Active);
    thread_.Start(saverHasPanel_);
}

bool TApplicationCore::CharsetOnPanel(int32_t request, std::string_view text) {
    charsets_.SetDriver(host_.CurrentDriver());
    return charsets_.HandleRequest(request, text);
}

void TApplicationCore::SuspendDisplayThread() {
    std::lock_guard lock(panelMutex_);
    saverHasPanel_ = true;
    thread_.Suspend();
}

void TApplicationCore::ResumeDisplayThread() {
    std::lock_guard lock(panelMutex_);
    saverHasPanel_ = false;
    thread_.Resume();
}

void TApplicationCore::RestoreCharset(int n) {
    std::lock_guard lock(panelMutex_);
    CharsetOnPanel(n, {});
}

void TApplicationCore::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    StopScreenSaverListener();
    thread_.Stop();
    if (TLCDBaseControl* driver = ActiveDriver()) {
        const TCommonSettings& common = settings_.Common;
        if (!common.QuitMsg.empty()) thread_.ShowQuitMessage(common.QuitMsg, common.QuitMsgLine2);
        driver->SetActive(false);
    }
    host_.ReleaseAll();
    playerLink_.reset();
}

} // namespace orv
