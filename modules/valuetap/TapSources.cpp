#include "modules/valuetap/TapSources.h"

#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/TextUtil.h"
#include "modules/common/SecretFile.h"
#include "modules/common/StoredPassword.h"

#include <algorithm>

namespace orv {

namespace {

constexpr const char* kSection = "valuetap.so";

std::string SourceKey(int number, std::string_view item) {
    return "Source" + std::to_string(number) + " " + std::string(item);
}

std::string TargetKey(TSourceKind kind) {
    switch (kind) {
    case TSourceKind::File: return "file";
    case TSourceKind::Mqtt: return "topic";
    default: return "command";
    }
}

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return std::clamp(value, low, high); }

std::optional<TSourceDef> ReadSource(const TIniDocument& ini, int number) {
    const auto kind = SourceKindOf(ini.ReadString(kSection, SourceKey(number, "kind"), ""));
    if (!kind) return std::nullopt;
    TSourceDef s;
    s.Number = number;
    s.Kind = *kind;
    s.Target = std::string(Trim(ini.ReadString(kSection, SourceKey(number, TargetKey(*kind)), "")));
    if (s.Target.empty()) return std::nullopt;
    auto read = [&](std::string_view item, int32_t def) {
        return ini.ReadInteger(kSection, SourceKey(number, item), def);
    };
    s.Name = std::string(Trim(ini.ReadString(kSection, SourceKey(number, "name"), "")));
    s.Folder = std::string(Trim(ini.ReadString(kSection, SourceKey(number, "folder"), "")));
    s.Pointer = std::string(Trim(ini.ReadString(kSection, SourceKey(number, "pointer"), "")));
    s.Line = Clamp(read("line", s.Line), 1, 1000000);
    s.Field = Clamp(read("field", s.Field), 0, 1000000);
    s.PeriodSec = Clamp(read("period", s.Kind == TSourceKind::File ? 10 : s.PeriodSec), 1, 86400);
    s.TimeoutSec = Clamp(read("timeout", s.TimeoutSec), 1, 3600);
    s.MaxBytes = Clamp(read("max bytes", s.MaxBytes), 1, kMaxSourceBytes);
    s.MaxAgeSec = Clamp(read("max age", s.MaxAgeSec), 0, 86400 * 365);
    return s;
}

} // namespace

std::string_view SourceKindName(TSourceKind kind) {
    switch (kind) {
    case TSourceKind::File: return "file";
    case TSourceKind::Mqtt: return "mqtt";
    default: return "command";
    }
}

std::optional<TSourceKind> SourceKindOf(std::string_view name) {
    name = Trim(name);
    for (TSourceKind kind : {TSourceKind::Command, TSourceKind::File, TSourceKind::Mqtt})
        if (EqualsNoCase(name, SourceKindName(kind))) return kind;
    return std::nullopt;
}

TValueTapSettings ReadValueTapSettings(const TIniDocument& ini) {
    TValueTapSettings s;
    for (int number = 1; number <= kMaxSources; ++number)
        if (auto source = ReadSource(ini, number)) s.Sources.push_back(std::move(*source));
    TBrokerSettings& b = s.Broker;
    b.Host = std::string(Trim(ini.ReadString(kSection, "MQTT host", "")));
    b.Port = ini.ReadInteger(kSection, "MQTT port", b.Port);
    if (b.Port < 1 || b.Port > 65535) b.Port = 1883;
    b.Tls = ini.ReadBool(kSection, "MQTT TLS", false);
    b.CaFile = std::string(Trim(ini.ReadString(kSection, "MQTT CA file", "")));
    b.User = ini.ReadString(kSection, "MQTT user", "");
    b.Password = ScramblePassword(ini.ReadString(kSection, "MQTT pass", ""));
    b.PasswordFile = std::string(Trim(ini.ReadString(kSection, "MQTT password file", "")));
    return s;
}

void WriteValueTapSettings(TIniDocument& ini, const TValueTapSettings& s) {
    for (const std::string& key : ini.Keys(kSection))
        if (key.rfind("Source", 0) == 0 || key.rfind("MQTT ", 0) == 0) ini.DeleteKey(kSection, key);
    for (const TSourceDef& source : s.Sources) {
        if (source.Number < 1 || source.Number > kMaxSources) continue;
        auto write = [&](std::string_view item, std::string_view value) {
            ini.WriteString(kSection, SourceKey(source.Number, item), value);
        };
        auto writeNumber = [&](std::string_view item, int32_t value) {
            ini.WriteInteger(kSection, SourceKey(source.Number, item), value);
        };
        write("kind", SourceKindName(source.Kind));
        if (!source.Name.empty()) write("name", source.Name);
        write(TargetKey(source.Kind), source.Target);
        if (!source.Folder.empty()) write("folder", source.Folder);
        if (!source.Pointer.empty()) write("pointer", source.Pointer);
        writeNumber("line", source.Line);
        writeNumber("field", source.Field);
        if (source.Kind != TSourceKind::Mqtt) writeNumber("period", source.PeriodSec);
        if (source.Kind == TSourceKind::Command) writeNumber("timeout", source.TimeoutSec);
        writeNumber("max bytes", source.MaxBytes);
        if (source.Kind == TSourceKind::Mqtt) writeNumber("max age", source.MaxAgeSec);
    }
    const TBrokerSettings& b = s.Broker;
    ini.WriteString(kSection, "MQTT host", b.Host);
    ini.WriteInteger(kSection, "MQTT port", b.Port);
    ini.WriteBool(kSection, "MQTT TLS", b.Tls);
    ini.WriteString(kSection, "MQTT CA file", b.CaFile);
    ini.WriteString(kSection, "MQTT user", b.User);
    ini.WriteString(kSection, "MQTT pass", StoredPassword(b.Password));
    ini.WriteString(kSection, "MQTT password file", b.PasswordFile);
}

const TSourceDef* FindSource(const std::vector<TSourceDef>& sources, std::string_view argument) {
    argument = Trim(argument);
    if (argument.empty()) return nullptr;
    if (const auto number = ParseInt32(argument)) {
        for (const TSourceDef& source : sources)
            if (source.Number == *number) return &source;
        return nullptr;
    }
    for (const TSourceDef& source : sources)
        if (!source.Name.empty() && EqualsNoCase(source.Name, argument)) return &source;
    return nullptr;
}

std::string SourceArgument(const TSourceDef& source) {
    return source.Name.empty() ? std::to_string(source.Number) : source.Name;
}

std::optional<std::string> BrokerPassword(const TBrokerSettings& broker, std::string& problem) {
    if (broker.PasswordFile.empty()) return Cp1251ToUtf8(broker.Password);
    return ReadSecretFile(Cp1251ToUtf8(broker.PasswordFile), problem);
}

const TPluginSettingKey* ValueTapSettingKeys() {
    // One source's keys, as the first of up to 32; a source without a kind is not defined.
    static constexpr TPluginSettingKey kKeys[] = {
        {kSection, "Source1 kind", "", "command, file or mqtt; sources 2 to 32 take the same keys"},
        {kSection, "Source1 name", "", "the name a tag may use instead of the number"},
        {kSection, "Source1 command", "",
         "(command) the program and its arguments; no shell runs unless you name one"},
        {kSection, "Source1 folder", "", "(command) its working folder"},
        {kSection, "Source1 timeout", "10", "(command) seconds until it is killed"},
        {kSection, "Source1 file", "", "(file) the file's path, re-read when it changes"},
        {kSection, "Source1 period", "",
         "seconds between runs (command, default 60) or reads without a change (file, default 10)"},
        {kSection, "Source1 topic", "", "(mqtt) the topic; + and # take any topic they match"},
        {kSection, "Source1 max age", "0",
         "(mqtt) seconds after which a message is too old; 0 never"},
        {kSection, "Source1 pointer", "", "a JSON pointer (/temperature) into a JSON value"},
        {kSection, "Source1 line", "1", "the line shown, from 1"},
        {kSection, "Source1 field", "0",
         "the blank-separated field of that line; 0 the whole line"},
        {kSection, "Source1 max bytes", "4096", "the most output, file or message kept"},
        {kSection, "MQTT host", "", "the broker of the mqtt sources"},
        {kSection, "MQTT port", "1883", "the broker's port"},
        {kSection, "MQTT TLS", "0", "1 speaks TLS to the broker (0 or 1)"},
        {kSection, "MQTT CA file", "", "the CA file the broker's certificate is checked against"},
        {kSection, "MQTT user", "", "the login at the broker"},
        {kSection, "MQTT password file", "",
         "file holding the password on its first line, readable by its owner only (chmod 600)"},
        {kSection, "MQTT pass", "",
         "the password scrambled as the desktop program's dialog stores it"},
        {nullptr, nullptr, nullptr, nullptr},
    };
    return kKeys;
}

} // namespace orv
