// The settings page of the web interface on the program's side: the keys the settings page of
// the desktop program saves (host/SettingKeys.h), which data modules and which driver are on;
// a save checks every value first, writes the file in one update and reloads.
#include "appcore/web/WebCore.h"

#include "appcore/ApplicationCore.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/TextUtil.h"
#include "base/Trace.h"
#include "host/ProgramMessages.h"
#include "host/SettingKeys.h"
#include "host/Settings.h"
#include "host/modulehost/ModuleKinds.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

namespace orv {

namespace {

using json = nlohmann::json;

constexpr size_t kMaxTextSetting = 1024;
constexpr size_t kMaxSwitches = 512;

// The keys the page shows: those the settings page saves, without the desktop program's start
// at log-in (it changes the session's autostart entry, not only the file).
bool Shown(const TSettingKey& key) {
    return key.Write == TSettingWrite::Save && key.Field && key.Kind != TSettingKind::Date &&
           std::string_view(key.Key) != "Autostart";
}

std::string KeyId(const TSettingKey& key) { return std::string(key.Section) + "/" + key.Key; }

const char* TypeOf(TSettingKind kind) {
    switch (kind) {
    case TSettingKind::Bool: return "bool";
    case TSettingKind::Integer:
    case TSettingKind::Colour: return "int";
    default: return "text";
    }
}

json ValueJson(const TSettingValue& value) {
    return std::visit(
        [](const auto& v) -> json {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, int32_t>)
                return v;
            else if constexpr (std::is_same_v<T, std::optional<int32_t>>)
                return v ? json(*v) : json(nullptr);
            else if constexpr (std::is_same_v<T, std::string>)
                return Cp1251ToUtf8(v);
            else
                return nullptr;
        },
        value);
}

// The shipped libraries of a kind (their file names).
std::vector<std::string> Libraries(const std::string& programFolder, TModuleKind kind) {
    return ModuleLibraryFiles(programFolder + "/" + ModuleFolder(kind));
}

// The settings file can be replaced: the file and its folder are writable (a service's
// configuration may be read-only).
bool Writable(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0 && ::access(DirName(path).c_str(), W_OK) == 0;
}

// The value of a key from the page; none and the reason when it does not do.
std::optional<TSettingValue> TakeValue(const TSettingKey& key, const json& value,
                                       std::string& reason) {
    const std::string id = KeyId(key);
    switch (key.Kind) {
    case TSettingKind::Bool:
        if (value.is_boolean()) return value.get<bool>();
        reason = id + ": must be true or false";
        return std::nullopt;
    case TSettingKind::Integer:
    case TSettingKind::Colour: {
        const int64_t low = key.Kind == TSettingKind::Colour ? 0 : key.Min;
        const int64_t high = key.Kind == TSettingKind::Colour ? 0xffffff : key.Max;
        const bool optional = std::holds_alternative<std::optional<int32_t>>(SettingDefault(key));
        // Left empty on the page: written as the settings page writes it (not at all).
        if (optional && value.is_null()) return std::optional<int32_t>();
        if (value.is_number_integer()) {
            const auto n = value.get<int64_t>();
            if (n >= low && n <= high) {
                if (optional) return std::optional<int32_t>(static_cast<int32_t>(n));
                return static_cast<int32_t>(n);
            }
        }
        reason = id + ": must be a whole number from " + std::to_string(low) + " to " +
                 std::to_string(high) + (optional ? " or empty" : "");
        return std::nullopt;
    }
    case TSettingKind::Text: {
        if (value.is_string()) {
            const std::string text = value.get<std::string>();
            if (text.size() <= kMaxTextSetting && text.find_first_of("\r\n") == std::string::npos &&
                text.find('\0') == std::string::npos)
                return Utf8ToCp1251(text);
        }
        reason = id + ": must be one line of text of at most " + std::to_string(kMaxTextSetting) +
                 " bytes";
        return std::nullopt;
    }
    default: reason = id + ": cannot be set here"; return std::nullopt;
    }
}

// "modules" or "drivers" of the body into switches (file name → on); false and the reason
// when it is not a list of {file, active} naming shipped libraries.
bool TakeSwitches(const json& body, const char* name, const std::vector<std::string>& shipped,
                  std::map<std::string, bool>& switches, std::string& reason) {
    if (!body.contains(name)) return true;
    const json& list = body[name];
    if (!list.is_array() || list.size() > kMaxSwitches) {
        reason = std::string(name) + ": must be a list of {file, active}";
        return false;
    }
    for (const json& entry : list) {
        if (!entry.is_object() || !entry.contains("file") || !entry["file"].is_string() ||
            !entry.contains("active") || !entry["active"].is_boolean()) {
            reason = std::string(name) + ": must be a list of {file, active}";
            return false;
        }
        const std::string file = entry["file"].get<std::string>();
        if (std::find(shipped.begin(), shipped.end(), file) == shipped.end()) {
            reason = std::string(name) + ": there is no " + file;
            return false;
        }
        switches[file] = entry["active"].get<bool>();
    }
    return true;
}

} // namespace

nlohmann::json TWebInterface::SettingsState() {
    std::lock_guard lock(settingsMutex_);
    std::string path, programFolder;
    std::map<std::string, std::string> moduleNames; // of the modules loaded now
    WithCore([&] {
        path = core_.Settings().Path();
        programFolder = core_.Host().Options().ProgramFolder;
        for (const TShortPluginInfo& entry : core_.Host().Modules())
            if (!entry.Name.empty()) moduleNames[entry.FileName] = Cp1251ToUtf8(entry.Name);
        return std::string();
    });
    const TIniDocument doc = TIniFile(path).Read();
    const std::vector<std::string> captions =
        ProgramTexts(msgFirstSettingCaption, kSettingCaptionKeys.size());
    auto caption = [&](const std::string& id) {
        for (size_t i = 0; i < kSettingCaptionKeys.size(); ++i)
            if (id == kSettingCaptionKeys[i]) return captions[i];
        return id.substr(id.find('/') + 1);
    };
    TSettingsValues values;
    json common = json::array();
    for (const TSettingKey& key : SettingKeys()) {
        if (!Shown(key)) continue;
        ReadSettingKey(doc, key, values);
        json item{{"key", KeyId(key)},
                  {"label", caption(KeyId(key))},
                  {"hint", key.Comment},
                  {"type", TypeOf(key.Kind)},
                  {"value", ValueJson(SettingValue(key, values))}};
        if (key.Kind == TSettingKind::Colour) {
            item["min"] = 0;
            item["max"] = 0xffffff;
        } else if (key.Kind == TSettingKind::Integer) {
            if (key.Min != INT32_MIN) item["min"] = key.Min;
            if (key.Max != INT32_MAX) item["max"] = key.Max;
        }
        common.push_back(std::move(item));
    }
    // Modules not loaded now are named by their files (opening them would load what they
    // depend on).
    auto list = [&](TModuleKind kind) {
        json out = json::array();
        for (const std::string& file : Libraries(programFolder, kind)) {
            const auto name = moduleNames.find(file);
            out.push_back({{"file", file},
                           {"caption", name != moduleNames.end() ? name->second : file},
                           {"active", ReadModuleActive(doc, file)}});
        }
        return out;
    };
    return json{{"writable", Writable(path)},
                {"common", std::move(common)},
                {"modules", list(TModuleKind::Data)},
                {"drivers", list(TModuleKind::Driver)}};
}

TWebHost::TAnswer TWebInterface::PutSettings(const nlohmann::json& body) {
    std::lock_guard lock(settingsMutex_);
    std::string path, programFolder;
    WithCore([&] {
        path = core_.Settings().Path();
        programFolder = core_.Host().Options().ProgramFolder;
        return std::string();
    });
    if (!Writable(path))
        return {409, "the settings file " + path +
                         " is not writable (a read-only configuration): nothing was changed"};
    const TIniDocument before = TIniFile(path).Read();

    // Every value is checked before anything is written.
    std::vector<std::pair<const TSettingKey*, TSettingValue>> values;
    std::string reason;
    if (body.contains("common")) {
        const json& common = body["common"];
        if (!common.is_object()) return {400, "common: must be an object"};
        for (const auto& [name, value] : common.items()) {
            const TSettingKey* found = nullptr;
            for (const TSettingKey& key : SettingKeys())
                if (Shown(key) && KeyId(key) == name) found = &key;
            if (!found) return {400, name + ": no such setting"};
            auto taken = TakeValue(*found, value, reason);
            if (!taken) return {400, reason};
            values.emplace_back(found, std::move(*taken));
        }
    }
    std::map<std::string, bool> modules, drivers;
    if (!TakeSwitches(body, "modules", Libraries(programFolder, TModuleKind::Data), modules,
                      reason) ||
        !TakeSwitches(body, "drivers", Libraries(programFolder, TModuleKind::Driver), drivers,
                      reason))
        return {400, reason};
    if (!drivers.empty()) {
        int on = 0;
        for (const std::string& file : Libraries(programFolder, TModuleKind::Driver)) {
            const auto found = drivers.find(file);
            on += (found != drivers.end() ? found->second : ReadModuleActive(before, file)) ? 1 : 0;
        }
        if (on != 1) return {400, "drivers: exactly one driver must be on"};
    }

    const bool written = TIniFile(path).Update([&](TIniDocument& doc) {
        for (const auto& [key, value] : values) WriteSettingValue(doc, *key, value);
        for (const auto& [file, active] : modules) WriteModuleActive(doc, file, active);
        for (const auto& [file, active] : drivers) WriteModuleActive(doc, file, active);
    });
    if (!written)
        return {500, "cannot write the settings file " + path + ": " + std::strerror(errno)};

    // Applied as the desktop program's settings page does: data modules switched on or off at
    // once, then the settings read again. Another driver takes the panel at the next start.
    std::vector<TModuleActive> switched;
    for (const auto& [file, active] : modules)
        if (active != ReadModuleActive(before, file)) switched.push_back({file, active});
    std::string failure;
    WithCore([&] {
        if (!switched.empty()) core_.SwitchDataModules(switched);
        if (!reload_) core_.Reload(core_.LoadedJobPath(), &failure);
        return std::string();
    });
    if (reload_) failure = reload_();
    if (!failure.empty()) Trace("web interface: settings saved; " + failure);
    return {};
}

} // namespace orv
