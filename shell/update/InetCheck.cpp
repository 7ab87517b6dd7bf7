#include "shell/update/InetCheck.h"

#include "base/Cp1251.h"
#include "base/LocaleDate.h"
#include "base/TextUtil.h"
#include "host/ProgramMessages.h"
#include "host/Settings.h"
#include "base/StateFile.h"
#include "modules/common/InternetTransfer.h"
#include "modules/common/WallClock.h"

#include <cstdlib>

namespace orv {

namespace {

// A version page is two short lines; anything much larger is not one.
constexpr size_t kMaxReplyBytes = 64 * 1024;

bool IsWebAddress(std::string_view url) {
    const auto startsWithNoCase = [&](std::string_view prefix) {
        return url.size() > prefix.size() && EqualsNoCase(url.substr(0, prefix.size()), prefix);
    };
    return startsWithNoCase("http://") || startsWithNoCase("https://");
}

} // namespace

// ORVANTA3_UPDATE_URL: set by the build (shell/update/CMakeLists.txt).
std::string UpdateUrl() {
    if (const char* url = std::getenv("ORVANTA3_UPDATE_URL")) return url;
    return ORVANTA3_UPDATE_URL;
}

std::optional<TVersionPage> ParseVersionPage(std::string_view reply) {
    std::string lines[2];
    size_t found = 0;
    while (found < 2 && !reply.empty()) {
        const size_t end = reply.find('\n');
        lines[found++] = Trim(reply.substr(0, end));
        reply = end == std::string_view::npos ? std::string_view() : reply.substr(end + 1);
    }
    if (found < 2 || lines[0].empty()) return std::nullopt;
    return TVersionPage{lines[0], lines[1]};
}

namespace {

// The state file keeps the check's keys under the settings' names; it is read first.
constexpr const char* kStateSection = "INet";
constexpr const char* kNextCheckKey = "Next check";
constexpr const char* kVersionKey = "Ver";

} // namespace

bool IsNewerVersion(std::string_view newest, std::string_view own) { return newest > own; }

bool UpdateCheckDue(const TINetSettings& inet, std::chrono::year_month_day today) {
    std::chrono::year_month_day next = inet.NextCheck;
    if (const auto stateNext = ParseShortDate(ReadState(kStateSection, kNextCheckKey, "")))
        next = *stateNext;
    return std::chrono::sys_days(today) >= std::chrono::sys_days(next);
}

std::chrono::year_month_day LocalToday() {
    const TWallTime now = TWallClock().Now();
    return std::chrono::year(now.Year) / std::chrono::month(static_cast<unsigned>(now.Month)) /
           std::chrono::day(static_cast<unsigned>(now.Day));
}

TInetCheckResult RunInetCheck(const TInetCheckOptions& options, std::stop_token stop) {
    TInetCheckResult result;
    const std::chrono::year_month_day today = LocalToday();
    if (!UpdateCheckDue(options.INet, today)) {
        result.Outcome = TInetCheckOutcome::NotDue;
        return result;
    }
    if (options.Url.empty()) {
        result.Outcome = TInetCheckOutcome::NoAddress;
        return result;
    }

    // An empty "Proxy" is a direct connection, whatever "ProxyPort" says.
    const TProxy proxy{options.INet.Proxy, options.INet.ProxyPort};
    const THttpAnswer answer = HttpGet(options.Url, proxy, stop,
                                       {.Connect = options.ConnectTimeout,
                                        .Total = options.TotalTimeout,
                                        .MaxBodyBytes = kMaxReplyBytes});
    if (!answer.Ok) {
        result.Error =
            answer.Error.empty() ? "HTTP status " + std::to_string(answer.Status) : answer.Error;
        return result;
    }
    const std::optional<TVersionPage> page = ParseVersionPage(answer.Body);
    if (!page) {
        result.Error = "the version page has fewer than two lines";
        return result;
    }

    TSettings settings(options.SettingsPath);
    settings.INet.NextCheck = std::chrono::sys_days(today) + std::chrono::days(kDaysBetweenChecks);
    settings.INet.Ver = Utf8ToCp1251(options.OwnVersion);
    WriteState(kStateSection, kNextCheckKey, FormatShortDate(settings.INet.NextCheck));
    WriteState(kStateSection, kVersionKey, settings.INet.Ver);
    if (!settings.SaveUpdateCheck()) {
        result.Error = "cannot write " + options.SettingsPath;
        return result;
    }
    // What a web page says reaches the program as Windows-1251 text.
    result.NewestVersion = Utf8ToCp1251(page->NewestVersion);
    result.VersionLabel = Message(msgLatestVersion) + result.NewestVersion;
    if (IsWebAddress(page->DownloadUrl)) result.DownloadUrl = page->DownloadUrl;
    result.Outcome = IsNewerVersion(page->NewestVersion, options.OwnVersion)
                         ? TInetCheckOutcome::NewerVersion
                         : TInetCheckOutcome::UpToDate;
    return result;
}

TInetCheck::TInetCheck(TInetCheckOptions options, TDone done)
    : options_(std::move(options)), done_(std::move(done)) {}

TInetCheck::~TInetCheck() {
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

std::optional<TInetCheckOutcome> TInetCheck::Start() {
    if (thread_.joinable()) return std::nullopt;
    if (!UpdateCheckDue(options_.INet, LocalToday())) {
        finished_ = true;
        return TInetCheckOutcome::NotDue;
    }
    if (options_.Url.empty()) {
        finished_ = true;
        return TInetCheckOutcome::NoAddress;
    }
    thread_ = std::jthread([this](std::stop_token stop) {
        const TInetCheckResult result = RunInetCheck(options_, stop);
        if (!stop.stop_requested() && done_) done_(result);
        finished_ = true;
    });
    return std::nullopt;
}

bool TInetCheck::Finished() const { return finished_; }

} // namespace orv
