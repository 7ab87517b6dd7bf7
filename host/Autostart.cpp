#include "host/Autostart.h"

#include "base/AtomicFile.h"
#include "base/TextUtil.h"
#include "base/UserFolders.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <limits.h>
#include <unistd.h>

namespace orv {

namespace {

// programFile as the one quoted argument of an Exec key: quoting escapes for '"', '`', '$' and
// '\', then the string escape for '\', and "%%" for a literal '%'. Empty when the path cannot be
// written on one line.
std::string QuotedExec(const std::string& programFile) {
    std::string out = "\"";
    for (const char c : programFile) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
        if (c == '"' || c == '`' || c == '$') out += "\\\\";
        if (c == '\\') out += "\\\\\\";
        if (c == '%') out += '%';
        out += c;
    }
    return out + "\"";
}

} // namespace

std::string AutostartEntryPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string base =
        config && config[0] == '/' ? std::string(config) : HomeFolder() + "/.config";
    return base + "/autostart/orvanta3.desktop";
}

std::string ProgramFile() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

bool ApplyAutostart(bool enabled, const std::string& programFile) {
    const std::string path = AutostartEntryPath();
    if (!enabled) return ::unlink(path.c_str()) == 0 || errno == ENOENT;

    const std::string exec = QuotedExec(programFile);
    if (programFile.empty() || exec.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(DirName(path), ec);
    if (ec) return false;
    return WriteFileAtomic(path, "[Desktop Entry]\n"
                                 "Type=Application\n"
                                 "Name=Orvanta3\n"
                                 "Comment=Shows live information on an LCD panel\n"
                                 "Exec=" +
                                     exec +
                                     "\n"
                                     "Terminal=false\n"
                                     "X-GNOME-Autostart-enabled=true\n");
}

bool ApplyAutostart(bool enabled) { return ApplyAutostart(enabled, ProgramFile()); }

} // namespace orv
