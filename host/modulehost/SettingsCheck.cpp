#include "host/modulehost/SettingsCheck.h"

#include "base/Cp1251.h"
#include "host/SettingKeys.h"
#include "host/Settings.h"
#include "base/TextUtil.h"
#include "host/modulehost/ModuleKinds.h"

#include <algorithm>
#include <filesystem>

namespace orv {

namespace {

constexpr const char* kActiveKey = "Active";

std::string KeyText(std::string_view section, std::string_view key, std::string_view value) {
    return "[" + Cp1251ToUtf8(section) + "] " + Cp1251ToUtf8(key) + "=" + Cp1251ToUtf8(value);
}

// What a key of the program takes, for the message about a value it does not take.
std::string Expected(const TSettingKey& key) {
    switch (key.Kind) {
    case TSettingKind::Integer:
        if (key.Min != INT32_MIN && key.Max != INT32_MAX)
            return "a whole number from " + std::to_string(key.Min) + " to " +
                   std::to_string(key.Max);
        if (key.Min != INT32_MIN) return "a whole number of at least " + std::to_string(key.Min);
        return "a whole number";
    case TSettingKind::Date: return "a date in the short date format";
    default: return "a number";
    }
}

// The default as the file would store it.
std::string StoredDefault(const TSettingKey& key) {
    TIniDocument stored;
    WriteSettingValue(stored, key, SettingDefault(key));
    const auto text = stored.Find(key.Section, key.Key);
    return !text ? "none" : text->empty() ? "empty" : Cp1251ToUtf8(*text);
}

void CheckProgramKeys(const TIniDocument& doc, std::vector<TCheckFinding>& findings) {
    for (const TSettingKey& key : SettingKeys()) {
        if (!SettingFallsBack(doc, key)) continue;
        findings.push_back({doc.KeyLine(key.Section, key.Key),
                            KeyText(key.Section, key.Key, *doc.Find(key.Section, key.Key)) +
                                " is not " + Expected(key) + "; the default " + StoredDefault(key) +
                                " is used"});
    }
}

void CheckActiveKeys(const TIniDocument& doc, std::vector<TCheckFinding>& findings) {
    for (const std::string& section : doc.Sections()) {
        const auto text = doc.Find(section, kActiveKey);
        if (!text || ParseInt32(*text)) continue;
        findings.push_back(
            {doc.KeyLine(section, kActiveKey),
             KeyText(section, kActiveKey, *text) + " is not 1 or 0; the module stays off"});
    }
}

struct TDriverReport {
    const TIniDocument& doc;
    const std::string& section;
    std::vector<TCheckFinding>& findings;

    static void Add(void* context, const char* key, const char* value, const char* problem) {
        auto& self = *static_cast<TDriverReport*>(context);
        const std::string k = key ? key : "", v = value ? value : "";
        self.findings.push_back(
            {self.doc.KeyLine(self.section, k),
             KeyText(self.section, k, v) + " " + Cp1251ToUtf8(problem ? problem : "")});
    }
};

void CheckDriverKeys(const TIniDocument& doc, const TModuleHost& host, size_t index,
                     std::vector<TCheckFinding>& findings) {
    // A second handle on the loaded library, for its optional export.
    const auto library = TModuleLibrary::Open(host.LibraryPath(index));
    const auto check =
        library ? reinterpret_cast<TCheckSettingsFunc>(library->Symbol(kCheckSettingsExport))
                : nullptr;
    if (!check) return;
    const std::string section = ModuleSection(host.Module(index).FileName);
    TDriverReport report{doc, section, findings};
    check(&TDriverReport::Add, &report);
}

// Why the module of a section marked active is not loaded.
std::string NotLoadedReason(const TModuleHost& host, const std::string& fileName) {
    for (TModuleKind kind : kModuleKinds) {
        const std::string path =
            host.Options().ProgramFolder + "/" + ModuleFolder(kind) + "/" + fileName;
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) continue;
        std::string error;
        const auto library = TModuleLibrary::Open(path, &error);
        if (library) {
            const bool described =
                kind == TModuleKind::Driver ? library->DriverDescriptor(&error) != nullptr
                : kind == TModuleKind::Data ? library->DataModuleDescriptor(&error) != nullptr
                                            : library->ScreenSaverDescriptor(&error) != nullptr;
            if (!described && error.empty()) error = "it is no module of its folder's kind";
        }
        return path + " cannot be loaded: " + (error.empty() ? "unknown reason" : error);
    }
    return "there is no such module in " + host.Options().ProgramFolder + "/plugins";
}

void CheckActiveModules(const TIniDocument& doc, const TModuleHost& host,
                        std::vector<TCheckFinding>& findings) {
    for (const std::string& section : doc.Sections()) {
        if (!doc.ReadBool(section, kActiveKey, false)) continue;
        const bool loaded = std::ranges::any_of(host.Modules(), [&](const auto& entry) {
            return EqualsNoCase(ModuleSection(entry.FileName), section) && entry.Loaded();
        });
        if (loaded) continue;
        const std::string fileName = Cp1251ToUtf8(section);
        findings.push_back({doc.KeyLine(section, kActiveKey),
                            KeyText(section, kActiveKey, *doc.Find(section, kActiveKey)) + ": " +
                                NotLoadedReason(host, fileName)});
    }
}

} // namespace

std::vector<TCheckFinding> CheckSettings(const TIniDocument& doc, const TModuleHost& host) {
    std::vector<TCheckFinding> findings;
    CheckProgramKeys(doc, findings);
    CheckActiveKeys(doc, findings);
    for (size_t i = 0; i < host.Modules().size(); ++i)
        if (host.Module(i).Driver()) CheckDriverKeys(doc, host, i, findings);
    CheckActiveModules(doc, host, findings);
    std::stable_sort(
        findings.begin(), findings.end(),
        [](const TCheckFinding& a, const TCheckFinding& b) { return a.Line < b.Line; });
    return findings;
}

} // namespace orv
