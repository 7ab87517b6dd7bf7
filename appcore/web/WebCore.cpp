#include "appcore/web/WebCore.h"

#include "appcore/ApplicationCore.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/TextUtil.h"
#include "base/UserFolders.h"
#include "engine/Transitions.h"
#include "host/ProgramMessages.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace orv {

namespace {

using json = nlohmann::json;

const char* const kWebSection = "Web";
constexpr size_t kMaxPemSize = 64 * 1024;

// The library beside the program; loaded once, never unloaded (its code may still be on a
// stack of a thread that just ended).
void* WebLibrary(std::string& error) {
    static void* library = nullptr;
    if (library) return library;
    const std::string path = ProgramFolder() + "/" + kWebLibraryName;
    library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = ::dlerror();
        error = "cannot load " + path + ": " + (reason ? reason : "unknown error");
    }
    return library;
}

template <typename F> F WebSymbol(const char* name, std::string& error) {
    void* library = WebLibrary(error);
    if (!library) return nullptr;
    auto symbol = reinterpret_cast<F>(::dlsym(library, name));
    if (!symbol) error = std::string(kWebLibraryName) + " lacks " + name;
    return symbol;
}

bool ReadSmallFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return text.size() <= kMaxPemSize;
}

std::string Colour(int32_t bgr) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", bgr & 0xff, (bgr >> 8) & 0xff,
                  (bgr >> 16) & 0xff);
    return text;
}

// A row as text: the custom characters (codes 1..8) as a placeholder.
std::string RowText(const std::string& row) {
    std::string text;
    for (char c : row) text += (c >= 1 && c <= 8) ? '?' : c;
    return Cp1251ToUtf8(text);
}

} // namespace

std::optional<std::pair<std::string, uint16_t>> ParseWebAddress(const std::string& text) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    std::string host = text.substr(0, colon);
    if (host.starts_with('[') && host.ends_with(']')) host = host.substr(1, host.size() - 2);
    const std::string portText = text.substr(colon + 1);
    unsigned port = 0;
    const auto [end, ec] =
        std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (ec != std::errc() || end != portText.data() + portText.size() || port == 0 ||
        port > 65535 || host.empty())
        return std::nullopt;
    return std::make_pair(host, static_cast<uint16_t>(port));
}

TWebSettings ReadWebSettings(const std::string& settingsPath) {
    const TIniDocument doc = TIniFile(settingsPath).Read();
    TWebSettings settings;
    settings.Active = doc.ReadBool(kWebSection, "Active", false);
    const std::string address = doc.ReadString(kWebSection, "Address", "127.0.0.1:8080");
    if (const auto parsed = ParseWebAddress(address)) {
        settings.Address = parsed->first;
        settings.Port = parsed->second;
    } else {
        settings.Address = address; // refused with its reason when the server starts
        settings.Port = 0;
    }
    settings.PasswordHash = doc.ReadString(kWebSection, "PasswordHash", "");
    auto file = [&](const char* key) {
        const std::string name = doc.ReadString(kWebSection, key, "");
        return name.empty() || name.starts_with('/') ? name : DirName(settingsPath) + "/" + name;
    };
    settings.Certificate = file("Certificate");
    settings.Key = file("Key");
    return settings;
}

std::string StoreWebPassword(const std::string& settingsPath, const std::string& password) {
    std::string error;
    auto hash = WebSymbol<TOrvanta3WebHashPassword>(kWebHashPasswordSymbol, error);
    if (!hash) return error;
    std::string hashed;
    if (!hash(password, hashed, error)) return error;
    if (!TIniFile(settingsPath).WriteString(kWebSection, "PasswordHash", hashed))
        return "cannot write " + settingsPath;
    return {};
}

std::string WebSettingsProblem(const TWebSettings& settings) {
    if (settings.Port == 0) return "[Web] Address \"" + settings.Address + "\" is not ADDRESS:PORT";
    if (!IsLoopbackAddress(settings.Address) && settings.PasswordHash.empty())
        return "the web interface would listen on " + settings.Address +
               ", which other computers can reach, and no password is set: set one with "
               "orvanta3d --web-password";
    return {};
}

TWebInterface::TWebInterface(TApplicationCore& core) : core_(core) {}

TWebInterface::~TWebInterface() { Stop(); }

bool TWebInterface::Start(const TWebSettings& settings) {
    Stop();
    error_ = WebSettingsProblem(settings);
    if (!error_.empty()) return false;
    TWebConfig config;
    config.Address = settings.Address;
    config.Port = settings.Port;
    config.PasswordHash = settings.PasswordHash;
    config.Language = core_.Settings().Common.Language.empty() ? "ru" : "en";
    if (!settings.Certificate.empty() || !settings.Key.empty()) {
        if (!ReadSmallFile(settings.Certificate, config.CertificatePem)) {
            error_ = "cannot read the certificate " + settings.Certificate;
            return false;
        }
        if (!ReadSmallFile(settings.Key, config.KeyPem)) {
            error_ = "cannot read the key " + settings.Key;
            return false;
        }
    }
    jobFolder_ = DirName(core_.Settings().Path());
    json transitions = json::array();
    for (int i = 0; i < kTransitionEffectCount; ++i)
        transitions.push_back(Cp1251ToUtf8(Message(msgFirstTransition + i)));
    transitionsJson_ = transitions.dump();
    auto start = WebSymbol<TOrvanta3WebStart>(kWebStartSymbol, error_);
    if (!start) return false;
    server_.reset(start(config, *this, error_));
    if (!server_) return false;
    core_.SetFrameTap(this);
    return true;
}

void TWebInterface::Stop() {
    if (!server_) return;
    core_.SetFrameTap(nullptr);
    server_.reset();
}

void TWebInterface::ShowFrame(const std::vector<std::string>&) {
    frames_.fetch_add(1, std::memory_order_relaxed);
    server_->FrameShown();
}

// Written out by hand: it runs for every frame while a page watches.
std::string TWebInterface::PanelJson() {
    const std::vector<std::string> rows = core_.Snapshot().Rows();
    const auto custom = core_.Snapshot().CustomChars();
    const TVirtualScreenSettings& colours = core_.Settings().VirtualScreen;
    const int32_t cols = rows.empty() ? core_.Cols() : static_cast<int32_t>(rows.front().size());
    std::string out;
    out.reserve(1024);
    out += "{\"frame\":" + std::to_string(frames_.load(std::memory_order_relaxed));
    out += ",\"cols\":" + std::to_string(cols);
    out += ",\"rows\":" +
           std::to_string(rows.empty() ? core_.Rows() : static_cast<int32_t>(rows.size()));
    out += ",\"graphic\":false,\"colours\":{\"background\":\"" + Colour(colours.BackgroundColor) +
           "\",\"dotOn\":\"" + Colour(colours.PixelOnColor) + "\",\"dotOff\":\"" +
           Colour(colours.PixelOffColor) + "\"},\"text\":[";
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i) out += ',';
        out += json(RowText(rows[i])).dump(-1, ' ', false, json::error_handler_t::replace);
    }
    out += "],\"codes\":[";
    for (size_t i = 0; i < rows.size(); ++i) {
        out += i ? ",[" : "[";
        for (size_t j = 0; j < rows[i].size(); ++j) {
            if (j) out += ',';
            out += std::to_string(static_cast<unsigned char>(rows[i][j]));
        }
        out += ']';
    }
    out += "],\"glyphs\":[";
    for (size_t i = 0; i < custom.size(); ++i) {
        out += i ? ",[" : "[";
        for (size_t j = 0; j < 8; ++j) {
            if (j) out += ',';
            out += std::to_string(custom[i] ? (*custom[i])[j] : 0);
        }
        out += ']';
    }
    out += "],\"screen\":" + std::to_string(core_.Thread().CurrentScreen());
    out += ",\"screens\":" + std::to_string(core_.Thread().ScreenCount()) + "}";
    return out;
}

bool TWebInterface::Navigate(const std::string& action, int32_t screen) {
    if (action == "next") return core_.Navigate({navNext});
    if (action == "previous") return core_.Navigate({navPrevious});
    return core_.Navigate({navGoTo, screen});
}

bool TWebInterface::Charset(int32_t set) { return core_.Charset(set, {}); }

namespace {

constexpr size_t kMaxJobFiles = 1000;

const char* AlignName(TLineAlign align) {
    switch (align) {
    case laCentre: return "center";
    case laRight: return "right";
    default: return "left";
    }
}

} // namespace

// The loaded job goes by its name in the settings folder, else by its path as it was loaded.
std::vector<std::string> TWebInterface::JobNames(std::string& current) const {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(jobFolder_, ec), end;
         !ec && it != end && names.size() < kMaxJobFiles; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeEc;
        if (name.ends_with(".orv3") && it->is_regular_file(typeEc)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    current = core_.LoadedJobPath();
    if (DirName(current) == jobFolder_) current.erase(0, jobFolder_.size() + 1);
    if (!current.empty() && !std::binary_search(names.begin(), names.end(), current))
        names.insert(names.begin(), current);
    return names;
}

std::string TWebInterface::JobsJson() {
    std::string current;
    const std::vector<std::string> names = JobNames(current);
    return json{{"files", names}, {"current", current}}.dump(-1, ' ', false,
                                                             json::error_handler_t::replace);
}

std::string TWebInterface::JobFileOf(const std::string& name) const {
    std::string current;
    const std::vector<std::string> names = JobNames(current);
    const std::string& wanted = name.empty() ? current : name;
    if (wanted.empty() || std::find(names.begin(), names.end(), wanted) == names.end()) return {};
    return wanted == current ? core_.LoadedJobPath() : jobFolder_ + "/" + wanted;
}

std::string TWebInterface::JobJson(const std::string& name) {
    const std::string path = JobFileOf(name);
    TJob job;
    if (path.empty() || !job.LoadFromFile(path)) return {};
    json screens = json::array();
    for (int i = 0; i < job.Count(); ++i) {
        const TJobScreen& screen = *job.Screen(i);
        json lines = json::array();
        for (size_t row = 0; row < screen.Line.size(); ++row)
            lines.push_back({{"text", Cp1251ToUtf8(screen.Line[row])},
                             {"align", AlignName(screen.Align[row])},
                             {"scroll", static_cast<int>(screen.Scroll[row])}});
        screens.push_back({{"name", Cp1251ToUtf8(screen.Name)},
                           {"showTime", screen.Timeout},
                           {"show", screen.Show},
                           {"once", screen.Once},
                           {"transition", screen.TransitionEffect},
                           {"lines", std::move(lines)}});
    }
    std::string current;
    JobNames(current);
    json answer{{"file", name.empty() ? current : name},
                {"screens", std::move(screens)},
                {"transitions", json::parse(transitionsJson_)}};
    return answer.dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace orv
