#include "host/Settings.h"

#include "host/Autostart.h"
#include "base/Cp1251.h"
#include "base/TextUtil.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace orv {

namespace {

void ReadKeys(TSettingsValues& values, const std::string& path,
              std::initializer_list<TSettingRead> passes,
              const std::function<void(const TIniDocument&)>& alsoRead = {}) {
    const TIniDocument doc = TIniFile(path).Read();
    for (const TSettingKey& key : SettingKeys())
        if (std::ranges::find(passes, key.Read) != passes.end()) ReadSettingKey(doc, key, values);
    if (alsoRead) alsoRead(doc);
}

} // namespace

void TSettings::ReadEarly() { ReadKeys(*this, path_, {TSettingRead::Early}); }

void TSettings::ReadMain(const std::function<void(const TIniDocument&)>& readCustomChars) {
    ReadKeys(*this, path_, {TSettingRead::Early, TSettingRead::Main}, readCustomChars);
}

void TSettings::ReadPosition() { ReadKeys(*this, path_, {TSettingRead::Position}); }

bool TSettings::Save(const TSettingsSaveParts& parts) {
    // A failed autostart update changes nothing and does not stop the save.
    ApplyAutostart(Common.Autostart);

    const TSettingKey* keptDelimiter = nullptr;
    if (Common.ScrollDelimiter.empty()) {
        keptDelimiter = FindSettingKey(*this, &Common.ScrollDelimiter);
        Common.UseScrollDelimiter = false;
    }
    return TIniFile(path_).Update([&](TIniDocument& doc) {
        for (const TSettingKey& key : SettingKeys()) {
            if (key.Write != TSettingWrite::Save) continue;
            if (&key == keptDelimiter)
                ReadSettingKey(doc, key, *this);
            else
                WriteSettingKey(doc, key, *this);
        }
        if (parts.WriteCustomChars) parts.WriteCustomChars(doc);
        for (const auto& module : parts.Modules)
            WriteModuleActive(doc, module.LibraryFile, module.Active);
        if (parts.WriteCharsetMapping) parts.WriteCharsetMapping(doc);
    });
}

bool TSettings::SavePosition(int32_t top, int32_t left, int32_t width, int32_t height) {
    // In the order of the keys written at exit.
    const std::array<TSettingValue, 4> values{top, left, width, height};
    const bool written = TIniFile(path_).Update([&](TIniDocument& doc) {
        size_t next = 0;
        for (const TSettingKey& key : SettingKeys())
            if (key.Write == TSettingWrite::Exit && next < values.size())
                WriteSettingValue(doc, key, values[next++]);
    });
    Position.Top = top;
    Position.Left = left;
    return written;
}

bool TSettings::SaveVirtualScreenPosition() {
    return WriteKeys(TSettingWrite::VirtualScreenClosed);
}

bool TSettings::VirtualScreenPositionStored() const {
    const TIniDocument doc = TIniFile(path_).Read();
    return std::ranges::all_of(SettingKeys(), [&doc](const TSettingKey& key) {
        return key.Write != TSettingWrite::VirtualScreenClosed ||
               doc.Find(key.Section, key.Key).has_value();
    });
}

bool TSettings::SaveUpdateCheck() { return WriteKeys(TSettingWrite::UpdateCheck); }

bool TSettings::WriteKeys(TSettingWrite writer) {
    return TIniFile(path_).Update([&](TIniDocument& doc) {
        for (const TSettingKey& key : SettingKeys())
            if (key.Write == writer) WriteSettingKey(doc, key, *this);
    });
}

std::string ModuleSection(std::string_view libraryFile) {
    return Utf8ToCp1251(BaseName(libraryFile));
}

bool ReadModuleActive(const TIniDocument& doc, std::string_view libraryFile) {
    return doc.ReadBool(ModuleSection(libraryFile), "Active", false);
}

void WriteModuleActive(TIniDocument& doc, std::string_view libraryFile, bool active) {
    doc.WriteBool(ModuleSection(libraryFile), "Active", active);
}

bool ReadModuleActive(const std::string& settingsPath, std::string_view libraryFile) {
    return ReadModuleActive(TIniFile(settingsPath).Read(), libraryFile);
}

bool WriteModuleActive(const std::string& settingsPath, std::string_view libraryFile, bool active) {
    return TIniFile(settingsPath).Update([&](TIniDocument& doc) {
        WriteModuleActive(doc, libraryFile, active);
    });
}

} // namespace orv
