// playstate: the state of the music player as the orvanta3-mpd bridge publishes it.
//
// Where each tag comes from: the shared block OrvantaMP3Data (MediaBlocks.h), which the bridge
// fills from MPD (play state, times, file) and from MPD's fifo output (levels, 20 spectrum
// bands), or from the first MPRIS player when no MPD answers. A missing block or a negative
// play state means no data: $mp3Check gives "#skip". The copy of the block is taken once per
// millisecond of CLOCK_MONOTONIC (SetTickForTesting pins that clock).
#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/ProgramSettingKeys.h"
#include "abi/MediaBlocks.h"
#include "base/UserFolders.h"
#include "modules/common/DurationFormat.h"
#include "modules/common/IconParameter.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/NumberFormat.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/SharedBlockReader.h"
#include "modules/common/TickClock.h"
#include "modules/common/UnitWords.h"
#include "modules/playstate/SpectrumRows.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

using namespace orv;

namespace {

enum TPlayStateTag : int16_t {
    tagMp3Check,
    tagMp3Status,
    tagMp3StatusIcon,
    tagMp3PercPosition,
    tagMp3Position,
    tagMp3PercRemain,
    tagMp3Remain,
    tagMp3Length,
    tagMp3Spectrum4,
    tagMp3Spectrum8,
    tagMp3Spectrum16,
    tagMp3Spectrum20,
    tagMp3Level,
};

// The bar roles vb_0 .. vb_7 (the vertical set loaded as charset 1 puts vb_0, the full cell, at
// code 1 and vb_7 at code 8, so the lowest bar piece vb_0 of the mapping is code 8).
const TCharsetMappingKey& BarKey(size_t k) { return kCharsetMappingKeys[kVerticalBarRoles + k]; }

// What the last successful refresh read from the block.
struct TSnapshot {
    int16_t State = msNoData;
    int32_t PositionSec = 0;
    int32_t LengthSec = 0;
    uint8_t LevelLeft = 0;
    uint8_t LevelRight = 0;
    uint8_t Spectrum[kMp3Bands] = {};
};

uint64_t MsOf(int64_t seconds) { return seconds > 0 ? static_cast<uint64_t>(seconds) * 1000 : 0; }

class TPlayState {
public:
    const char* GetValue(int16_t index, const char* param);
    void LoadSettings();
    void PinTick(const uint64_t* ms) { clock_.Pin(ms); }

private:
    bool Refresh();
    const char* Status();
    const char* StatusIcon(const char* param);

    TSharedBlockReader<TMp3Data> block_{kMp3DataName};
    TSnapshot snapshot_;
    TTickClock clock_{CLOCK_MONOTONIC};
    std::optional<uint64_t> snapshotTick_;
    TSpectrumRows spectrum_;
    TUnitWords words_;
    TModuleResult result_;
};

TPlayState gPlayState;

bool TPlayState::Refresh() {
    const uint64_t tick = clock_.NowMs();
    if (tick == snapshotTick_) return true;
    const std::optional<TMp3Data> block = block_.Snapshot();
    if (!block || block->State < 0) return false;
    snapshot_.State = block->State;
    snapshot_.PositionSec = block->PositionSec;
    snapshot_.LengthSec = block->LengthSec;
    snapshot_.LevelLeft = block->LevelLeft;
    snapshot_.LevelRight = block->LevelRight;
    std::memcpy(snapshot_.Spectrum, block->Spectrum, kMp3Bands);
    snapshotTick_ = tick;
    return true;
}

const char* TPlayState::GetValue(int16_t index, const char* param) {
    if (index == kClearResultIndex) return result_.Clear();
    if (index < 0 || index > tagMp3Level) return result_.Keep();
    if (index == tagMp3StatusIcon) return StatusIcon(param);
    const bool fresh = Refresh();
    if (index == tagMp3Check) return result_.Set(fresh ? std::string_view() : kSkipMark);
    if (!fresh) return result_.Clear();

    const uint8_t selector = ParseSelector(param, 0);
    const int64_t position = snapshot_.PositionSec;
    const int64_t length = snapshot_.LengthSec;
    switch (index) {
    case tagMp3Status: return Status();
    case tagMp3PercPosition:
        return result_.Set(length > 0 ? IntToStr(position * 100 / length) : "0");
    case tagMp3Position: return result_.Set(FormatDuration(MsOf(position), selector, words_));
    case tagMp3PercRemain:
        return result_.Set(length > 0 ? IntToStr((length - position) * 100 / length) : "100");
    case tagMp3Remain:
        return result_.Set(FormatDuration(MsOf(length - position), selector, words_));
    case tagMp3Length: return result_.Set(FormatDuration(MsOf(length), selector, words_));
    case tagMp3Spectrum4: return result_.Set(spectrum_.Row(snapshot_.Spectrum, 4, selector));
    case tagMp3Spectrum8: return result_.Set(spectrum_.Row(snapshot_.Spectrum, 8, selector));
    case tagMp3Spectrum16: return result_.Set(spectrum_.Row(snapshot_.Spectrum, 16, selector));
    case tagMp3Spectrum20: return result_.Set(spectrum_.Row(snapshot_.Spectrum, 20, selector));
    default:
        if (selector == 0) return result_.Set(IntToStr(snapshot_.LevelLeft * 100 / 255));
        if (selector == 1) return result_.Set(IntToStr(snapshot_.LevelRight * 100 / 255));
        return result_.Clear();
    }
}

const char* TPlayState::Status() {
    switch (static_cast<uint8_t>(snapshot_.State & 0xFF)) {
    case msStopped: return result_.Set("Stop");
    case msPlaying: return result_.Set("Play");
    case msPaused: return result_.Set("Pause");
    case msNoMedia: return result_.Set("No media");
    case msShuttingDown: return result_.Set("Destroyed");
    default: return result_.Clear();
    }
}

// Uses the state of the last refresh, without a refresh of its own.
const char* TPlayState::StatusIcon(const char* param) {
    const TIconParameter icon = ParseIconParameter(param, 3);
    switch (snapshot_.State) {
    case msPlaying: return result_.Set(PlayStateIcon(icon, TPlayIcon::Play));
    case msPaused: return result_.Set(PlayStateIcon(icon, TPlayIcon::Pause));
    case msStopped: return result_.Set(PlayStateIcon(icon, TPlayIcon::Stop));
    default: return result_.Keep();
    }
}

void TPlayState::LoadSettings() {
    const TIniDocument settings = TIniFile(SettingsPath()).Read();
    words_.Read(settings, {TUnitWord::Hour, TUnitWord::Min, TUnitWord::Sec});
    std::array<uint8_t, 8> bars{};
    for (size_t k = 0; k < bars.size(); ++k)
        bars[k] = static_cast<uint8_t>(
            settings.ReadInteger(kCharsetMappingSection, BarKey(k).Key, BarKey(k).Default) & 0xFF);
    spectrum_.SetBarCharacters(bars);
}

constexpr const char* kNoSourceHint =
    "Этот тег используется, чтобы предотвратить показ экрана в то время, когда нет источника "
    "для получения данных (WinAmp не запущен)"_cp1251;

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "MP3 playing status",
        .Description = "Состояние MP3-проигрывателя (нужна поддержка со стороны проигрывателя, "
                       "поддерживаются WinAmp 2 и 3)\r\rOrvanta3 team"_cp1251,
        .Id = 9,
        .GroupCaption = "MP3-player status",
        .GetValue = ModuleGetValue<gPlayState>,
        .LoadSettings = ModuleLoadSettings<gPlayState>,
    },
    {
        {.Name = "$mp3Check", .Caption = "условие показа"_cp1251, .Hint = kNoSourceHint},
        {.Name = "$mp3Status",
         .Caption = "статус"_cp1251,
         .Example = "$mp3Status[,,,2]$",
         .Hint = "Этот тег выводит состояние проигрывателя"_cp1251},
        {.Name = "$mp3StatusIcon",
         .Caption = "статус (иконка)"_cp1251,
         .Example = "$mp3StatusIcon['123',,,2]$",
         .Hint = "Этот тег выводит состояние проигрывателя в виде одного из определенных "
                 "пользователем символа.\r\rCимволы задаются либо номером символа в "
                 "пользователском наборе - от 1 до 8, например: \r\r$mp3StatusIcon['123',,,2]$"
                 "\r\r либо именем символа с указанием позиции в списке пользовательских "
                 "символов, например: \r\r$mp3StatusIcon['1:char_play;char_pause;char_stop',,,2]$"
                 "\r\rНомера или имена символов вводятся в следующей последовательности: "
                 "Play/Pause/Stop"_cp1251},
        {.Name = "$mp3PercPosition",
         .Caption = "%прошло"_cp1251,
         .Example = "$mp3PercPosition[,,10,2,bar]$",
         .Hint = "Этот тег показывает (в %) время, прошедшее с начала воспроизведения"_cp1251},
        {.Name = "$mp3Position",
         .Caption = "прошло"_cp1251,
         .Example = "$mp3Position[3,,,2]$",
         .Hint = "Этот тег показывает время, прошедшее с начала воспроизведения"_cp1251},
        {.Name = "$mp3PercRemain",
         .Caption = "%осталось"_cp1251,
         .Example = "$mp3PercRemain[,,10,2,bar]$",
         .Hint = "Этот тег показывает (в %) время, оставшееся до конца композиции"_cp1251},
        {.Name = "$mp3Remain",
         .Caption = "осталось"_cp1251,
         .Example = "$mp3Remain[3,,,2]$",
         .Hint = "Этот тег показывает время, оставшееся до конца композиции"_cp1251},
        {.Name = "$mp3Length",
         .Caption = "длина"_cp1251,
         .Example = "$mp3Length[3,,,2]$",
         .Hint = "Этот тег показывает длительность mp3-композиции"_cp1251},
        {.Name = "$mp3Spectrum4",
         .Caption = "спектроскоп 4"_cp1251,
         .Example = "$mp3Spectrum4[11,,4,4]$",
         .Hint = "Этот тег выводит спектрограмму шириной 4 символа"_cp1251},
        {.Name = "$mp3Spectrum8",
         .Caption = "спектроскоп 8"_cp1251,
         .Example = "$mp3Spectrum8[11,,8,4]$",
         .Hint = "Этот тег выводит спектрограмму шириной 8 символов"_cp1251},
        {.Name = "$mp3Spectrum16",
         .Caption = "спектроскоп 16"_cp1251,
         .Example = "$mp3Spectrum16[11,,16,4]$",
         .Hint = "Этот тег выводит спектрограмму шириной 16 символов"_cp1251},
        {.Name = "$mp3Spectrum20",
         .Caption = "спектроскоп 20"_cp1251,
         .Example = "$mp3Spectrum20[11,,20,4]$",
         .Hint = "Этот тег выводит спектрограмму шириной 20 символов"_cp1251},
        {.Name = "$mp3Level",
         .Caption = "уровень сигнала"_cp1251,
         .Example = "$mp3Level[0,,10,4,bar]$",
         .Hint = "Этот тег показывает (в %) уровень сигнала"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

// The bar characters' keys at the defaults the module reads them with.
ORVANTA3_EXPORT const TPluginSettingKey* settingKeys() {
    static const std::array<std::string, kBarRoleCount> defaults = [] {
        std::array<std::string, kBarRoleCount> texts;
        for (size_t k = 0; k < texts.size(); ++k) texts[k] = std::to_string(BarKey(k).Default);
        return texts;
    }();
    static const std::array<TPluginSettingKey, kBarRoleCount + 1> keys = [] {
        std::array<TPluginSettingKey, 9> table{};
        for (size_t k = 0; k < kBarRoleCount; ++k)
            table[k] = {kCharsetMappingSection, BarKey(k).Key, defaults[k].c_str(),
                        k == 0 ? "character code of the lowest spectrum bar (0 to 255)"
                               : "character code of the next higher spectrum bar (0 to 255)"};
        return table; // the last entry, all null, ends the table
    }();
    return keys.data();
}

ORVANTA3_EXPORT void SetTickForTesting(const uint64_t* ms) { gPlayState.PinTick(ms); }
