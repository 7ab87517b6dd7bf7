#include "modules/sensorlink/ProgramLauncher.h"

#include "base/TextUtil.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orv {

namespace {

bool IsDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The file names of the first two command-line words.
bool CommandLineNames(const std::string& cmdline, std::string_view name) {
    size_t start = 0;
    for (int word = 0; word < 2 && start < cmdline.size(); ++word) {
        const size_t end = cmdline.find('\0', start);
        const std::string_view argument =
            std::string_view(cmdline).substr(start, end == std::string::npos ? end : end - start);
        if (BaseName(argument) == name) return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

} // namespace

bool IsProgramRunning(const TSystemTree& tree, const std::string& path) {
    const std::string_view name = BaseName(path);
    if (name.empty()) return false;
    const std::string_view comm = name.substr(0, 15);
    for (const std::string& entry : tree.List("/proc")) {
        if (!IsDigits(entry)) continue;
        const std::string folder = "/proc/" + entry + "/";
        if (tree.ReadLine(folder + "comm") == comm) return true;
        const auto cmdline = tree.Read(folder + "cmdline");
        if (cmdline && CommandLineNames(*cmdline, name)) return true;
    }
    return false;
}

bool StartDetached(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || ::access(path.c_str(), X_OK) != 0)
        return false;
    // Everything the children need is made before fork: after it only async-signal-safe calls.
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        ::setsid();
        if (::fork() != 0) ::_exit(0); // the grandchild is adopted by init and reaped there
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        ::close_range(3, UINT_MAX, 0);
        ::execv(path.c_str(), argv);
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace orv
