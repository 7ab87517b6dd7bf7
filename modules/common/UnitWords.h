// The user's unit words: the abbreviations of section "Shortcuts" of the settings file that the
// formatters put after numbers.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace orv {

class TIniDocument;

enum class TUnitWord : uint8_t { Bit, Byte, Kilo, Mega, Giga, PerSec, Hertz, Hour, Min, Sec };
inline constexpr size_t kUnitWordCount = 10;

// Key in "Shortcuts" ("Bit", "PerSec", ...) and the modules' default ("b", "ps", ...).
const char* UnitWordKey(TUnitWord word);
const char* UnitWordDefault(TUnitWord word);

// One module's unit words. Every word is empty until it has been read, so a module reads the
// words it needs in LoadSettings and never when it is loaded.
class TUnitWords {
public:
    // Reads the given keys from "Shortcuts" of the settings file (one read of the file); a
    // missing file or key gives the default. Words not asked for keep their value.
    void Read(std::initializer_list<TUnitWord> words);
    void Read(const TIniDocument& settings, std::initializer_list<TUnitWord> words);
    void ReadAll();

    // All ten words at their defaults.
    static TUnitWords Defaults();

    const std::string& operator[](TUnitWord word) const { return words_[Slot(word)]; }
    void Set(TUnitWord word, std::string text) { words_[Slot(word)] = std::move(text); }

private:
    static size_t Slot(TUnitWord word) { return static_cast<size_t>(word); }
    std::array<std::string, kUnitWordCount> words_;
};

} // namespace orv
