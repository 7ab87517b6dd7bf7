#include "modules/common/UnitWords.h"

#include "base/IniFile.h"
#include "base/UserFolders.h"

namespace orv {

namespace {

constexpr const char* kSection = "Shortcuts";

struct TUnitWordInfo {
    const char* Key;
    const char* Default;
};

constexpr std::array<TUnitWordInfo, kUnitWordCount> kUnitWords = {{
    {"Bit", "b"},
    {"Byte", "b"},
    {"Kilo", "k"},
    {"Mega", "M"},
    {"Giga", "G"},
    {"PerSec", "ps"},
    {"Hertz", "Hz"},
    {"Hour", "h"},
    {"Min", "m"},
    {"Sec", "s"},
}};

constexpr std::initializer_list<TUnitWord> kAllWords = {
    TUnitWord::Bit,    TUnitWord::Byte,  TUnitWord::Kilo, TUnitWord::Mega, TUnitWord::Giga,
    TUnitWord::PerSec, TUnitWord::Hertz, TUnitWord::Hour, TUnitWord::Min,  TUnitWord::Sec};

} // namespace

const char* UnitWordKey(TUnitWord word) { return kUnitWords[static_cast<size_t>(word)].Key; }

const char* UnitWordDefault(TUnitWord word) {
    return kUnitWords[static_cast<size_t>(word)].Default;
}

void TUnitWords::Read(std::initializer_list<TUnitWord> words) {
    Read(TIniFile(SettingsPath()).Read(), words);
}

void TUnitWords::Read(const TIniDocument& settings, std::initializer_list<TUnitWord> words) {
    for (TUnitWord word : words)
        Set(word, settings.ReadString(kSection, UnitWordKey(word), UnitWordDefault(word)));
}

void TUnitWords::ReadAll() { Read(kAllWords); }

TUnitWords TUnitWords::Defaults() {
    TUnitWords words;
    for (TUnitWord word : kAllWords) words.Set(word, UnitWordDefault(word));
    return words;
}

} // namespace orv
