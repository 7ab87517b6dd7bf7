// tallfour: the current time in digits three rows high, for four-row panels.
//   $tallfour                       "_4Clock": the engine loads the six big-clock glyphs
//   $bigClock_1 ... $bigClock_3     one row of hours and minutes, from time() broken down by
//                                   localtime_r (TWallClock; pinned by SetWallClockForTesting)
// The digits are drawn with the glyph codes 1..6 and blanks; LoadSettings keeps "Language" of
// section "Common" of the settings file.
#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/ProgramSettingKeys.h"
#include "base/UserFolders.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/WallClock.h"

#include <array>
#include <string>

using namespace orv;

namespace {

enum TTallfourTag : int16_t { tagTallfour, tagBigClock1, tagBigClock2, tagBigClock3 };

constexpr int kClockRows = 3;
constexpr char kColonDot = '\x06';

// Row 1..3 of each digit, four cells each: 1/2 left/right three columns upper half, 3/4
// left/right three columns full height, 5 full width upper half.
constexpr std::array<std::array<const char*, kClockRows>, 10> kDigitRows = {{
    {"\x04\x05\x05\x03", "\x04  \x03", "\x02\x05\x05\x01"},
    {"   \x03", "   \x03", "   \x01"},
    {"\x02\x05\x05\x03", "\x04\x05\x05\x01", "\x02\x05\x05\x01"},
    {"\x02\x05\x05\x03", " \x05\x05\x03", "\x02\x05\x05\x01"},
    {"\x04  \x03", "\x02\x05\x05\x03", "   \x01"},
    {"\x04\x05\x05\x01", "\x02\x05\x05\x03", "\x02\x05\x05\x01"},
    {"\x04\x05\x05\x01", "\x04\x05\x05\x03", "\x02\x05\x05\x01"},
    {" \x05\x05\x03", "   \x03", "   \x01"},
    {"\x04\x05\x05\x03", "\x04\x05\x05\x03", "\x02\x05\x05\x01"},
    {"\x04\x05\x05\x03", "\x02\x05\x05\x03", "\x02\x05\x05\x01"},
}};

class TTallfour {
public:
    const char* GetValue(int16_t index);
    void LoadSettings() {
        language_ = TIniFile(SettingsPath()).ReadString(kCommonSection, kLanguageKey, "");
    }
    void PinClock(const TWallTime* time) { clock_.Pin(time); }

private:
    std::string ClockRow(int row) const;

    TWallClock clock_;
    std::string language_; // kept as read; no text of this module depends on it
    TModuleResult result_;
};

TTallfour gTallfour;

const char* TTallfour::GetValue(int16_t index) {
    switch (index) {
    case tagTallfour: return result_.Set(kBigClock.Text);
    case tagBigClock1:
    case tagBigClock2:
    case tagBigClock3: return result_.Set(ClockRow(index - tagBigClock1 + 1));
    default: return result_.Clear();
    }
}

// Row 1..3: hours with their leading zero, the colon (on rows 1 and 2 at even seconds), minutes.
std::string TTallfour::ClockRow(int row) const {
    const TWallTime now = clock_.Now();
    const auto digit = [row](int value) {
        const int d = value < 0 ? 0 : value % 10;
        return kDigitRows[static_cast<size_t>(d)][static_cast<size_t>(row - 1)];
    };
    const bool colonShown = now.Second % 2 == 0 && row < kClockRows;
    std::string text;
    text.reserve(17);
    text += digit(now.Hour / 10);
    text += digit(now.Hour);
    text += colonShown ? kColonDot : ' ';
    text += digit(now.Minute / 10);
    text += digit(now.Minute);
    return text;
}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "Fullscreen clock",
        .Description = "\"Полноэкранные\" часы для 4-х строчного экрана\r\rOrvanta3 team"_cp1251,
        .Id = 24,
        .GroupCaption = "4-х строчные часы"_cp1251,
        .GroupHint = "Большие часы для отображения на 4-х строчном экране (часы будут занимать 3 "
                     "строчки экрана)"_cp1251,
        .GetValue = ModuleGetValue<gTallfour>,
        .LoadSettings = ModuleLoadSettings<gTallfour>,
    },
    {
        {.Name = "$tallfour",
         .Caption = "включить часы"_cp1251,
         .Example = "$tallfour$",
         .Hint = "Этот тег включает отображение больших часов; одновременно с большими часами "
                 "можно использовать 2 символа, определяемые пользователем - 7-й и 8-й, символы с "
                 "1 по 6 используются для вывода цифр"_cp1251},
        {.Name = "$bigClock_1",
         .Caption = "строка 1 из 3-х"_cp1251,
         .Example = "$bigClock_1[,,,2]$",
         .Hint = "Этот тег покажет 1-ю из 3-х строчек больших часов"_cp1251},
        {.Name = "$bigClock_2",
         .Caption = "строка 2 из 3-х"_cp1251,
         .Example = "$bigClock_2[,,,2]$",
         .Hint = "Этот тег покажет 2-ю из 3-х строчек больших часов"_cp1251},
        {.Name = "$bigClock_3",
         .Caption = "строка 3 из 3-х"_cp1251,
         .Example = "$bigClock_3[,,,2]$",
         .Hint = "Этот тег покажет 3-ю из 3-х строчек больших часов"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT void SetWallClockForTesting(const TWallTime* time) { gTallfour.PinClock(time); }
