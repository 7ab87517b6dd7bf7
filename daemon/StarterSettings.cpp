#include "daemon/StarterSettings.h"

#include "base/IniFile.h"
#include "host/SettingKeys.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

// Run-time state the program keeps in the settings file: not for a person to set.
bool IsConfiguration(const TSettingKey& key) {
    return key.Field && key.Write != TSettingWrite::UpdateCheck;
}

class TStarterWriter {
public:
    void Section(const std::string& name) {
        if (!text_.empty()) text_ += "\n";
        text_ += "[" + name + "]\n";
    }
    void Key(const std::string& comment, const std::string& key, const std::string& value) {
        Line(comment, key + "=" + value);
    }
    void Line(const std::string& comment, const std::string& line) {
        text_ += "; " + comment + "\n" + line + "\n";
    }
    void Comment(const std::string& comment) { text_ += "; " + comment + "\n"; }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

// The line of one key as the program's settings save writes it (quotes where needed, dates in
// the user's format); empty for a key without a default ("Top" of a window not yet placed).
std::string StoredLine(const TSettingKey& key) {
    TIniDocument one;
    WriteSettingValue(one, key, SettingDefault(key));
    if (!one.Find(key.Section, key.Key)) return {};
    const std::string text = one.Serialize();
    const size_t start = text.find('\n') + 1;
    std::string line = text.substr(start, text.find('\n', start) - start);
    if (line.ends_with('\r')) line.pop_back();
    return line;
}

void WriteProgramKeys(TStarterWriter& out) {
    const char* section = nullptr;
    for (const TSettingKey& key : SettingKeys()) {
        if (!IsConfiguration(key)) continue;
        const std::string line = StoredLine(key);
        if (line.empty()) continue;
        if (!section || std::strcmp(section, key.Section) != 0) out.Section(key.Section);
        section = key.Section;
        out.Line(key.Comment, line);
    }
}

void WritePlugin(TStarterWriter& out, const TInventoryPlugin& plugin,
                 std::map<std::string, bool>& sectionsWritten) {
    out.Section(plugin.FileName);
    out.Key(std::string("1 switches on the ") + KindWord(plugin.Kind) +
                (plugin.Name.empty() ? std::string() : " \"" + plugin.Name + "\"") +
                (plugin.Kind == TModuleKind::Driver ? " (one driver at a time)" : "") + " (0 or 1)",
            "Active", "0");
    std::string current = plugin.FileName;
    for (const TInventoryKey& key : plugin.Keys) {
        if (key.Section != current) {
            // Several plug-ins may read one shared section: it is written once.
            if (sectionsWritten[key.Section]) continue;
            out.Section(key.Section);
            out.Comment("read by " + plugin.FileName);
            current = key.Section;
        }
        out.Key(key.Comment, key.Key, key.Default);
    }
    sectionsWritten[plugin.FileName] = true;
    if (current != plugin.FileName) sectionsWritten[current] = true;
}

} // namespace

std::string StarterSettingsText(const std::vector<TInventoryPlugin>& plugins) {
    TStarterWriter out;
    out.Comment("Orvanta3 settings, written by orvanta3d --init. Every key has its default;");
    out.Comment("switch a driver and the modules you want on with Active=1. Lines starting with");
    out.Comment("';' are comments, which the programs keep when they save this file.");
    WriteProgramKeys(out);
    std::map<std::string, bool> sectionsWritten;
    for (const TInventoryPlugin& plugin : plugins)
        if (plugin.Problem.empty()) WritePlugin(out, plugin, sectionsWritten);
    return out.Take();
}

std::string WriteStarterSettings(const std::string& path, const std::string& text) {
    std::error_code ec;
    if (std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found)
        return path + " exists already; it is left as it is";
    const std::filesystem::path target = std::filesystem::absolute(path, ec);
    std::string temp = (target.parent_path() / ".orvanta3-init-XXXXXX").string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return "cannot write in the folder of " + path + ": " + std::strerror(errno);
    // mkstemp makes the file private; a settings file has the mode any new file would have.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool written = ::fchmod(fd, 0666 & ~mask) == 0;
    for (size_t done = 0; written && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) done += static_cast<size_t>(n);
    }
    written = written && ::fsync(fd) == 0;
    const int writeErrno = errno;
    ::close(fd);
    // link() puts the whole file in place, and never over one that appeared meanwhile.
    std::string failure;
    if (!written)
        failure = "cannot write " + path + ": " + std::strerror(writeErrno);
    else if (::link(temp.c_str(), target.c_str()) != 0)
        failure = errno == EEXIST ? path + " exists already; it is left as it is"
                                  : "cannot write " + path + ": " + std::strerror(errno);
    ::unlink(temp.c_str());
    return failure;
}

} // namespace orv
