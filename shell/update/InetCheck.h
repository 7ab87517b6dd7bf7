// TInetCheck: the update check. Once at start-up, when "Check updates" is on and "Next check"
// has come, a background thread asks the version page (line 1 the newest version, line 2 the
// download address), writes "Next check" (today + 10 days) and "Ver" to the settings file and
// hands the caller what to show: the version label and, for a newer version, the two
// questions. Nothing here blocks: the transfer has time-outs and ends as soon as the check is
// destroyed.
#pragma once

#include "host/SettingsValues.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

namespace orv {

inline constexpr int kDaysBetweenChecks = 10;

// The version page's address: ORVANTA3_UPDATE_URL of the environment when set, else the one
// built in (empty while no version page is published: then no check is made).
std::string UpdateUrl();

// The reply of the version page; nullopt with fewer than two lines or an empty version.
struct TVersionPage {
    std::string NewestVersion;
    std::string DownloadUrl;
};
std::optional<TVersionPage> ParseVersionPage(std::string_view reply);

// Versions compare as byte strings: "3.0.7.9" is newer than "3.0.7.11".
bool IsNewerVersion(std::string_view newest, std::string_view own);

// A check is due when today has reached "Next check": the state file's (StateFile.h), else the
// settings'. A check that got an answer writes "Next check" and "Ver" to both.
bool UpdateCheckDue(const TINetSettings& inet, std::chrono::year_month_day today);
std::chrono::year_month_day LocalToday();

enum class TInetCheckOutcome {
    NotDue,    // "Next check" has not come: no request
    NoAddress, // no version page known: no request
    Failed,    // no answer, a bad one or the settings not writable: nothing written
    UpToDate,  // the page's version is not newer; "Next check" moved on
    NewerVersion,
};

struct TInetCheckResult {
    TInetCheckOutcome Outcome = TInetCheckOutcome::Failed;
    std::string NewestVersion;
    // The download page, only an http or https address (empty otherwise: nothing to open).
    std::string DownloadUrl;
    std::string VersionLabel; // msgLatestVersion + the newest version, when there was one
    std::string Error;        // why it failed, for the curious (never shown)
};

struct TInetCheckOptions {
    std::string SettingsPath; // where "Next check" and "Ver" go
    TINetSettings INet;       // the running settings: proxy and "Next check"
    std::string Url = UpdateUrl();
    std::string OwnVersion = ORVANTA3_VERSION;
    std::chrono::milliseconds ConnectTimeout{10000};
    std::chrono::milliseconds TotalTimeout{30000};
};

// One check, on the caller's thread; stop ends a transfer under way.
TInetCheckResult RunInetCheck(const TInetCheckOptions& options, std::stop_token stop = {});

class TInetCheck {
public:
    // done gets the result on the check's thread (not for NotDue and NoAddress, which make no
    // thread).
    using TDone = std::function<void(const TInetCheckResult&)>;
    TInetCheck(TInetCheckOptions options, TDone done);
    // Stops a transfer under way and waits for the thread: within about a second, whatever the
    // server does. done is not called after that.
    ~TInetCheck();
    TInetCheck(const TInetCheck&) = delete;
    TInetCheck& operator=(const TInetCheck&) = delete;

    // Starts the thread when the check is due and has an address; returns at once. The
    // outcome when no thread was started.
    std::optional<TInetCheckOutcome> Start();
    // The thread has delivered its result (or none was started).
    bool Finished() const;

private:
    TInetCheckOptions options_;
    TDone done_;
    std::jthread thread_;
    std::atomic<bool> finished_{false};
};

} // namespace orv
