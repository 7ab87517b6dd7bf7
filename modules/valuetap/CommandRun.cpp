#include "modules/valuetap/CommandRun.h"

#include "base/UserFolders.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace orv {

namespace {

constexpr const char* kCleanPath = "/usr/local/bin:/usr/bin:/bin";

using TClock = std::chrono::steady_clock;

// A file descriptor closed with its owner.
class TFd {
public:
    explicit TFd(int fd = -1) : fd_(fd) {}
    ~TFd() { Close(); }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

std::string FindProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) return program;
    std::string_view dirs = kCleanPath;
    while (!dirs.empty()) {
        const size_t end = dirs.find(':');
        const std::string candidate = std::string(dirs.substr(0, end)) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        dirs = end == std::string_view::npos ? std::string_view() : dirs.substr(end + 1);
    }
    return {};
}

// Reads what the pipe holds now into output, up to maxBytes; false at its end or at the bound.
bool ReadAvailable(int fd, std::string& output, size_t maxBytes, bool& truncated) {
    char buffer[16384];
    for (;;) {
        if (output.size() >= maxBytes) {
            truncated = true;
            return false;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            const size_t room = maxBytes - output.size();
            output.append(buffer, std::min(static_cast<size_t>(n), room));
            if (static_cast<size_t>(n) > room) truncated = true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && errno == EAGAIN;
    }
}

} // namespace

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            const size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            word.append(line.substr(i + 1, close - i - 1));
            i = close;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i >= line.size()) return std::nullopt;
                if (line[i] == '"') break;
                if (line[i] == '\\' && i + 1 < line.size() &&
                    (line[i + 1] == '"' || line[i + 1] == '\\'))
                    ++i;
                word += line[i];
            }
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
        } else {
            word += c;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

TCommandRun RunCommand(const std::vector<std::string>& words, const std::string& folder,
                       int32_t timeoutMs, size_t maxBytes, std::stop_token stop) {
    TCommandRun run;
    if (words.empty()) return run;
    const std::string program = FindProgram(words[0]);
    if (program.empty()) return run;

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return run;
    TFd readEnd(pipeFds[0]);
    TFd writeEnd(pipeFds[1]);
    ::fcntl(readEnd.Get(), F_SETFL, O_NONBLOCK);

    std::vector<std::string> env = {std::string("PATH=") + kCleanPath, "HOME=" + HomeFolder(),
                                    "LANG=C.UTF-8"};
    std::vector<char*> envp;
    for (std::string& item : env) envp.push_back(item.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.Get(), 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGHUP);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                              POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    writeEnd.Close();
    if (spawned != 0) return run;

    TFd childFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    TFd stopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    std::stop_callback onStop(stop, [&stopFd] {
        const uint64_t one = 1;
        (void)!::write(stopFd.Get(), &one, sizeof one);
    });

    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    bool exited = false;
    run.End = TRunEnd::Failed;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
        if (left.count() <= 0) {
            run.End = TRunEnd::TimedOut;
            break;
        }
        pollfd fds[3] = {
            {stopFd.Get(), POLLIN, 0}, {childFd.Get(), POLLIN, 0}, {readEnd.Get(), POLLIN, 0}};
        const nfds_t count = readEnd.Get() >= 0 ? 3 : 2;
        const int timeout = childFd.Get() >= 0 ? static_cast<int>(left.count())
                                               : std::min<int>(static_cast<int>(left.count()), 50);
        if (::poll(fds, count, timeout) < 0 && errno != EINTR) break;
        if (fds[0].revents) {
            run.End = TRunEnd::Stopped;
            break;
        }
        if (count == 3 && fds[2].revents &&
            !ReadAvailable(readEnd.Get(), run.Output, maxBytes, run.Truncated))
            readEnd.Close(); // its end, or enough of it
        int status = 0;
        if ((childFd.Get() < 0 || fds[1].revents) && ::waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            if (readEnd.Get() >= 0)
                ReadAvailable(readEnd.Get(), run.Output, maxBytes, run.Truncated);
            const bool cutOff = WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE && run.Truncated;
            if (WIFEXITED(status)) run.ExitCode = WEXITSTATUS(status);
            run.End = (WIFEXITED(status) && run.ExitCode == 0) || cutOff ? TRunEnd::Exited
                                                                         : TRunEnd::Failed;
            break;
        }
    }
    if (!exited) {
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return run;
}

} // namespace orv
