// valuetap: the user's own values on the panel: a command's output, a file's line, the last
// payload of an MQTT topic. Every source is defined in the module's settings section; a job
// only names one, by number or name, and a name no source has shows nothing and runs nothing.
//
// Where the values come from: a command source runs on a thread of its own, from the first
// request that names it, once per its period (CommandRun.h); the file sources share one thread
// that waits on inotify and their periods (FileFeed.h); the MQTT sources share one libmosquitto
// client with its own thread (MqttFeed.h). Each keeps the shown text of its last answer under
// the lock; GetValue only reads it. A failed command, an unreadable file, a payload not yet
// received or older than the source's "max age" give "#skip".
#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/TextUtil.h"
#include "base/UserFolders.h"
#include "modules/common/BackgroundTasks.h"
#include "modules/common/HostTrace.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/ModuleDialog.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/OutsideText.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/valuetap/CommandRun.h"
#include "modules/valuetap/FileFeed.h"
#include "modules/valuetap/MqttFeed.h"
#include "modules/valuetap/SourceText.h"
#include "modules/valuetap/TapDialogRecord.h"
#include "modules/valuetap/TapSources.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include <pthread.h>

using namespace orv;

namespace {

enum TValueTapTag : int16_t { tagUserValue, tagUserValueEnum, tagUserValueName };

using TClock = std::chrono::steady_clock;

struct TSourceValue {
    std::optional<std::string> Text; // the shown text of the last answer; nullopt: none
    TClock::time_point At;
    bool Started = false; // a command's thread runs
};

class TValueTap {
public:
    const char* GetValue(int16_t index, const char* param);
    void LoadSettings();
    void Configure();

private:
    void StopSources();
    void StartFeeds(const TBrokerSettings& broker);
    void Store(size_t slot, std::optional<std::string_view> raw);
    void RunCommandSource(size_t slot, TSourceDef source, std::stop_token stop);
    std::string Describe(const TSourceDef& source) const;

    std::mutex lock_; // sources_ and values_ while the feeds run
    std::vector<TSourceDef> sources_;
    std::vector<TSourceValue> values_; // by position in sources_
    TModuleResult result_;
    std::unique_ptr<TMqttFeed> mqtt_;
    TBackgroundTasks tasks_; // last: its threads end before the values go
};

TValueTap gValueTap;

std::string TValueTap::Describe(const TSourceDef& source) const {
    std::string text = "valuetap: source " + std::to_string(source.Number);
    if (!source.Name.empty()) text += " (" + Cp1251ToUtf8(source.Name) + ")";
    return text;
}

// The one road of outside text to the panel: SourceValueText.
void TValueTap::Store(size_t slot, std::optional<std::string_view> raw) {
    std::lock_guard guard(lock_);
    if (slot >= values_.size()) return;
    values_[slot].Text = raw ? SourceValueText(sources_[slot], *raw) : std::nullopt;
    values_[slot].At = TClock::now();
}

void TValueTap::RunCommandSource(size_t slot, TSourceDef source, std::stop_token stop) {
    ::pthread_setname_np(::pthread_self(), "valuetap-cmd");
    const auto words = SplitCommandLine(Cp1251ToUtf8(source.Target));
    if (!words || words->empty()) {
        HostTrace(Describe(source) + ": the command line has an unclosed quote");
        Store(slot, std::nullopt);
        return;
    }
    std::mutex pause;
    std::condition_variable_any wake;
    const std::string folder = Cp1251ToUtf8(source.Folder);
    while (!stop.stop_requested()) {
        const TCommandRun run = RunCommand(*words, folder, source.TimeoutSec * 1000,
                                           static_cast<size_t>(source.MaxBytes), stop);
        switch (run.End) {
        case TRunEnd::Exited: Store(slot, run.Output); break;
        case TRunEnd::Stopped: return;
        case TRunEnd::TimedOut:
            HostTrace(Describe(source) + ": killed after its time-out of " +
                      std::to_string(source.TimeoutSec) + " s");
            Store(slot, std::nullopt);
            break;
        case TRunEnd::NotStarted:
            HostTrace(Describe(source) + ": " + (*words)[0] + " cannot be started");
            Store(slot, std::nullopt);
            break;
        case TRunEnd::Failed:
            HostTrace(Describe(source) + ": " + (*words)[0] + " failed (exit code " +
                      std::to_string(run.ExitCode) + ")");
            Store(slot, std::nullopt);
            break;
        }
        std::unique_lock lock(pause);
        wake.wait_for(lock, stop, std::chrono::seconds(source.PeriodSec), [] { return false; });
    }
}

const char* TValueTap::GetValue(int16_t index, const char* param) {
    if (index == kClearResultIndex) return result_.Clear();
    const std::string_view argument = param ? param : "";
    std::lock_guard guard(lock_);
    switch (index) {
    case tagUserValue: {
        const TSourceDef* source = FindSource(sources_, argument);
        if (!source) return result_.Clear();
        const size_t slot = static_cast<size_t>(source - sources_.data());
        TSourceValue& value = values_[slot];
        if (source->Kind == TSourceKind::Command && !value.Started) {
            value.Started = true;
            tasks_.Start([this, slot, def = *source](std::stop_token stop) {
                RunCommandSource(slot, def, stop);
            });
        }
        if (!value.Text) return result_.Set(kSkipMark);
        if (source->MaxAgeSec > 0 &&
            TClock::now() - value.At > std::chrono::seconds(source->MaxAgeSec))
            return result_.Set(kSkipMark);
        return result_.Set(OutsideText(*value.Text));
    }
    case tagUserValueEnum:
        if (sources_.empty()) return result_.Set(kSkipMark);
        return result_.Set(EnumAnswer(static_cast<long long>(sources_.size())));
    case tagUserValueName: {
        const auto n = ParseInt32(argument);
        if (!n || *n < 0 || static_cast<size_t>(*n) >= sources_.size()) return result_.Clear();
        return result_.Set(SourceArgument(sources_[static_cast<size_t>(*n)]));
    }
    default: return result_.Keep();
    }
}

void TValueTap::StopSources() {
    tasks_.StopAll();
    mqtt_.reset();
}

void TValueTap::StartFeeds(const TBrokerSettings& broker) {
    std::vector<TWatchedFile> files;
    std::vector<size_t> fileSlots;
    std::vector<std::pair<std::string, size_t>> filters;
    std::vector<size_t> filterSlots;
    for (size_t slot = 0; slot < sources_.size(); ++slot) {
        const TSourceDef& source = sources_[slot];
        if (source.Kind == TSourceKind::File) {
            files.push_back({Cp1251ToUtf8(source.Target), source.PeriodSec,
                             static_cast<size_t>(source.MaxBytes)});
            fileSlots.push_back(slot);
        } else if (source.Kind == TSourceKind::Mqtt) {
            filters.emplace_back(Cp1251ToUtf8(source.Target), static_cast<size_t>(source.MaxBytes));
            filterSlots.push_back(slot);
        }
    }
    if (!files.empty())
        tasks_.Start([this, files, fileSlots](std::stop_token stop) {
            ::pthread_setname_np(::pthread_self(), "valuetap-files");
            WatchFiles(
                files,
                [&](size_t i, std::optional<std::string> text) {
                    Store(fileSlots[i],
                          text ? std::optional<std::string_view>(*text) : std::nullopt);
                },
                stop);
        });
    if (!filters.empty() && !broker.Host.empty())
        mqtt_ = std::make_unique<TMqttFeed>(
            broker, std::move(filters),
            [this, filterSlots](size_t i, std::string_view payload) {
                Store(filterSlots[i], payload);
            },
            [](const std::string& line) { HostTrace("valuetap: " + line); });
}

void TValueTap::LoadSettings() {
    StopSources();
    const TValueTapSettings settings = ReadValueTapSettings(TIniFile(SettingsPath()).Read());
    {
        std::lock_guard guard(lock_);
        sources_ = settings.Sources;
        values_.assign(sources_.size(), TSourceValue{});
    }
    StartFeeds(settings.Broker);
}

void TValueTap::Configure() {
    auto run = reinterpret_cast<TRunValueTapDialogFunc>(
        ModuleDialogEntry("valuetap.so", kRunValueTapDialogExport));
    if (!run) return;
    TIniFile file(SettingsPath());
    TValueTapSettings settings = ReadValueTapSettings(file.Read());
    TValueTapDialogData data{};
    ToDialogData(settings, data);
    if (run(&data) != 1) return;
    FromDialogData(data, settings);
    file.Update([&](TIniDocument& ini) { WriteValueTapSettings(ini, settings); });
}

void Finalize() {}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "User values",
        .Description = "Свои значения: вывод команды, строка файла, сообщение MQTT\r\rOrvanta3 "
                       "team"_cp1251,
        .Id = 14,
        .GroupCaption = "Свои значения"_cp1251,
        .GroupHint = "Значения из источников, заданных в настройках модуля: команда, файл, "
                     "тема MQTT"_cp1251,
        .GetValue = ModuleGetValue<gValueTap>,
        .LoadSettings = ModuleLoadSettings<gValueTap>,
        .Configure = ModuleConfigure<gValueTap>,
        .Finalize = Finalize,
    },
    {
        {.Name = "$userValue",
         .Caption = "значение источника"_cp1251,
         .Example = "$userValue[1]$",
         .Hint = "Значение источника\r\rПараметр - номер или имя источника из настроек модуля; "
                 "\"#skip\", пока значения нет или команда завершилась с ошибкой"_cp1251},
        {.Name = "$userValueEnum",
         .Caption = "перечисление источников"_cp1251,
         .Example = "$userValueEnum$",
         .Hint = "Перечисляет источники, заданные в настройках"_cp1251},
        {.Name = "$userValueName",
         .Caption = "имя источника"_cp1251,
         .Example = "$userValueName[0]$",
         .Hint = "Имя (или номер) источника\r\rПараметр Index - порядковый номер источника, "
                 "от 0"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT const TPluginSettingKey* settingKeys() { return ValueTapSettingKeys(); }
