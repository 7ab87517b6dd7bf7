// The main program's keys of the settings file, one entry a key: its section and name, the kind
// and range of its value, the field of TSettingsValues that holds it, and when it is read and
// written. Loading, saving and the settings page all work from this table; the default of a key
// is its field in a default-constructed TSettingsValues.
#pragma once

#include "base/IniFile.h"
#include "host/SettingsValues.h"

#include <climits>
#include <cstdint>
#include <span>
#include <variant>

namespace orv {

enum class TSettingKind { Bool, Integer, Colour, Text, Date };

// The pass that reads a key.
enum class TSettingRead {
    Early,    // before the main window exists, and again in the main pass
    Main,     // the main pass at start-up
    Position, // once the main window is set up
    Never,
};

// What writes a key.
enum class TSettingWrite {
    Save,                // the save button of the settings page
    UpdateCheck,         // the end of the update check
    VirtualScreenClosed, // the virtual display window, when it is destroyed
    Exit,                // the main window, at exit
};

// A key's field in the model, and a value of that type. A key without a field ("Width",
// "Height") has the value "no value".
using TSettingField = std::variant<bool*, int32_t*, std::optional<int32_t>*, std::string*,
                                   std::chrono::year_month_day*>;
using TSettingValue =
    std::variant<bool, int32_t, std::optional<int32_t>, std::string, std::chrono::year_month_day>;

struct TSettingKey {
    const char* Section;
    const char* Key;
    TSettingKind Kind;
    TSettingRead Read;
    TSettingWrite Write;
    const char* Comment;                      // one line: what it does, its range
    TSettingField (*Field)(TSettingsValues&); // null: the writer passes the value
    int32_t Min = INT32_MIN;                  // integers outside Min..Max read as the default
    int32_t Max = INT32_MAX;
};

// Every key, in the order the file is written: a writer writes its keys in table order.
std::span<const TSettingKey> SettingKeys();

// The key whose field is field of values; null when no key has it.
const TSettingKey* FindSettingKey(TSettingsValues& values, const TSettingField& field);

// The value of key in values, and its default.
TSettingValue SettingValue(const TSettingKey& key, const TSettingsValues& values);
TSettingValue SettingDefault(const TSettingKey& key);

// The key's value in doc; nullopt when the key is missing or has no field, or when its text is
// a number that does not parse or lies outside the range, or a date that does not parse in the
// user's short date format.
std::optional<TSettingValue> ParseSettingKey(const TIniDocument& doc, const TSettingKey& key);
// Reads the key into its field: ParseSettingKey, else the default.
void ReadSettingKey(const TIniDocument& doc, const TSettingKey& key, TSettingsValues& values);
// The key is in doc, but its text gives the default (ParseSettingKey has no value for it).
bool SettingFallsBack(const TIniDocument& doc, const TSettingKey& key);
// Writes value as the key's kind stores it: texts so that they read back unchanged, dates in the
// user's short date format; "no value" writes nothing.
void WriteSettingValue(TIniDocument& doc, const TSettingKey& key, const TSettingValue& value);
void WriteSettingKey(TIniDocument& doc, const TSettingKey& key, const TSettingsValues& values);

} // namespace orv
