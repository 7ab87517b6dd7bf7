// The sources of valuetap as its settings section defines them: commands, files and MQTT
// topics, numbered "Source1" ... "Source32", and the one MQTT broker they share. A job only
// names a source; what runs or is read is decided here alone.
#pragma once

#include "abi/ConstUnit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

class TIniDocument;

inline constexpr int kMaxSources = 32;
inline constexpr int32_t kMaxSourceBytes = 1 << 20;

enum class TSourceKind { Command, File, Mqtt };

struct TSourceDef {
    int Number = 0;   // N of "SourceN": the tag's numeric argument
    std::string Name; // the tag's argument by name; may be empty
    TSourceKind Kind = TSourceKind::Command;
    std::string Target;      // command line, file path or topic filter (Windows-1251)
    std::string Folder;      // a command's working folder; empty: the program's own
    std::string Pointer;     // JSON pointer into the text ("/temperature"); empty: none
    int32_t Line = 1;        // the line shown, from 1
    int32_t Field = 0;       // the blank-separated field of it, from 1; 0: the whole line
    int32_t PeriodSec = 60;  // commands: between runs; files: between reads without news
    int32_t TimeoutSec = 10; // commands: killed after it
    int32_t MaxBytes = 4096; // of output, file or payload kept
    int32_t MaxAgeSec = 0;   // MQTT: an older payload gives "#skip"; 0: never too old
};

struct TBrokerSettings {
    std::string Host; // empty: no broker
    int32_t Port = 1883;
    bool Tls = false;
    std::string CaFile;
    std::string User;
    std::string Password;     // plain
    std::string PasswordFile; // its first line is the password; wins over Password
};

struct TValueTapSettings {
    std::vector<TSourceDef> Sources; // by Number
    TBrokerSettings Broker;
};

TValueTapSettings ReadValueTapSettings(const TIniDocument& ini);
// Replaces the section's source and broker keys with these (other keys, "Active", stay).
void WriteValueTapSettings(TIniDocument& ini, const TValueTapSettings& settings);

std::string_view SourceKindName(TSourceKind kind);
std::optional<TSourceKind> SourceKindOf(std::string_view name);

// The source a tag's argument names: its number ("2") or its name ("outdoor", ASCII case
// ignored); null when none is defined so.
const TSourceDef* FindSource(const std::vector<TSourceDef>& sources, std::string_view argument);

// What the tag parameter editor offers for a source: its name, else its number.
std::string SourceArgument(const TSourceDef& source);

// The broker's password in UTF-8: the first line of the password file when one is named (nullopt
// and one line in problem when it cannot be read or others may read it), else the stored one.
std::optional<std::string> BrokerPassword(const TBrokerSettings& broker, std::string& problem);

// The module's keys for the starter settings file (orvanta3d --init).
const TPluginSettingKey* ValueTapSettingKeys();

} // namespace orv
