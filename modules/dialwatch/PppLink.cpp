#include "modules/dialwatch/PppLink.h"

#include "base/TextUtil.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <net/if.h>
#include <net/if_arp.h>
#include <sys/stat.h>

namespace orv {

namespace {

// pppd 2.4 writes its pid files to /run, pppd 2.5 to /run/pppd.
constexpr std::array<const char*, 2> kRunFolders = {"/run/", "/run/pppd/"};

// The words of a pppd options file: blanks separate them, '#' starts a comment, quotes group
// words and a backslash takes the next character as it is.
void AppendOptionWords(std::string_view text, std::vector<std::string>& words) {
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '#' && !inWord) {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (c == '"' || c == '\'') {
            inWord = true;
            for (++i; i < text.size() && text[i] != c; ++i) word += text[i];
        } else if (c == '\\' && i + 1 < text.size()) {
            inWord = true;
            word += text[++i];
        } else if (IsBlank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            word += c;
        }
    }
    if (inWord) words.push_back(std::move(word));
}

bool IsNumber(std::string_view word) {
    return !word.empty() && word.size() <= 9 &&
           word.find_first_not_of("0123456789") == std::string_view::npos;
}

// pppd's options that take an argument: a number after them is that argument, not the speed.
bool TakesArgument(std::string_view option) {
    static constexpr std::array<std::string_view, 64> kOptions = {"active-filter",
                                                                  "asyncmap",
                                                                  "bsdcomp",
                                                                  "call",
                                                                  "chap-interval",
                                                                  "chap-max-challenge",
                                                                  "chap-restart",
                                                                  "child-timeout",
                                                                  "connect",
                                                                  "connect-delay",
                                                                  "deflate",
                                                                  "demand-delay",
                                                                  "disconnect",
                                                                  "domain",
                                                                  "eap-interval",
                                                                  "eap-max-rreq",
                                                                  "eap-max-sreq",
                                                                  "eap-restart",
                                                                  "eap-timeout",
                                                                  "escape",
                                                                  "file",
                                                                  "holdoff",
                                                                  "idle",
                                                                  "ifname",
                                                                  "init",
                                                                  "ipcp-max-configure",
                                                                  "ipcp-max-failure",
                                                                  "ipcp-max-terminate",
                                                                  "ipcp-restart",
                                                                  "ipparam",
                                                                  "kdebug",
                                                                  "lcp-echo-failure",
                                                                  "lcp-echo-interval",
                                                                  "lcp-max-configure",
                                                                  "lcp-max-failure",
                                                                  "lcp-max-terminate",
                                                                  "lcp-restart",
                                                                  "linkname",
                                                                  "logfd",
                                                                  "logfile",
                                                                  "maxconnect",
                                                                  "maxfail",
                                                                  "mru",
                                                                  "mrru",
                                                                  "ms-dns",
                                                                  "ms-wins",
                                                                  "mtu",
                                                                  "name",
                                                                  "pap-max-authreq",
                                                                  "pap-restart",
                                                                  "pap-timeout",
                                                                  "password",
                                                                  "pass-filter",
                                                                  "plugin",
                                                                  "pty",
                                                                  "remotename",
                                                                  "remotenumber",
                                                                  "socket",
                                                                  "unit",
                                                                  "user",
                                                                  "vj-max-slots",
                                                                  "welcome",
                                                                  "ipv6cp-restart",
                                                                  "ipv6cp-max-configure"};
    return std::find(kOptions.begin(), kOptions.end(), option) != kOptions.end();
}

std::string_view WithoutDev(std::string_view device) {
    return device.starts_with("/dev/") ? device.substr(5) : device;
}

// Device, its type and the serial speed from pppd's option words.
void ReadDevice(const TSystemTree& tree, const std::vector<std::string>& words, TPppLink& link) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        const std::string_view next = i + 1 < words.size() ? words[i + 1] : std::string_view();
        if (word == "plugin" || word == "pty") {
            if (next.find("pppoe") != std::string_view::npos) {
                link.DeviceType = "PPPoE";
            } else if (next.find("pptp") != std::string_view::npos ||
                       next.find("l2tp") != std::string_view::npos) {
                link.DeviceType = "vpn";
                if (word == "pty") link.DeviceName = BaseName(next.substr(0, next.find(' ')));
            }
            ++i;
        } else if (word.starts_with("nic-")) {
            link.DeviceName = word.substr(4);
        } else if (link.DeviceType == "PPPoE" && link.DeviceName.empty() &&
                   tree.ReadLine("/sys/class/net/" + std::string(word) + "/ifindex")) {
            link.DeviceName = word; // the plug-in also takes the bare interface name
        } else if (word.starts_with("/dev/") || word.starts_with("tty")) {
            link.DeviceName = WithoutDev(word);
            link.DeviceType = link.DeviceName.starts_with("ttyI") ? "isdn" : "modem";
        } else if (IsNumber(word) && (i == 0 || !TakesArgument(words[i - 1]))) {
            // A number where an option belongs is the serial speed.
            link.SpeedBps = std::stoll(std::string(word));
        }
    }
    if (link.DeviceType == "PPPoE" && !link.DeviceName.empty()) {
        const auto mbps = tree.ReadInteger("/sys/class/net/" + link.DeviceName + "/speed");
        link.SpeedBps = mbps && *mbps > 0 ? std::optional(*mbps * 1000000) : std::nullopt;
    }
}

std::optional<int64_t> PidOfFile(const TSystemTree& tree, const std::string& path) {
    const auto text = tree.Read(path);
    if (!text) return std::nullopt;
    const auto pid = ParseInt32(std::string_view(*text).substr(0, text->find('\n')));
    return pid && *pid > 0 ? std::optional<int64_t>(*pid) : std::nullopt;
}

std::optional<uint64_t> ModifiedMs(const TSystemTree& tree, const std::string& path) {
    struct stat st {};
    if (::stat(tree.Path(path).c_str(), &st) != 0) return std::nullopt;
    return static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000 +
           static_cast<uint64_t>(st.st_mtim.tv_nsec) / 1000000;
}

// The unit's pid file (/run/ppp0.pid) and the link's (/run/ppp-NAME.pid, whose second line is
// the interface) give pppd's process, the time the unit came up and the link name.
void ReadRunFiles(const TSystemTree& tree, TPppLink& link, std::optional<int64_t>& pid) {
    for (const char* folder : kRunFolders) {
        const std::string unitFile = folder + link.Interface + ".pid";
        if (const auto unitPid = PidOfFile(tree, unitFile)) {
            pid = unitPid;
            link.UpSinceMs = ModifiedMs(tree, unitFile);
        }
        for (const std::string& name : tree.List(folder)) {
            if (!name.starts_with("ppp-") || !name.ends_with(".pid")) continue;
            const auto text = tree.Read(folder + name);
            const size_t firstEnd = text ? text->find('\n') : std::string::npos;
            if (firstEnd == std::string::npos) continue;
            const std::string_view second = std::string_view(*text).substr(firstEnd + 1);
            if (Trim(second.substr(0, second.find('\n'))) != link.Interface) continue;
            link.EntryName = name.substr(4, name.size() - 8);
            if (!pid) pid = PidOfFile(tree, folder + name);
        }
    }
}

} // namespace

std::vector<std::string> PppdOptions(const TSystemTree& tree, int64_t pid) {
    std::vector<std::string> words;
    if (const auto defaults = tree.Read("/etc/ppp/options")) AppendOptionWords(*defaults, words);
    const auto cmdline = tree.Read("/proc/" + std::to_string(pid) + "/cmdline");
    if (!cmdline) return words;
    std::vector<std::string> arguments;
    for (size_t start = 0; start < cmdline->size();) {
        const size_t end = std::min(cmdline->find('\0', start), cmdline->size());
        arguments.emplace_back(cmdline->substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 1; i < arguments.size(); ++i) { // argument 0 is the program
        const std::string& argument = arguments[i];
        if ((argument == "call" || argument == "file") && i + 1 < arguments.size()) {
            const std::string& name = arguments[++i];
            words.push_back(argument);
            words.push_back(name);
            const std::string path =
                argument == "call" ? "/etc/ppp/peers/" + std::string(BaseName(name)) : name;
            if (const auto text = tree.Read(path)) AppendOptionWords(*text, words);
        } else {
            words.push_back(argument);
        }
    }
    return words;
}

std::optional<TPppLink> FindActivePppLink(const TSystemTree& tree) {
    // Only PPP interfaces need their index: this runs on every call.
    std::optional<TPppLink> found;
    int64_t foundIndex = INT64_MAX;
    for (const std::string& name : tree.List("/sys/class/net")) {
        const std::string folder = "/sys/class/net/" + name + "/";
        if (tree.ReadInteger(folder + "type") != ARPHRD_PPP) continue;
        const std::string flags = tree.ReadLine(folder + "flags").value_or("0");
        if ((std::strtoull(flags.c_str(), nullptr, 16) & IFF_UP) == 0) continue;
        const int64_t index = tree.ReadInteger(folder + "ifindex").value_or(INT64_MAX);
        if (found && index >= foundIndex) continue;
        found.emplace();
        found->Interface = name;
        foundIndex = index;
    }
    if (!found) return std::nullopt;
    TPppLink& link = *found;
    std::optional<int64_t> pid;
    ReadRunFiles(tree, link, pid);
    const std::vector<std::string> options =
        pid ? PppdOptions(tree, *pid) : std::vector<std::string>{};
    if (link.EntryName.empty()) {
        const auto call = std::find(options.begin(), options.end(), "call");
        if (call != options.end() && call + 1 != options.end()) link.EntryName = *(call + 1);
    }
    if (link.EntryName.empty()) link.EntryName = link.Interface;
    ReadDevice(tree, options, link);
    return found;
}

std::optional<std::string> MissingPppSupport(const TSystemTree& tree) {
    struct stat st {};
    if (::stat(tree.Path("/dev/ppp").c_str(), &st) == 0) return std::nullopt;
    return "PPP not available: /dev/ppp missing";
}

} // namespace orv
