// skycast: today's weather for one city, the day and night conditions as Russian phrases and
// the day and night temperatures.
//
// Where the values come from: every LoadSettings starts one download in the background
// (libcurl, the program's proxy when "Use proxy-server" is on) from the source of "Source":
//   "open-meteo"  the forecast service's hourly forecast for the menu city's coordinates
//                 (WeatherReport.h turns its weather codes into the picture names below);
//   "export"      the weather export's text, fifth line split at "|".
// GetValue only reads the four fields under the lock.
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/ProgramSettingKeys.h"
#include "base/TextUtil.h"
#include "base/UserFolders.h"
#include "modules/common/BackgroundTasks.h"
#include "modules/common/InternetTransfer.h"
#include "modules/common/ModuleDialog.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/OutsideText.h"
#include "modules/skycast/SkycastCities.h"
#include "modules/skycast/SkycastDialogApi.h"
#include "modules/skycast/WeatherReport.h"

#include <mutex>
#include <string>

using namespace orv;

namespace {

constexpr const char* kSection = "Weather";
constexpr const char* kSourceForecast = "open-meteo";
constexpr const char* kSourceExport = "export";
// The answers are a few kilobytes; more is not read.
constexpr TTransferLimits kAnswerLimits{.MaxBodyBytes = 1u << 20};
constexpr const char* kForecastServer = "https://api.open-meteo.com";

enum TSkycastTag : int16_t { tagWeatherDay, tagTempDay, tagWeatherNight, tagTempNight };

struct TSkycastSettings {
    int32_t CityCode = 42;
    bool UseProxy = true;
    std::string Source = kSourceForecast;
    std::string Server;
    TProxy Proxy;
    std::string Language; // of the settings dialog
};

TSkycastSettings ReadSettings() {
    const TIniDocument ini = TIniFile(SettingsPath()).Read();
    TSkycastSettings s;
    s.CityCode = ini.ReadInteger(kSection, "City code", s.CityCode);
    s.UseProxy = ini.ReadBool(kSection, "Use proxy-server", s.UseProxy);
    s.Source = ini.ReadString(kSection, "Source", s.Source);
    for (char& c : s.Source) c = LowerAscii(c);
    if (s.Source != kSourceExport) s.Source = kSourceForecast;
    s.Server = std::string(Trim(ini.ReadString(kSection, "Server", "")));
    s.Proxy = ReadProxy(ini, s.UseProxy);
    s.Language = ini.ReadString(kCommonSection, kLanguageKey, "");
    return s;
}

class TSkycast {
public:
    const char* GetValue(int16_t index);
    void LoadSettings();
    void Configure();
    int32_t WaitBackground(int32_t timeoutMs) {
        return tasks_.WaitIdle(std::chrono::milliseconds(timeoutMs)) ? 1 : 0;
    }

private:
    static void Download(const TSkycastSettings& settings, std::stop_token stop, TSkycast& self);
    void Store(size_t field, std::string text);

    std::mutex lock_; // the four fields
    TWeatherReport report_;
    TModuleResult result_;
    TBackgroundTasks tasks_; // last: its threads end before the fields go
};

TSkycast gSkycast;

const char* TSkycast::GetValue(int16_t index) {
    std::string text;
    {
        std::lock_guard guard(lock_);
        switch (index) {
        case tagWeatherDay: text = ConditionPhrase(report_.DayPicture); break;
        case tagTempDay: text = OutsideText(report_.DayTemperature); break;
        case tagWeatherNight: text = ConditionPhrase(report_.NightPicture); break;
        case tagTempNight: text = OutsideText(report_.NightTemperature); break;
        default: break;
        }
    }
    return result_.Set(std::move(text));
}

void TSkycast::LoadSettings() {
    {
        std::lock_guard guard(lock_);
        report_ = {};
    }
    tasks_.Replace([this, settings = ReadSettings()](std::stop_token stop) {
        Download(settings, stop, *this);
    });
}

void TSkycast::Store(size_t field, std::string text) {
    std::lock_guard guard(lock_);
    std::string* fields[] = {&report_.DayPicture, &report_.DayTemperature, &report_.NightPicture,
                             &report_.NightTemperature};
    *fields[field] = std::move(text);
}

// Fields are stored one by one as they are read, so an export line cut short keeps the fields
// before the cut.
void TSkycast::Download(const TSkycastSettings& settings, std::stop_token stop, TSkycast& self) {
    if (settings.Source == kSourceExport) {
        if (settings.Server.empty()) return; // the export has no public address today
        const THttpAnswer answer = HttpGet(ExportAddress(settings.Server, settings.CityCode),
                                           settings.Proxy, stop, kAnswerLimits);
        if (!answer.Ok) return;
        const std::vector<std::string> fields = ExportFields(answer.Body);
        for (size_t i = 0; i < fields.size(); ++i) self.Store(i, fields[i]);
        return;
    }
    const TCity* city = CityByCode(settings.CityCode);
    if (!city) return; // the forecast service needs the place of a menu city
    const std::string server = settings.Server.empty() ? kForecastServer : settings.Server;
    const THttpAnswer answer =
        HttpGet(ForecastAddress(server, *city), settings.Proxy, stop, kAnswerLimits);
    if (!answer.Ok) return;
    const auto report = ForecastReport(answer.Body);
    if (!report) return;
    std::lock_guard guard(self.lock_);
    self.report_ = *report;
}

void TSkycast::Configure() {
    auto run = reinterpret_cast<TRunSkycastDialogFunc>(
        ModuleDialogEntry("skycast.so", kRunSkycastDialogExport));
    if (!run) return;
    const TSkycastSettings saved = ReadSettings();
    TSkycastDialogData data{};
    CopyText(data.CityCode, std::to_string(saved.CityCode));
    data.UseProxy = saved.UseProxy ? 1 : 0;
    CopyText(data.Source, saved.Source);
    CopyText(data.Server, saved.Server);
    CopyText(data.Language, saved.Language);
    CopyText(data.LanguageFile, FolderOfAddress(&gSkycast) + "/skycast.lng");
    if (run(&data) != 1) return;
    const auto code = ParseInt32(data.CityCode);
    if (!code) return; // the dialog lets only an integer through
    TIniFile(SettingsPath()).Update([&](TIniDocument& ini) {
        ini.WriteInteger(kSection, "City code", *code);
        ini.WriteBool(kSection, "Use proxy-server", data.UseProxy != 0);
        ini.WriteString(kSection, "Source", data.Source);
        ini.WriteString(kSection, "Server", data.Server);
    });
}

// The fields live as long as the library; a download still running ends with it.
void Finalize() {}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "Weather info",
        .Description = "Погода в Вашем городе\r\rOrvanta3 team"_cp1251,
        .Id = 23,
        .GroupCaption = "Погода"_cp1251,
        .GroupHint = "Погода по Украине, России и ближнему зарубежью\r\rДанные: прогноз "
                     "Open-Meteo (open-meteo.com) или погодный экспорт по адресу из "
                     "настроек"_cp1251,
        .GetValue = ModuleGetValue<gSkycast>,
        .LoadSettings = ModuleLoadSettings<gSkycast>,
        .Configure = ModuleConfigure<gSkycast, -1>,
        .Finalize = Finalize,
    },
    {
        {.Name = "$weatherDay",
         .Caption = "погода днем"_cp1251,
         .Example = "$weatherDay$",
         .Hint = "Погода днем\r\rСостояние погоды в дневное время"_cp1251},
        {.Name = "$tempDay",
         .Caption = "температура днем"_cp1251,
         .Example = "$tempDay$",
         .Hint = "Температура днем"_cp1251},
        {.Name = "$weatherNight",
         .Caption = "погода ночью"_cp1251,
         .Example = "$weatherNight$",
         .Hint = "Погода ночью\r\rСостояние погоды в ночное время"_cp1251},
        {.Name = "$tempNight",
         .Caption = "температура ночью"_cp1251,
         .Example = "$tempNight$",
         .Hint = "Температура ночью"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT const TPluginSettingKey* settingKeys() {
    static constexpr TPluginSettingKey kKeys[] = {
        {kSection, "City code", "42", "the city: its code in the module's list of cities"},
        {kSection, "Use proxy-server", "1",
         "1 downloads through [INet] Proxy when one is set (0 or 1)"},
        {kSection, "Source", kSourceForecast,
         "open-meteo (the public forecast service) or export (a server given in Server)"},
        {kSection, "Server", "",
         "base address of the source's server (empty: open-meteo's public one)"},
        {nullptr, nullptr, nullptr, nullptr},
    };
    return kKeys;
}

ORVANTA3_EXPORT int32_t WaitBackgroundForTesting(int32_t timeoutMs) {
    return gSkycast.WaitBackground(timeoutMs);
}
