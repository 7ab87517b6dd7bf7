#include "host/SettingKeys.h"

#include "base/LocaleDate.h"
#include "base/ProgramSettingKeys.h"
#include "base/TextUtil.h"

#include <type_traits>

namespace orv {

namespace {

using enum TSettingKind;
using enum TSettingRead;
using enum TSettingWrite;
using V = TSettingsValues;
using C = TCommonSettings;
using N = TINetSettings;
using S = TShortcutSettings;
using VS = TVirtualScreenSettings;
using P = TWindowPosition;

template <auto Group, auto Member> TSettingField Field(TSettingsValues& values) {
    return &(values.*Group.*Member);
}

constexpr const char* kCommon = kCommonSection;
constexpr const char* kINet = kINetSection;
constexpr const char* kShortcuts = "Shortcuts";
constexpr const char* kVirtualScreen = "Virtual screen";
constexpr const char* kPosition = "Position";

constexpr TSettingKey kKeys[] = {
    {kCommon, "Autostart", Bool, Main, Save, "1 starts the desktop program at log-in (0 or 1)",
     Field<&V::Common, &C::Autostart>},
    {kCommon, "Autoload job", Bool, Early, Save,
     "1 loads \"Job name\" when the desktop program starts (0 or 1; the daemon always does)",
     Field<&V::Common, &C::AutoloadJob>},
    {kCommon, "Job name", Text, Early, Save,
     "the job file to run; a relative path is taken from this file's folder",
     Field<&V::Common, &C::JobName>},
    {kCommon, "StartMsg", Text, Main, Save,
     "first row of the greeting shown at start-up (empty: none)", Field<&V::Common, &C::StartMsg>},
    {kCommon, "QuitMsg", Text, Main, Save,
     "first row of the message left on the panel at exit (empty: none)",
     Field<&V::Common, &C::QuitMsg>},
    {kCommon, "StartMsg line2", Text, Main, Save, "second row of the greeting",
     Field<&V::Common, &C::StartMsgLine2>},
    {kCommon, "QuitMsg line2", Text, Main, Save, "second row of the quit message",
     Field<&V::Common, &C::QuitMsgLine2>},
    {kCommon, kLanguageKey, Text, Main, Save,
     "language of the texts: empty for the built-in ones, or a language file's name (RU)",
     Field<&V::Common, &C::Language>},
    {kCommon, "Show hint", Bool, Main, Save, "1 shows tool tips in the desktop program (0 or 1)",
     Field<&V::Common, &C::ShowHint>},
    {kCommon, "Show splash-screen", Bool, Early, Save,
     "1 shows the splash screen at start (0 or 1)", Field<&V::Common, &C::ShowSplashScreen>},
    {kCommon, "Base timeout", Integer, Main, Save, "milliseconds per display tick (50 to 1000)",
     Field<&V::Common, &C::BaseTimeoutMs>, 50, 1000},
    {kCommon, "Long delay period", Integer, Main, Save,
     "ticks between two steps of a long line's scroll (4 or more)",
     Field<&V::Common, &C::LongDelayPeriod>, 4},
    {kCommon, "Calculate time for long strings", Bool, Main, Save,
     "1 lengthens a screen's time so its long lines scroll through once (0 or 1)",
     Field<&V::Common, &C::CalculateTimeForLongStrings>},
    {kCommon, "SubScreen show time", Integer, Main, Save, "seconds a sub-screen stays (1 or more)",
     Field<&V::Common, &C::SubScreenShowTimeSec>, 1},
    {kCommon, "Show LCD-screensaver", Bool, Main, Save,
     "1 starts the screen-saver module when the session's screen saver starts (0 or 1)",
     Field<&V::Common, &C::ShowLcdScreensaver>},
    {kCommon, "Transition speed", Integer, Main, Save,
     "milliseconds of the transition between screens (50 to 1000)",
     Field<&V::Common, &C::TransitionSpeedMs>, 50, 1000},
    {kCommon, "Bold edit line", Bool, Main, Save,
     "1 shows the line being edited in bold in the job editor (0 or 1)",
     Field<&V::Common, &C::BoldEditLine>},
    {kCommon, "Use animation", Bool, Main, Save, "1 animates transitions between screens (0 or 1)",
     Field<&V::Common, &C::UseAnimation>},
    {kCommon, "Scroll delimiter", Text, Main, Save,
     "text put between the end and the start of a scrolling line",
     Field<&V::Common, &C::ScrollDelimiter>},
    {kCommon, "Use scroll delimiter", Bool, Main, Save,
     "1 puts \"Scroll delimiter\" into scrolling lines (0 or 1)",
     Field<&V::Common, &C::UseScrollDelimiter>},

    {kINet, kProxyKey, Text, Main, Save, "HTTP proxy host for the internet modules (empty: none)",
     Field<&V::INet, &N::Proxy>},
    {kINet, kProxyPortKey, Integer, Main, Save, "port of the proxy (1 to 65535)",
     Field<&V::INet, &N::ProxyPort>, 1, 65535},
    {kINet, "Check updates", Bool, Main, Save,
     "1 lets the desktop program look for a new version (0 or 1)",
     Field<&V::INet, &N::CheckUpdates>},
    {kINet, "Next check", Date, Main, UpdateCheck, "date of the next update check (run-time state)",
     Field<&V::INet, &N::NextCheck>},
    {kINet, "Ver", Text, Main, UpdateCheck,
     "last version seen by the update check (run-time state)", Field<&V::INet, &N::Ver>},

    {kShortcuts, "Bit", Text, Main, Save, "unit word for bits", Field<&V::Shortcuts, &S::Bit>},
    {kShortcuts, "Byte", Text, Main, Save, "unit word for bytes", Field<&V::Shortcuts, &S::Byte>},
    {kShortcuts, "Kilo", Text, Main, Save, "prefix for kilo", Field<&V::Shortcuts, &S::Kilo>},
    {kShortcuts, "Mega", Text, Main, Save, "prefix for mega", Field<&V::Shortcuts, &S::Mega>},
    {kShortcuts, "Giga", Text, Main, Save, "prefix for giga", Field<&V::Shortcuts, &S::Giga>},
    {kShortcuts, "PerSec", Text, Main, Save, "word for per second",
     Field<&V::Shortcuts, &S::PerSec>},
    {kShortcuts, "Hertz", Text, Main, Save, "unit word for hertz", Field<&V::Shortcuts, &S::Hertz>},
    {kShortcuts, "Hour", Text, Main, Save, "text after hours", Field<&V::Shortcuts, &S::Hour>},
    {kShortcuts, "Min", Text, Main, Save, "text after minutes", Field<&V::Shortcuts, &S::Min>},
    {kShortcuts, "Sec", Text, Main, Save, "text after seconds", Field<&V::Shortcuts, &S::Sec>},

    {kVirtualScreen, "Show", Bool, Main, Save,
     "1 opens the virtual display window of the desktop program (0 or 1)",
     Field<&V::VirtualScreen, &VS::Show>},
    {kVirtualScreen, "Pixel ON color", Colour, Main, Save,
     "colour of a lit dot, 0x00BBGGRR as a decimal number",
     Field<&V::VirtualScreen, &VS::PixelOnColor>},
    {kVirtualScreen, "Pixel OFF color", Colour, Main, Save,
     "colour of a dark dot, 0x00BBGGRR as a decimal number",
     Field<&V::VirtualScreen, &VS::PixelOffColor>},
    {kVirtualScreen, "Background color", Colour, Main, Save,
     "colour around the dots, 0x00BBGGRR as a decimal number",
     Field<&V::VirtualScreen, &VS::BackgroundColor>},
    {kVirtualScreen, "Pixel horiz. size", Integer, Main, Save,
     "width of a dot in screen pixels (1 to 4)", Field<&V::VirtualScreen, &VS::PixelHorizSize>, 1,
     4},
    {kVirtualScreen, "Pixel vert. size", Integer, Main, Save,
     "height of a dot in screen pixels (1 to 4)", Field<&V::VirtualScreen, &VS::PixelVertSize>, 1,
     4},
    {kVirtualScreen, "Horiz. position", Integer, Main, VirtualScreenClosed,
     "left edge of the virtual display window", Field<&V::VirtualScreen, &VS::HorizPosition>},
    {kVirtualScreen, "Vert. position", Integer, Main, VirtualScreenClosed,
     "top edge of the virtual display window", Field<&V::VirtualScreen, &VS::VertPosition>},

    {kPosition, "Top", Integer, Position, Exit, "top edge of the main window",
     Field<&V::Position, &P::Top>},
    {kPosition, "Left", Integer, Position, Exit, "left edge of the main window",
     Field<&V::Position, &P::Left>},
    {kPosition, "Width", Integer, Never, Exit, "width of the main window", nullptr},
    {kPosition, "Height", Integer, Never, Exit, "height of the main window", nullptr},
};

const TSettingsValues& Defaults() {
    static const TSettingsValues defaults;
    return defaults;
}

} // namespace

std::span<const TSettingKey> SettingKeys() { return kKeys; }

const TSettingKey* FindSettingKey(TSettingsValues& values, const TSettingField& field) {
    for (const TSettingKey& key : kKeys)
        if (key.Field && key.Field(values) == field) return &key;
    return nullptr;
}

TSettingValue SettingValue(const TSettingKey& key, const TSettingsValues& values) {
    if (!key.Field) return std::optional<int32_t>();
    // The field is only read.
    return std::visit([](auto* field) { return TSettingValue(*field); },
                      key.Field(const_cast<TSettingsValues&>(values)));
}

TSettingValue SettingDefault(const TSettingKey& key) { return SettingValue(key, Defaults()); }

std::optional<TSettingValue> ParseSettingKey(const TIniDocument& doc, const TSettingKey& key) {
    if (!key.Field) return std::nullopt;
    const auto text = doc.Find(key.Section, key.Key);
    if (!text) return std::nullopt;
    return std::visit(
        [&](auto* field) -> std::optional<TSettingValue> {
            using T = std::remove_pointer_t<decltype(field)>;
            if constexpr (std::is_same_v<T, bool>) {
                const auto value = ParseInt32(*text);
                if (!value) return std::nullopt;
                return *value != 0;
            } else if constexpr (std::is_same_v<T, int32_t>) {
                const auto value = ParseInt32(*text);
                if (!value || *value < key.Min || *value > key.Max) return std::nullopt;
                return *value;
            } else if constexpr (std::is_same_v<T, std::optional<int32_t>>) {
                const std::optional<int32_t> value = ParseInt32(*text);
                if (!value) return std::nullopt;
                return TSettingValue(value);
            } else if constexpr (std::is_same_v<T, std::string>) {
                return *text;
            } else {
                const auto date = ParseShortDate(*text);
                if (!date) return std::nullopt;
                return *date;
            }
        },
        key.Field(const_cast<TSettingsValues&>(Defaults()))); // only its type is used
}

void ReadSettingKey(const TIniDocument& doc, const TSettingKey& key, TSettingsValues& values) {
    if (!key.Field) return;
    const TSettingValue value = ParseSettingKey(doc, key).value_or(SettingDefault(key));
    std::visit(
        [&](auto* field) { *field = std::get<std::remove_pointer_t<decltype(field)>>(value); },
        key.Field(values));
}

bool SettingFallsBack(const TIniDocument& doc, const TSettingKey& key) {
    return key.Field && doc.Find(key.Section, key.Key) && !ParseSettingKey(doc, key);
}

void WriteSettingValue(TIniDocument& doc, const TSettingKey& key, const TSettingValue& value) {
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>) {
                doc.WriteBool(key.Section, key.Key, v);
            } else if constexpr (std::is_same_v<T, int32_t>) {
                doc.WriteInteger(key.Section, key.Key, v);
            } else if constexpr (std::is_same_v<T, std::optional<int32_t>>) {
                if (v) doc.WriteInteger(key.Section, key.Key, *v);
            } else if constexpr (std::is_same_v<T, std::string>) {
                doc.WriteString(key.Section, key.Key, v);
            } else {
                doc.WriteString(key.Section, key.Key, FormatShortDate(v));
            }
        },
        value);
}

void WriteSettingKey(TIniDocument& doc, const TSettingKey& key, const TSettingsValues& values) {
    WriteSettingValue(doc, key, SettingValue(key, values));
}

} // namespace orv
