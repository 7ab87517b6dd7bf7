#include "base/UserFolders.h"

#include "base/AtomicFile.h"
#include "base/TextUtil.h"

#include <cstdlib>
#include <dlfcn.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs, with $HOME expanded; empty when absent.
std::string UserDirsDocuments(const std::string& home) {
    const std::string config = EnvOr("XDG_CONFIG_HOME", home + "/.config");
    const auto text = ReadWholeFile(config + "/user-dirs.dirs");
    if (!text) return {};
    std::string_view rest = *text;
    while (!rest.empty()) {
        const size_t nl = rest.find('\n');
        std::string_view line = Trim(rest.substr(0, nl));
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        constexpr std::string_view key = "XDG_DOCUMENTS_DIR=";
        if (!line.starts_with(key)) continue;
        std::string_view value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.starts_with("$HOME")) return home + std::string(value.substr(5));
        if (value.starts_with("/")) return std::string(value);
    }
    return {};
}

} // namespace

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

std::string DocumentsFolder() {
    if (const char* env = std::getenv("XDG_DOCUMENTS_DIR"); env && *env) return env;
    const std::string home = HomeFolder();
    if (std::string dir = UserDirsDocuments(home); !dir.empty()) return dir;
    if (IsDirectory(home + "/Documents")) return home + "/Documents";
    return home;
}

std::string SettingsPath() {
    if (const char* env = std::getenv(kSettingsPathVariable); env && *env) return env;
    return DocumentsFolder() + "/Orvanta3.ini";
}

std::string ProgramFolder() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    return DirName(std::string_view(buf, static_cast<size_t>(n)));
}

std::string FileOfAddress(const void* address) {
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || !info.dli_fname) return ProgramFolder() + "/";
    char resolved[PATH_MAX];
    if (::realpath(info.dli_fname, resolved)) return resolved;
    return info.dli_fname;
}

std::string FolderOfAddress(const void* address) { return DirName(FileOfAddress(address)); }

} // namespace orv
