// The words a data module's answer may carry to steer the engine: the command words that the
// engine's command pass carries out, and the values that steer the screen cycle.
//
// A module writes a command as its word followed by its parameters ("_MaskChar:'1;x1F;...'").
// The engine looks for the word's name anywhere in the answer and cuts the whole word, colon
// included, from the front of it; an answer marked as outside text is never searched.
#pragma once

#include <string>
#include <string_view>

namespace orv {

struct TCommandWord {
    consteval TCommandWord(std::string_view text)
        : Text(text), Name(text.ends_with(':') ? text.substr(0, text.size() - 1) : text) {}

    // As a module writes it; a word with parameters ends in its colon.
    std::string_view Text;
    // The word without its colon: what the engine looks for.
    std::string_view Name;
};

// The value blinks from now on, or no longer; either may stand in front of another command.
inline constexpr TCommandWord kSetFlash{"_SetFlash"};
inline constexpr TCommandWord kUnsetFlash{"_UnsetFlash"};
// The six glyphs of the three-row clock into slots 1..6.
inline constexpr TCommandWord kBigClock{"_4Clock"};
// "c": charset c (0 horizontal bar, 1 vertical bar, 2 user set) into the eight slots.
inline constexpr TCommandWord kSwitchCharset{"_SwitchCharset:"};
// "n;name": slot n from the glyph of that name.
inline constexpr TCommandWord kNamedChar{"_NamedChar:"};
// "n;x1F;x11;...": slot n from eight rows.
inline constexpr TCommandWord kMaskChar{"_MaskChar:"};
// "i;n;name0;name1;...": slot n from the glyph named by name i.
inline constexpr TCommandWord kMaskList{"_MaskList:"};
// "n;name0;name1;...": slot n from each name in turn, one per evaluation.
inline constexpr TCommandWord kAnimList{"_AnimList:"};

// In front of a module's answer: the rest is text from outside the user's job (a feed title, a
// mail subject, a tag of a file). The command pass leaves it alone: it shows letter for letter,
// control bytes as blanks, and it is neither a command nor a mark. Modules write it through
// OutsideText (modules/common/OutsideText.h).
inline constexpr char kOutsideTextMark = '\x1E';

// As the value of the first element of line 1: the screen is passed over, or it becomes as
// many sub-screens as the decimal count after the mark says.
inline constexpr std::string_view kSkipMark = "#skip";
inline constexpr std::string_view kEnumMark = "#enum";

// The answer of an enumeration tag: kEnumMark and the count.
inline std::string EnumAnswer(long long count) {
    return std::string(kEnumMark) + std::to_string(count);
}

} // namespace orv
