// orvanta3d: runs a job on the configured panel without any window, until SIGINT, SIGTERM or
// SIGQUIT or for a given time, optionally mirroring the display in the terminal. SIGHUP reads
// the settings and the job again. The settings file is only read; what modules learn while
// running goes into the state file (host/StateFile.h).
//
// Exit status: 0 after a run; 2 for a bad command line, settings file or job (found before the
// panel is touched); 1 when no panel can show the job and the terminal mirror was not asked for,
// or when --check finds something.
#include "daemon/CheckCommand.h"
#include "daemon/CommandLine.h"
#include "daemon/PluginInventory.h"
#include "daemon/StarterSettings.h"
#include "daemon/TagListCommand.h"
#include "daemon/ServiceNotifier.h"
#include "appcore/TerminalMirror.h"
#include "font/Font5x8.h"
#include "abi/ConstUnit.h"
#include "appcore/ApplicationCore.h"
#include "appcore/remote/BusRemoteService.h"
#include "appcore/web/WebCore.h"
#include "base/Cp1251.h"
#include "base/MessageBox.h"
#include "base/StateFile.h"
#include "base/TextUtil.h"
#include "base/Trace.h"
#include "base/UserFolders.h"

#include <array>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <iostream>
#include <optional>
#include <termios.h>
#include <unistd.h>

using namespace orv;

// Messages of drivers and modules: one line on standard error.
ORVANTA3_EXPORT void Orvanta3MessageBox(const char* text, const char* caption, int /*flags*/) {
    const std::string line = FormatErrorLine(text ? text : "", caption ? caption : "");
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

// The trace lines of modules (--verbose).
ORVANTA3_EXPORT void Orvanta3Trace(const char* text) { Trace(text ? text : ""); }

namespace {

constexpr int kExitBadInput = 2;
constexpr int kExitNoPanel = 1;

void Say(const std::string& message) {
    std::fprintf(stderr, "orvanta3d: %s\n", EscapeControlBytes(message).c_str());
}

int Fail(const std::string& message) {
    Say(message);
    return kExitBadInput;
}

// The font of the virtual display: the 5 x 8 glyphs with codes 1..8 replaced by the custom
// characters as they are loaded.
class TMirrorFont final : public TCustomCharObserver {
public:
    void CustomCharLoaded(uint8_t code, const TGlyphRows& rows) override {
        std::lock_guard lock(mutex_);
        if (code >= 1 && code <= kCustomSlotCount) custom_[code - 1] = rows;
    }
    TGlyph Glyph(uint8_t code) {
        std::lock_guard lock(mutex_);
        if (code >= 1 && code <= kCustomSlotCount && custom_[code - 1]) return *custom_[code - 1];
        return Font5x8Glyph(code);
    }

private:
    std::mutex mutex_;
    std::array<std::optional<TGlyph>, kCustomSlotCount> custom_{};
};

class TMirrorSink final : public TFrameSink {
public:
    explicit TMirrorSink(TTerminalMirror& mirror) : mirror_(mirror) {}
    void ShowFrame(const std::vector<std::string>& rows) override { mirror_.ShowFrame(rows); }

private:
    TTerminalMirror& mirror_;
};

// A screen without "Show=1" (a hand-written job easily lacks the key) is never shown.
void WarnIfNothingToShow(const TJob& job, const std::string& jobPath) {
    if (!job.AnyScreenShown())
        Say("the job " + jobPath + " has no screen with Show=1: the panel shows nothing of it");
}

bool IsUnreadable(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), R_OK) != 0;
}

// The signals the main thread waits for: the ends of a run, and SIGHUP.
sigset_t RunSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGQUIT, SIGHUP}) sigaddset(&signals, signal);
    return signals;
}

using TSteadyClock = std::chrono::steady_clock;

// Waits for one of the signals; SIGHUP gives true, an end signal or the end of the run time
// (deadline; the largest time point for none) false.
bool WaitForReload(const sigset_t& signals, TSteadyClock::time_point deadline) {
    for (;;) {
        int signal = 0;
        if (deadline == TSteadyClock::time_point::max()) {
            if (::sigwait(&signals, &signal) != 0) continue;
        } else {
            const auto left = deadline - TSteadyClock::now();
            if (left <= TSteadyClock::duration::zero()) return false;
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            const timespec timeout{static_cast<time_t>(ns / 1'000'000'000),
                                   static_cast<long>(ns % 1'000'000'000)};
            signal = ::sigtimedwait(&signals, nullptr, &timeout);
            if (signal < 0) {
                if (errno == EINTR) continue;
                return false; // the time is up
            }
        }
        return signal == SIGHUP;
    }
}

// The password from the terminal without echo, or the first line of standard input.
std::string ReadPassword() {
    const bool terminal = ::isatty(STDIN_FILENO) == 1;
    termios saved{};
    if (terminal) {
        std::fputs("web interface password: ", stderr);
        ::tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string password;
    std::getline(std::cin, password);
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fputs("\n", stderr);
    }
    return password;
}

} // namespace

int main(int argc, char** argv) {
    const auto parsed = ParseDaemonCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* error = std::get_if<std::string>(&parsed)) return Fail(*error);
    const TDaemonOptions& options = std::get<TDaemonOptions>(parsed);
    if (options.help) {
        std::fputs(kDaemonUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("orvanta3d %s\n", ORVANTA3_VERSION);
        return 0;
    }

    SetTraceEnabled(options.verbose);
    if (!options.initPath.empty()) {
        const std::string failure = WriteStarterSettings(
            options.initPath, StarterSettingsText(InventoryPlugins(ProgramFolder(), "")));
        if (!failure.empty()) return Fail(failure);
        std::printf("wrote %s: switch a driver and modules on with Active=1, set \"Job name\"\n",
                    options.initPath.c_str());
        return 0;
    }
    // The settings file of the command line, for the program and (through the environment) for
    // its plug-ins; a service's settings file has to be there.
    std::string settingsPath;
    if (!options.configPath.empty()) {
        std::error_code ec;
        settingsPath = std::filesystem::absolute(options.configPath, ec).lexically_normal();
        if (ec || !std::filesystem::is_regular_file(settingsPath, ec))
            return Fail("the settings file " + options.configPath + " does not exist");
        ::setenv(kSettingsPathVariable, settingsPath.c_str(), 1);
    }

    // The plug-ins keep what they learn in the state file, never in the settings file.
    ::setenv(kSettingsReadOnlyVariable, "1", 1);

    // A closed standard output ends the mirror, not the program.
    std::signal(SIGPIPE, SIG_IGN);
    // Signals are taken by the main thread alone: block them before any thread starts.
    const sigset_t signals = RunSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    TApplicationCore core({.ProgramFolder = {},
                           .SettingsPath = settingsPath,
                           .WriteSettings = false,
                           .ListInactiveModules = false});
    if (IsUnreadable(core.Settings().Path()))
        return Fail("cannot read the settings file " + core.Settings().Path());
    Trace("settings file: " + core.Settings().Path());
    if (options.webPassword) {
        const std::string password = ReadPassword();
        if (password.empty()) return Fail("no password given: nothing stored");
        const std::string failure = StoreWebPassword(core.Settings().Path(), password);
        if (!failure.empty()) return Fail(failure);
        std::printf("stored the web interface's password in %s\n", core.Settings().Path().c_str());
        return 0;
    }
    // The web interface: [Web] Active=1 or --web; refused before the panel is touched when
    // its address or password does not do.
    TWebSettings webSettings = ReadWebSettings(core.Settings().Path());
    if (!options.webAddress.empty()) {
        const auto address = ParseWebAddress(options.webAddress);
        if (!address) return Fail("--web needs ADDRESS:PORT, not \"" + options.webAddress + "\"");
        webSettings.Active = true;
        webSettings.Address = address->first;
        webSettings.Port = address->second;
    }
    if (webSettings.Active) {
        if (const std::string problem = WebSettingsProblem(webSettings); !problem.empty())
            return Fail("web interface: " + problem);
    }
    if (options.listTags) return ListTags(core.Settings().Path(), stdout);
    if (options.listModules) return ListModules(core.Settings().Path(), stdout);
    if (!options.checkJobPath.empty()) {
        std::string error;
        const int status =
            CheckJobAndSettings(core.Settings().Path(), options.checkJobPath, stdout, error);
        return status == 2 ? Fail("cannot read the job file " + options.checkJobPath + ": " + error)
                           : status;
    }

    // The job, read and checked before the panel shows anything: the command line's, else
    // "Job name" of the settings.
    core.Settings().ReadEarly();
    const std::string jobPath = !options.jobPath.empty() ? options.jobPath : core.SettingsJobPath();
    if (jobPath.empty())
        return Fail("no job: give --job FILE or set \"Job name\" in " + core.Settings().Path());
    std::string error;
    if (!core.LoadJob(jobPath, &error))
        return Fail("cannot read the job file " + jobPath + ": " + error);
    if (core.Job().Count() == 0) return Fail("the job " + jobPath + " has no screens");
    WarnIfNothingToShow(core.Job(), jobPath);

    TMirrorFont font;
    TTerminalMirror mirror(stdout, options.tty, ::isatty(STDOUT_FILENO) == 1,
                           [&font](uint8_t code) { return font.Glyph(code); });
    TMirrorSink sink(mirror);
    if (options.tty != TTtyMode::Off) {
        core.SetCustomCharObserver(&font);
        core.SetFrameSink(&sink);
    }

    core.StartUp([](std::string_view step) { Trace(step); });
    // Without a panel the run shows nothing unless the terminal mirrors it; the reason has been
    // said during start-up.
    if (!core.PanelActive() && options.tty == TTtyMode::Off) {
        core.Shutdown();
        return kExitNoPanel;
    }
    // The watchdog's sign of life comes with the ticks of the display thread.
    TServiceNotifier notifier;
    if (const auto interval = notifier.WatchdogInterval(); interval.count() > 0) {
        core.Thread().SetHeartbeat(
            [&notifier] { notifier.Beat(); },
            std::chrono::duration_cast<std::chrono::milliseconds>(interval / 2));
        Trace("watchdog: a sign of life every " + std::to_string(interval.count() / 2000) + " ms");
    }
    if (!core.StartJob()) {
        core.Shutdown();
        return Fail("the job " + jobPath + " has no screens");
    }
    notifier.Ready();
    Trace("job " + jobPath + ": " + std::to_string(core.Job().Count()) + " screens");

    // SIGHUP and orvanta3ctl reload: the settings and the job read again; when that fails the
    // job shown so far goes on.
    std::function<void()> jobChanged; // set while the web interface runs
    auto reload = [&]() -> std::string {
        notifier.Reloading();
        std::string reason;
        if (core.Reload(options.jobPath, &reason)) {
            Trace("reloaded: " + std::to_string(core.Job().Count()) + " screens");
            WarnIfNothingToShow(core.Job(),
                                options.jobPath.empty() ? core.SettingsJobPath() : options.jobPath);
            reason.clear();
            if (jobChanged) jobChanged();
        } else {
            Say(reason + "; the job shown so far goes on");
        }
        notifier.Ready();
        return reason;
    };
    // orvanta3ctl and other programs flip the screens, read the rows and reload through the
    // session bus, when there is one; the run goes on without it.
    TBusRemoteService remote(core, reload);
    if (!remote.Running()) Trace("remote control: " + remote.Error());
    TWebInterface web(core);
    web.SetCoreAccess(
        [&remote] { return remote.Reload(); },
        [&remote](const std::function<std::string()>& read) { return remote.WithCore(read); });
    if (webSettings.Active && !web.Start(webSettings)) {
        notifier.Stopping();
        remote.Stop();
        core.Shutdown();
        return Fail("web interface: " + web.Error());
    }
    // Under the reload's lock: a reload on the bus thread sees it set or not, never half.
    remote.WithCore([&] {
        jobChanged = [&web] { web.JobChanged(); };
        return std::string();
    });

    // --seconds counts from the start of the job, however long start-up took.
    const TSteadyClock::time_point deadline =
        options.seconds ? TSteadyClock::now() + std::chrono::seconds(*options.seconds)
                        : TSteadyClock::time_point::max();
    while (WaitForReload(signals, deadline)) remote.Reload();
    notifier.Stopping();
    remote.WithCore([&] {
        jobChanged = nullptr;
        return std::string();
    });
    web.Stop();
    remote.Stop();
    core.Shutdown();
    return 0;
}
