// orvanta3d as a service: SIGHUP reads the settings and the job again without dropping the
// panel, the settings file is only read (also one given with --config), systemd hears of
// readiness, reloads and the watchdog, and --verbose traces modules and tags.
#include "tests/daemon/DaemonRun.h"
#include "tests/support/LoopbackHttpServer.h"

#include <chrono>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

using namespace orv;
using namespace orv::test;

namespace {

using DaemonService = DaemonTest;

// The frames of a text mirror written to a file: blocks of rows separated by empty lines.
std::vector<std::vector<std::string>> MirrorFrames(const std::string& text) {
    std::vector<std::vector<std::string>> frames(1);
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) {
            if (!frames.back().empty()) frames.emplace_back();
        } else if (line.size() >= 2 && line.front() == '|' && line.back() == '|') {
            frames.back().push_back(line.substr(1, line.size() - 2));
        }
    }
    if (frames.back().empty()) frames.pop_back();
    return frames;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_ino == b.st_ino && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_size == b.st_size;
}

TEST_F(DaemonService, HangUpShowsTheChangedJobWithoutGoingBackToTheGreeting) {
    const std::string job = docs / "job.orv3";
    WriteText(job, "[One]\nLine1=first job\nShow=1\n");
    const int mirror = ::open((docs / "mirror").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t child = Start({"--job", job, "--tty=text"}, mirror);
    ::close(mirror);
    ASSERT_GE(child, 0);
    ASSERT_TRUE(WaitForFirstRow("first job")) << ReadText(state);

    WriteText(job, "[Two]\nLine1=second job\nLine2=row two\nShow=1\n");
    ::kill(child, SIGHUP);
    EXPECT_TRUE(WaitForPanel([](const auto& rows) {
        return rows.size() == 4 && rows[0].starts_with("second job") &&
               rows[1].starts_with("row two");
    })) << ReadText(state);

    // A job that cannot be read leaves the one shown running, and says so once.
    std::filesystem::remove(job);
    ::kill(child, SIGHUP);
    ::kill(child, SIGTERM);
    const int status = WaitStatus(child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string err = ReadText(docs / "err");
    EXPECT_NE(err.find("cannot read the job file"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

    // Every frame the panel got: the greeting, the first job, the second, the quit message;
    // the greeting never again once the job shows.
    const auto frames = MirrorFrames(ReadText(docs / "mirror"));
    ASSERT_GE(frames.size(), 3u) << ReadText(docs / "mirror");
    EXPECT_TRUE(frames.front().at(0).starts_with("Hello from"));
    EXPECT_TRUE(frames.back().at(0).starts_with("Good bye!"));
    size_t firstJob = 0;
    while (firstJob < frames.size() && !frames[firstJob].at(0).starts_with("first job")) ++firstJob;
    ASSERT_LT(firstJob, frames.size());
    bool second = false;
    for (size_t i = firstJob; i + 1 < frames.size(); ++i) {
        const std::string& row = frames[i].at(0);
        second = second || row.starts_with("second job");
        EXPECT_TRUE(row.starts_with(second ? "second job" : "first job")) << i << ": " << row;
    }
    EXPECT_TRUE(second);
}

TEST_F(DaemonService, TheSettingsFileIsNeverWritten) {
    WriteText(docs / "job.orv3", "[One]\nLine1=$time$ $nowSec[,,,4]$\nShow=1\n");
    // No settings file at all: none appears, and the run goes on in the terminal.
    std::filesystem::remove(docs / "Orvanta3.ini");
    TRun run = Run("--job '" + (docs / "job.orv3") + "' --tty --seconds 1");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(std::filesystem::exists(docs / "Orvanta3.ini"));

    // Settings without the custom character tables, read-only: left exactly as they were, and
    // the panel shows the job.
    const std::string settings = docs / "Orvanta3.ini";
    WriteText(settings, Utf8ToCp1251(kPanelSettings));
    ::chmod(settings.c_str(), 0444);
    struct stat before {};
    ASSERT_EQ(::stat(settings.c_str(), &before), 0);
    run = Run("--job '" + (docs / "job.orv3") + "' --seconds 1");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(PanelRows().at(0), "Good bye!           ");
    struct stat after {};
    ASSERT_EQ(::stat(settings.c_str(), &after), 0);
    EXPECT_TRUE(SameFile(before, after));
    EXPECT_EQ(ReadText(settings), Utf8ToCp1251(kPanelSettings));
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(docs.Path()))
        ++files;
    EXPECT_EQ(files, 5u) << "Orvanta3.ini, job, state file, out, err";
}

TEST_F(DaemonService, ConfigNamesTheSettingsFileForTheProgramAndItsPlugins) {
    // The documents folder has settings without a driver; the given file switches the text
    // driver on, which reads its own section from that file too.
    WriteText(docs / "Orvanta3.ini", "[Common]\nStartMsg=wrong file\n");
    TempDir etc;
    WriteText(etc / "Orvanta3.ini",
              Utf8ToCp1251("[Common]\nJob name=demo.orv3\n" + kPanelSettings.substr(9)));
    WriteText(etc / "demo.orv3", "[One]\nLine1=from etc\nShow=1\n");
    const pid_t child = Start({"--config", etc / "Orvanta3.ini"});
    ASSERT_GE(child, 0);
    EXPECT_TRUE(WaitForFirstRow("from etc")) << ReadText(state) << ReadText(docs / "err");
    ::kill(child, SIGTERM);
    WaitStatus(child);
    EXPECT_EQ(PanelRows().at(0), "Good bye!           ");

    const TRun missing = Run("--config '" + (etc / "none.ini") + "'");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.ErrLines(), 1) << missing.err;
}

// What headlines learns (when to download next) is state: a service's settings file stays as it
// is, and the next start reads the state file and does not download again.
TEST_F(DaemonService, TheNextDownloadGoesToTheStateFileNotToTheSettings) {
    TLoopbackHttpServer server;
    server.Serve("/rss", {200, "application/rss+xml",
                          "<rss><channel><item><title>News one</title></item></channel></rss>"});
    TempDir etc;
    const std::string settings = etc / "Orvanta3.ini";
    WriteText(settings, Utf8ToCp1251(kPanelSettings) + "[headlines.so]\nActive=1\nHard address=" +
                            server.Address() + "/rss\nFresh address=\nReviews address=\n");
    WriteText(etc / "job.orv3", "[News]\nLine1=$3dnewsHard[0]$\nShow=1\n");
    const std::string before = ReadText(settings);
    const std::string environment = Environment() + "XDG_CACHE_HOME='" + (docs / "cache") + "' ";
    const std::string args =
        "--config '" + settings + "' --job '" + (etc / "job.orv3") + "' --seconds 5 --tty=text";

    TRun run = RunWith(environment, args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("|News one"), std::string::npos) << run.out;
    EXPECT_EQ(ReadText(settings), before);
    const std::string stateText = ReadText(stateHome + "/orvanta3/state.ini");
    EXPECT_NE(stateText.find("[headlines.so]"), std::string::npos) << stateText;
    EXPECT_NE(stateText.find("Next download="), std::string::npos) << stateText;

    run = RunWith(environment, args);
    EXPECT_NE(run.out.find("|News one"), std::string::npos) << "from the cache: " << run.out;
    EXPECT_EQ(server.Requests(), 1) << "the next download lies ahead";
    EXPECT_EQ(ReadText(settings), before);
}

TEST_F(DaemonService, VerboseTracesModulesAndTagsAndIsQuietOtherwise) {
    WriteText(docs / "job.orv3", "[One]\nLine1=$time$ $noSuchTag[,,,2]$\nShow=1\n");
    const TRun quiet = Run("--job '" + (docs / "job.orv3") + "' --seconds 1");
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, "");
    const TRun verbose =
        Run("--job '" + (docs / "job.orv3") + "' --seconds 1 --verbose --tty=text");
    EXPECT_EQ(verbose.exitCode, 0);
    for (const char* line :
         {"plugins/hardware/textport.so: on", "current driver: textport.so, active",
          "tag $time: tag 1 of chronos.so",
          "tag $noSuchTag: no module that is on has it, so the panel shows its name"})
        EXPECT_NE(verbose.err.find(line), std::string::npos) << line << "\n" << verbose.err;
    EXPECT_NE(verbose.out.find("noSuchTag"), std::string::npos)
        << "as the trace says: " << verbose.out;
}

// A socket in the place of systemd's notification socket.
class NotifySocket {
public:
    explicit NotifySocket(const std::string& path) : path_(path) {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        const timeval timeout{60, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    }
    ~NotifySocket() { ::close(fd_); }
    // The next message; empty after a minute without one.
    std::string Next() {
        char buffer[512];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    }
    // Messages until one starts with prefix (returned), or none comes for a minute.
    std::string Until(const std::string& prefix, std::vector<std::string>* seen = nullptr) {
        for (std::string m = Next(); !m.empty(); m = Next()) {
            if (m.starts_with(prefix)) return m;
            if (seen) seen->push_back(m);
        }
        return {};
    }

private:
    std::string path_;
    int fd_ = -1;
};

TEST_F(DaemonService, SystemdHearsOfReadinessReloadsAndTheWatchdog) {
    WriteText(docs / "job.orv3", "[One]\nLine1=watched\nShow=1\n");
    NotifySocket notify(docs / "notify");
    ScopedEnv socket("NOTIFY_SOCKET", docs / "notify");
    ScopedEnv watchdog("WATCHDOG_USEC", "400000"); // a sign of life every 200 ms
    const pid_t child = Start({"--job", docs / "job.orv3"});
    ASSERT_GE(child, 0);
    EXPECT_TRUE(notify.Until("READY=1").starts_with("READY=1"));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(notify.Until("WATCHDOG=1"), "WATCHDOG=1") << i;
    ::kill(child, SIGHUP);
    EXPECT_TRUE(notify.Until("RELOADING=1").starts_with("RELOADING=1"));
    EXPECT_TRUE(notify.Until("READY=1").starts_with("READY=1"));
    EXPECT_EQ(notify.Until("WATCHDOG=1"), "WATCHDOG=1");
    ::kill(child, SIGTERM);
    EXPECT_EQ(notify.Until("STOPPING=1"), "STOPPING=1");
    const int status = WaitStatus(child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
