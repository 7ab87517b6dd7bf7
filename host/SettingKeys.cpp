#include "host/SettingKeys.h"

#include "base/LocaleDate.h"
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

template <auto Group, auto Member>
TSettingField Field(TSettingsValues& values) {
    return &(values.*Group.*Member);
}

constexpr const char* kCommon = "Common";
constexpr const char* kINet = "INet";
constexpr const char* kShortcuts = "Shortcuts";
constexpr const char* kVirtualScreen = "Virtual screen";
constexpr const char* kPosition = "Position";

constexpr TSettingKey kKeys[] = {
    {kCommon, "Autostart", Bool, Main, Save, Field<&V::Common, &C::Autostart>},
    {kCommon, "Autoload job", Bool, Early, Save, Field<&V::Common, &C::AutoloadJob>},
    {kCommon, "Job name", Text, Early, Save, Field<&V::Common, &C::JobName>},
    {kCommon, "StartMsg", Text, Main, Save, Field<&V::Common, &C::StartMsg>},
    {kCommon, "QuitMsg", Text, Main, Save, Field<&V::Common, &C::QuitMsg>},
    {kCommon, "StartMsg line2", Text, Main, Save, Field<&V::Common, &C::StartMsgLine2>},
    {kCommon, "QuitMsg line2", Text, Main, Save, Field<&V::Common, &C::QuitMsgLine2>},
    {kCommon, "Language", Text, Main, Save, Field<&V::Common, &C::Language>},
    {kCommon, "Show hint", Bool, Main, Save, Field<&V::Common, &C::ShowHint>},
    {kCommon, "Show splash-screen", Bool, Early, Save, Field<&V::Common, &C::ShowSplashScreen>},
    {kCommon, "Base timeout", Integer, Main, Save, Field<&V::Common, &C::BaseTimeoutMs>, 50, 1000},
    {kCommon, "Long delay period", Integer, Main, Save, Field<&V::Common, &C::LongDelayPeriod>, 4},
    {kCommon, "Calculate time for long strings", Bool, Main, Save,
     Field<&V::Common, &C::CalculateTimeForLongStrings>},
    {kCommon, "SubScreen show time", Integer, Main, Save,
     Field<&V::Common, &C::SubScreenShowTimeSec>, 1},
    {kCommon, "Show LCD-screensaver", Bool, Main, Save, Field<&V::Common, &C::ShowLcdScreensaver>},
    {kCommon, "Transition speed", Integer, Main, Save, Field<&V::Common, &C::TransitionSpeedMs>,
     50, 1000},
    {kCommon, "Bold edit line", Bool, Main, Save, Field<&V::Common, &C::BoldEditLine>},
    {kCommon, "Use animation", Bool, Main, Save, Field<&V::Common, &C::UseAnimation>},
    {kCommon, "Scroll delimiter", Text, Main, Save, Field<&V::Common, &C::ScrollDelimiter>},
    {kCommon, "Use scroll delimiter", Bool, Main, Save, Field<&V::Common, &C::UseScrollDelimiter>},

    {kINet, "Proxy", Text, Main, Save, Field<&V::INet, &N::Proxy>},
    {kINet, "ProxyPort", Integer, Main, Save, Field<&V::INet, &N::ProxyPort>, 1, 65535},
    {kINet, "Check updates", Bool, Main, Save, Field<&V::INet, &N::CheckUpdates>},
    {kINet, "Next check", Date, Main, UpdateCheck, Field<&V::INet, &N::NextCheck>},
    {kINet, "Ver", Text, Main, UpdateCheck, Field<&V::INet, &N::Ver>},

    {kShortcuts, "Bit", Text, Main, Save, Field<&V::Shortcuts, &S::Bit>},
    {kShortcuts, "Byte", Text, Main, Save, Field<&V::Shortcuts, &S::Byte>},
    {kShortcuts, "Kilo", Text, Main, Save, Field<&V::Shortcuts, &S::Kilo>},
    {kShortcuts, "Mega", Text, Main, Save, Field<&V::Shortcuts, &S::Mega>},
    {kShortcuts, "Giga", Text, Main, Save, Field<&V::Shortcuts, &S::Giga>},
    {kShortcuts, "PerSec", Text, Main, Save, Field<&V::Shortcuts, &S::PerSec>},
    {kShortcuts, "Hertz", Text, Main, Save, Field<&V::Shortcuts, &S::Hertz>},
    {kShortcuts, "Hour", Text, Main, Save, Field<&V::Shortcuts, &S::Hour>},
    {kShortcuts, "Min", Text, Main, Save, Field<&V::Shortcuts, &S::Min>},
    {kShortcuts, "Sec", Text, Main, Save, Field<&V::Shortcuts, &S::Sec>},

    {kVirtualScreen, "Show", Bool, Main, Save, Field<&V::VirtualScreen, &VS::Show>},
    {kVirtualScreen, "Pixel ON color", Colour, Main, Save,
     Field<&V::VirtualScreen, &VS::PixelOnColor>},
    {kVirtualScreen, "Pixel OFF color", Colour, Main, Save,
     Field<&V::VirtualScreen, &VS::PixelOffColor>},
    {kVirtualScreen, "Background color", Colour, Main, Save,
     Field<&V::VirtualScreen, &VS::BackgroundColor>},
    {kVirtualScreen, "Pixel horiz. size", Integer, Main, Save,
     Field<&V::VirtualScreen, &VS::PixelHorizSize>, 1, 4},
    {kVirtualScreen, "Pixel vert. size", Integer, Main, Save,
     Field<&V::VirtualScreen, &VS::PixelVertSize>, 1, 4},
    {kVirtualScreen, "Horiz. position", Integer, Main, VirtualScreenClosed,
     Field<&V::VirtualScreen, &VS::HorizPosition>},
    {kVirtualScreen, "Vert. position", Integer, Main, VirtualScreenClosed,
     Field<&V::VirtualScreen, &VS::VertPosition>},

    {kPosition, "Top", Integer, Position, Exit, Field<&V::Position, &P::Top>},
    {kPosition, "Left", Integer, Position, Exit, Field<&V::Position, &P::Left>},
    {kPosition, "Width", Integer, Never, Exit, nullptr},
    {kPosition, "Height", Integer, Never, Exit, nullptr},
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
