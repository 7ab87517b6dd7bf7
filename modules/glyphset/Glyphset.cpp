// glyphset: tags for the eight user-definable characters. The module reads nothing from the
// system; every value is built from the tag's own argument:
//   $defineCharset           "_SwitchCharset:" and the argument as a decimal number
//   $CustomChar              the one character whose code is the argument (1..255)
//   $NamedChar, $MaskChar,   "_NamedChar:", "_MaskChar:", "_AnimList:" and the argument text
//   $AnimChars
//   $US, $<, $>              the characters the tag syntax reserves: "$", "[", "]"
// The engine carries out the command words against its glyph table.
#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/TextUtil.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/NumberFormat.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"

#include <optional>
#include <string>

using namespace orv;

namespace {

enum TGlyphsetTag : int16_t {
    tagDefineCharset,
    tagCustomChar,
    tagNamedChar,
    tagMaskChar,
    tagAnimChars,
    tagDollar,
    tagOpenBracket,
    tagCloseBracket,
    kGlyphsetTagCount
};

// The argument of one call: a number, or else the text as given. An empty argument is the
// number 0.
struct TGlyphArgument {
    int32_t Number = 0;
    std::optional<std::string> Text;
};

TGlyphArgument ReadArgument(const char* param) {
    const std::string_view text = param ? param : "";
    if (text.empty()) return {};
    if (const auto number = ParseInt32(text)) return {*number, std::nullopt};
    return {0, std::string(text)};
}

class TGlyphset {
public:
    const char* GetValue(int16_t index, const char* param);

private:
    // A command word with the argument text; a numeric argument is no glyph reference, so the
    // command gets an empty one, which the engine ignores.
    const char* Command(TCommandWord command, const TGlyphArgument& argument) {
        return result_.Set(std::string(command.Text) + argument.Text.value_or(""));
    }

    TModuleResult result_;
};

TGlyphset gGlyphset;

const char* TGlyphset::GetValue(int16_t index, const char* param) {
    if (index < 0 || index >= kGlyphsetTagCount) return result_.Clear();
    const TGlyphArgument argument = ReadArgument(param);
    switch (index) {
    case tagDefineCharset:
        return result_.Set(std::string(kSwitchCharset.Text) + IntToStr(argument.Number));
    case tagCustomChar:
        // Code 0 would end the string; codes past 255 have no character.
        if (argument.Number < 1 || argument.Number > 255) return result_.Clear();
        return result_.Set(std::string(1, static_cast<char>(argument.Number)));
    case tagNamedChar: return Command(kNamedChar, argument);
    case tagMaskChar: return Command(kMaskChar, argument);
    case tagAnimChars: return Command(kAnimList, argument);
    case tagDollar: return result_.Set("$");
    case tagOpenBracket: return result_.Set("[");
    case tagCloseBracket: return result_.Set("]");
    default: return result_.Clear();
    }
}

#define GLYPHSET_RESERVED_HINT                                                                                                                                     \
    "\r\rНекоторые символы ($, [, ]) нельзя вывести как обычные символы, т.к. они используются в " \
    "формировании тега; поэтому для их вывода используются специальные теги"

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "Custom chars support",
        .Description = "Поддержка наборов пользовательских символов\r\rOrvanta3 team"_cp1251,
        .Id = 11,
        .GroupCaption = "Символы пользователя"_cp1251,
        .GroupHint = "Теги из этой категории управляют выводом на LCD определяемых пользователем "
                     "символов"_cp1251,
        .GetValue = ModuleGetValue<gGlyphset>,
    },
    {
        {.Name = "$defineCharset",
         .Caption = "переключить набор символов"_cp1251,
         .Example = "$defineCharset[0]$",
         .Hint = "Включает один из 3-х предопределенных наборов из 8-и символов - для вывода "
                 "горизонтальной (Index = 0), вертикальной (Index = 1) полос или просто 8 "
                 "произвольно выбранных символов (Index = 2)"_cp1251},
        {.Name = "$CustomChar",
         .Caption = "вывести символ пользователя"_cp1251,
         .Example = "$CustomChar[1]$",
         .Hint = "Выводит один из 8-и символов текущего набора. Нумерация символов начинается с "
                 "единицы!\r\rПеред выводом символа следует переключить текущий набор символов "
                 "тегом $defineCharset$; для вывода символов, не входящих в указанные три набора, "
                 "следует использовать тег $NamedChar$ для заранее созданного символа или "
                 "$MaskChar$ для символа, создаваемого \"на лету\"."_cp1251},
        {.Name = "$NamedChar",
         .Caption = "вывести символ по имени"_cp1251,
         .Example = "$NamedChar['1;char_name']$",
         .Hint = "Выводит один из символов, созданных в редакторе пользовательских символов, по "
                 "его имени (без переключения набора пользователских символов, переопределен "
                 "будет только один символ по его коду - от 1 до 8)"_cp1251},
        {.Name = "$MaskChar",
         .Caption = "вывести символ по маске"_cp1251,
         .Example = "$MaskChar['1;x00;x00;x00;x00;x00;x00;x00;x00']$",
         .Hint = "Переопределяет и выводит символ с указанным кодом (от 1 до 8) согласно "
                 "указанной маске"_cp1251},
        {.Name = "$AnimChars",
         .Caption = "вывести анимацию символов"_cp1251,
         .Example = "$AnimChars['1;char_name1;char_name2;..;char_nameN']$",
         .Hint = "Последовательно переопределяет символ с указанным кодом (от 1 до 8) масками "
                 "согласно указанным именам для создания эффекта анимации"_cp1251},
        {.Name = "$US",
         .Caption = "вывести символ \"$\""_cp1251,
         .Example = "$US$",
         .Hint = "Выводит символ \"$\"" GLYPHSET_RESERVED_HINT ""_cp1251},
        {.Name = "$<",
         .Caption = "вывести символ \"[\""_cp1251,
         .Example = "$<$",
         .Hint = "Выводит символ \"[\"" GLYPHSET_RESERVED_HINT ""_cp1251},
        {.Name = "$>",
         .Caption = "вывести символ \"]\""_cp1251,
         .Example = "$>$",
         .Hint = "Выводит символ \"]\"" GLYPHSET_RESERVED_HINT ""_cp1251},
    });

#undef GLYPHSET_RESERVED_HINT

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }
