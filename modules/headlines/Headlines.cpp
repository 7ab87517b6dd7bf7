// headlines: three lists of computer news headlines (hardware news, newest reviews, reviews),
// one title per tag, with enumeration tags for one screen per headline.
//
// Where the values come from: LoadSettings reads the cache files (HeadlinesCache.h) while
// "Next download" lies ahead; once it has passed, a download in the background (libcurl, the
// program's proxy when "Use proxy-server" is on) fetches each list's address: a news feed
// gives its item titles, a page in the news site's front-page form is cut at its markers
// (HeadlineLists.h). A download that got everything writes the cache files and the next
// download time, "Refresh timeout" hours ahead, into the state file (StateFile.h) and, where
// the program may write it, the settings file. GetValue only reads the lists under the lock.
#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/LocaleDate.h"
#include "base/MessageBox.h"
#include "base/StateFile.h"
#include "base/TextUtil.h"
#include "base/UserFolders.h"
#include "modules/common/BackgroundTasks.h"
#include "modules/common/CharsetText.h"
#include "modules/common/InternetTransfer.h"
#include "modules/common/ModuleDialog.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/NumberFormat.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/OutsideText.h"
#include "modules/headlines/HeadlinesCache.h"
#include "modules/headlines/HeadlinesDialogApi.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>

using namespace orv;

namespace {

constexpr const char* kSection = "headlines.so";
constexpr const char* kNextDownloadKey = "Next download";
// A feed or front page is a few hundred kilobytes; more is not read.
constexpr TTransferLimits kFeedLimits{.MaxBodyBytes = 4u << 20};
constexpr std::array<const char*, kHeadlineListCount> kAddressKeys = {
    "Hard address", "Fresh address", "Reviews address"};
// The news site's feeds that exist today; its front page no longer has the markers.
constexpr std::array<const char*, kHeadlineListCount> kDefaultAddresses = {
    "https://3dnews.ru/hardware-news/rss/", "", ""};

using TSystemClock = std::chrono::system_clock;

struct THeadlinesSettings {
    bool UseProxy = true;
    int32_t RefreshHours = 5;
    std::array<std::string, kHeadlineListCount> Addresses;
    std::string NextDownload = "01.01.2003";
    TProxy Proxy;
};

THeadlinesSettings ReadSettings(const TIniDocument& ini) {
    THeadlinesSettings s;
    s.UseProxy = ini.ReadBool(kSection, "Use proxy-server", s.UseProxy);
    s.RefreshHours = ini.ReadInteger(kSection, "Refresh timeout", s.RefreshHours);
    if (s.RefreshHours < 1) s.RefreshHours = 1;
    for (size_t list = 0; list < kHeadlineListCount; ++list)
        s.Addresses[list] = std::string(
            Trim(ini.ReadString(kSection, kAddressKeys[list], kDefaultAddresses[list])));
    // The state file's time is the latest; the settings file's serves until there is one.
    s.NextDownload = ReadState(kSection, kNextDownloadKey,
                               ini.ReadString(kSection, kNextDownloadKey, s.NextDownload));
    s.Proxy = ReadProxy(ini, s.UseProxy);
    return s;
}

// "<short date> HH:MM:SS" in local time.
std::string DateTimeText(TSystemClock::time_point when) {
    const std::time_t t = TSystemClock::to_time_t(when);
    std::tm local{};
    ::localtime_r(&t, &local);
    namespace chr = std::chrono;
    const chr::year_month_day date{chr::year(local.tm_year + 1900),
                                   chr::month(static_cast<unsigned>(local.tm_mon + 1)),
                                   chr::day(static_cast<unsigned>(local.tm_mday))};
    char clock[16];
    std::snprintf(clock, sizeof(clock), "%02d:%02d:%02d", local.tm_hour, local.tm_min,
                  local.tm_sec);
    return FormatShortDate(date) + " " + clock;
}

// nullopt for text that is not a date (with an optional time) in the user's format.
std::optional<TSystemClock::time_point> ParseDateTime(std::string_view text) {
    text = Trim(text);
    int hour = 0, minute = 0, second = 0;
    std::string_view datePart = text;
    if (const size_t blank = text.rfind(' '); blank != std::string_view::npos) {
        const std::string clock(text.substr(blank + 1));
        if (std::sscanf(clock.c_str(), "%d:%d:%d", &hour, &minute, &second) >= 2) {
            datePart = Trim(text.substr(0, blank));
        }
    }
    const auto date = ParseShortDate(datePart);
    if (!date) return std::nullopt;
    std::tm local{};
    local.tm_year = static_cast<int>(date->year()) - 1900;
    local.tm_mon = static_cast<int>(static_cast<unsigned>(date->month())) - 1;
    local.tm_mday = static_cast<int>(static_cast<unsigned>(date->day()));
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t t = ::mktime(&local);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    return TSystemClock::from_time_t(t);
}

// A page's text in Windows-1251: its declared charset, else UTF-8 when it is UTF-8.
std::string PageText(const THttpAnswer& answer) {
    std::string charset = CharsetOfContentType(answer.ContentType);
    if (charset.empty() && LooksLikeUtf8(answer.Body)) charset = "utf-8";
    if (charset.empty()) return answer.Body;
    return CharsetToCp1251(answer.Body, charset).value_or(answer.Body);
}

class THeadlinesModule {
public:
    const char* GetValue(int16_t index, const char* param);
    void LoadSettings();
    void Configure();
    int32_t WaitBackground(int32_t timeoutMs) {
        return tasks_.WaitIdle(std::chrono::milliseconds(timeoutMs)) ? 1 : 0;
    }

private:
    void Download(const THeadlinesSettings& settings, std::stop_token stop);

    std::mutex lock_; // the lists
    THeadlines lists_;
    TModuleResult result_;
    TBackgroundTasks tasks_; // last: its threads end before the lists go
};

THeadlinesModule gHeadlines;

const char* THeadlinesModule::GetValue(int16_t index, const char* param) {
    if (index == kClearResultIndex) return result_.Clear();
    if (index < 0 || index >= 2 * static_cast<int16_t>(kHeadlineListCount)) return result_.Keep();
    const auto& list = lists_[static_cast<size_t>(index / 2)];
    std::lock_guard guard(lock_);
    if (index % 2 == 0)
        return result_.Set(list.empty() ? std::string(kSkipMark)
                                        : EnumAnswer(static_cast<long long>(list.size())));
    const auto n = ParseInt32(param ? param : "").value_or(0);
    if (n < 0 || static_cast<size_t>(n) >= list.size()) return result_.Clear();
    return result_.Set(OutsideText(list[static_cast<size_t>(n)]));
}

void THeadlinesModule::LoadSettings() {
    const THeadlinesSettings settings = ReadSettings(TIniFile(SettingsPath()).Read());
    const auto next = ParseDateTime(settings.NextDownload);
    if (next && TSystemClock::now() <= *next) {
        THeadlines cached = ReadHeadlinesCache();
        std::lock_guard guard(lock_);
        lists_ = std::move(cached);
        return;
    }
    {
        std::lock_guard guard(lock_);
        lists_ = {};
    }
    tasks_.Replace([this, settings](std::stop_token stop) { Download(settings, stop); });
}

void THeadlinesModule::Download(const THeadlinesSettings& settings, std::stop_token stop) {
    THeadlines lists;
    bool complete = true;
    std::map<std::string, THttpAnswer> answers; // one request per address
    for (size_t list = 0; list < kHeadlineListCount; ++list) {
        const std::string& address = settings.Addresses[list];
        if (address.empty()) continue;
        auto it = answers.find(address);
        if (it == answers.end())
            it =
                answers.emplace(address, HttpGet(address, settings.Proxy, stop, kFeedLimits)).first;
        const THttpAnswer& answer = it->second;
        if (!answer.Ok) {
            complete = false;
            continue;
        }
        std::string refusal;
        if (auto titles = FeedTitles(answer.Body, &refusal)) {
            lists[list] = std::move(*titles);
            continue;
        }
        if (!refusal.empty()) {
            // The titles shown so far stay.
            ShowMessage(address + ": " + refusal + "; it is not read", "headlines.so", 0);
            std::lock_guard guard(lock_);
            lists[list] = lists_[list];
            complete = false;
            continue;
        }
        TPageHeadlines page = PageHeadlines(PageText(answer));
        lists[list] = std::move(page.Lists[list]);
        complete = complete && page.Ok;
    }
    if (stop.stop_requested()) return;
    {
        std::lock_guard guard(lock_);
        lists_ = lists;
    }
    if (!complete || !WriteHeadlinesCache(lists)) return;
    const auto next = TSystemClock::now() + std::chrono::hours(settings.RefreshHours);
    const std::string text = DateTimeText(next);
    WriteState(kSection, kNextDownloadKey, text);
    if (SettingsWritable()) TIniFile(SettingsPath()).WriteString(kSection, kNextDownloadKey, text);
}

void THeadlinesModule::Configure() {
    auto run = reinterpret_cast<TRunHeadlinesDialogFunc>(
        ModuleDialogEntry("headlines.so", kRunHeadlinesDialogExport));
    if (!run) return;
    TIniFile file(SettingsPath());
    const THeadlinesSettings saved = ReadSettings(file.Read());
    THeadlinesDialogData data{};
    data.UseProxy = saved.UseProxy ? 1 : 0;
    data.RefreshHours = saved.RefreshHours;
    for (size_t list = 0; list < kHeadlineListCount; ++list)
        CopyText(data.Addresses[list], saved.Addresses[list]);
    if (run(&data) != 1) return;
    file.Update([&](TIniDocument& ini) {
        ini.WriteBool(kSection, "Use proxy-server", data.UseProxy != 0);
        ini.WriteInteger(kSection, "Refresh timeout", std::max(1, data.RefreshHours));
        for (size_t list = 0; list < kHeadlineListCount; ++list)
            ini.WriteString(kSection, kAddressKeys[list], data.Addresses[list]);
    });
}

// The lists live as long as the library; a download still running ends with it.
void Finalize() {}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "3DNews site news",
        .Description = "Новости из мира компьютеров: сайт 3dnews.ru\r\rOrvanta3 team"_cp1251,
        .Id = 13,
        .GroupCaption = "Новости: 3DNews"_cp1251,
        .GroupHint = "Новости сайта 3dnews.ru"_cp1251,
        .GetValue = ModuleGetValue<gHeadlines>,
        .LoadSettings = ModuleLoadSettings<gHeadlines>,
        .Configure = ModuleConfigure<gHeadlines>,
        .Finalize = Finalize,
    },
    {
        {.Name = "$3dnewsHardEnum",
         .Caption = "Hardware-новости: перечисление"_cp1251,
         .Example = "$3dnewsHardEnum$",
         .Hint = "Перечисление последних новостей из раздела Hardware"_cp1251},
        {.Name = "$3dnewsHard",
         .Caption = "Hardware-новости"_cp1251,
         .Example = "$3dnewsHard[0]$",
         .Hint = "Краткое содержание новости из раздела Hardware\r\rПараметр Index - номер "
                 "новости (при показе перечисления параметр \"Частота обновления\" следует "
                 "установить \"высокая\")"_cp1251},
        {.Name = "$3dnewsFreshEnum",
         .Caption = "Последние обзоры: перечисление"_cp1251,
         .Example = "$3dnewsFreshEnum$",
         .Hint = "Список последних обзоров на сайте"_cp1251},
        {.Name = "$3dnewsFresh",
         .Caption = "Последние обзоры"_cp1251,
         .Example = "$3dnewsFresh[0]$",
         .Hint = "Название свежего обзора на сайте\r\rПараметр Index - номер обзора (при показе "
                 "перечисления параметр \"Частота обновления\" следует установить "
                 "\"высокая\")"_cp1251},
        {.Name = "$3dnewsReviewsEnum",
         .Caption = "Обзоры: перечисление"_cp1251,
         .Example = "$3dnewsReviewsEnum$",
         .Hint = "Список обзоров на сайте"_cp1251},
        {.Name = "$3dnewsReviews",
         .Caption = "Обзоры"_cp1251,
         .Example = "$3dnewsReviews[0]$",
         .Hint = "Название обзора на сайте\r\rПараметр Index - номер обзора (при показе "
                 "перечисления параметр \"Частота обновления\" следует установить "
                 "\"высокая\")"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT const TPluginSettingKey* settingKeys() {
    static constexpr TPluginSettingKey kKeys[] = {
        {kSection, "Use proxy-server", "1",
         "1 downloads through [INet] Proxy when one is set (0 or 1)"},
        {kSection, "Refresh timeout", "5", "hours between two downloads of the feeds (1 or more)"},
        {kSection, kAddressKeys[0], kDefaultAddresses[0],
         "address of the RSS feed of $3dnewsHard (empty: none)"},
        {kSection, kAddressKeys[1], kDefaultAddresses[1],
         "address of the RSS feed of $3dnewsFresh (empty: none)"},
        {kSection, kAddressKeys[2], kDefaultAddresses[2],
         "address of the RSS feed of $3dnewsReviews (empty: none)"},
        {nullptr, nullptr, nullptr, nullptr},
    };
    return kKeys;
}

ORVANTA3_EXPORT int32_t WaitBackgroundForTesting(int32_t timeoutMs) {
    return gHeadlines.WaitBackground(timeoutMs);
}
