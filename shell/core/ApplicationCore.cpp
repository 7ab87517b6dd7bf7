#include "shell/core/ApplicationCore.h"

#include "host/Cp1251.h"
#include "host/IniFile.h"
#include "host/MessageBox.h"
#include "host/TextUtil.h"
#include "host/UserFolders.h"
#include "shell/core/NoDriverMessage.h"

namespace orv {

TApplicationCore::TApplicationCore(TApplicationCoreOptions options)
    : settings_(options.SettingsPath.empty() ? SettingsPath() : options.SettingsPath),
      host_({.ProgramFolder = options.ProgramFolder,
             .SettingsPath = settings_.Path(),
             .Language = {},
             .CreateLanguageTemplate = options.CreateLanguageTemplate},
            this),
      catalogue_(host_), language_(catalogue_, charsets_),
      thread_(job_, language_, charsets_, [this] { return host_.CurrentDriver(); }, clock_,
              random_) {}

TApplicationCore::~TApplicationCore() { Shutdown(); }

void TApplicationCore::SetFrameSink(TFrameSink* sink) {
    sink_ = sink;
    thread_.SetFrameSink(sink);
}

void TApplicationCore::SetCustomCharObserver(TCustomCharObserver* observer) {
    charsets_.SetObserver(observer);
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
    const std::string noDriverMessage = NoDriverMessage(settings_.Path());
    settings_.ReadEarly();
    settings_.ReadMain();
    TIniFile ini(settings_.Path());
    charsets_.Load(ini);

    step("Orvanta3 starting: reading plug-ins...");
    host_.SetLanguage(settings_.Common.Language);
    host_.Discover();

    step("Orvanta3 starting: checking active plug-ins...");
    if (!host_.CurrentDriverIndex())
        ShowMessage(Utf8ToCp1251(noDriverMessage), "Warning", mbWarning);
    charsets_.SetDriver(host_.CurrentDriver());
    ApplySettingsToEngine();
    StartScreenSaverListener();
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
        listener_ = std::make_unique<TScreenSaverListener>(
            host_, static_cast<TScreenSaverClient&>(*this));
}

void TApplicationCore::ShowGreeting() {
    StartUpCharsets(charsets_, clock_);
    thread_.ShowLines({settings_.Common.StartMsg, settings_.Common.StartMsgLine2}, false);
}

bool TApplicationCore::LoadJob(const std::string& path, std::string* error) {
    return job_.LoadFromFile(path, error);
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

void TApplicationCore::StopDisplay() { thread_.Stop(); }

void TApplicationCore::RestoreCharset(int n) {
    charsets_.SetDriver(host_.CurrentDriver());
    charsets_.SwitchCharset(static_cast<uint8_t>(n));
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
