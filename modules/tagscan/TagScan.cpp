// tagscan: the ID3 information of the file the music player plays.
//
// Where each tag comes from: the playing file's path from the shared block OrvantaMP3Data
// (written by the orvanta3-mpd bridge; a missing block or a negative play state means no
// data), and that file itself, read once per change of the path (Id3Reader.h): ID3 version 2
// (2.2, 2.3, 2.4) or version 1 texts, and bit rate, sampling rate and channel mode of the first
// MPEG audio frame header. The file is read on a background task, never on the display thread:
// meanwhile, and when it cannot be opened, the values of the previous one stay.
// The block is looked at once per millisecond of CLOCK_MONOTONIC (SetTickForTesting pins it).
#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "abi/MediaBlocks.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "base/RegionalSettings.h"
#include "base/UserFolders.h"
#include "modules/common/BackgroundTasks.h"
#include "modules/common/IconParameter.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/QuantityFormat.h"
#include "modules/common/SharedBlockReader.h"
#include "modules/common/TickClock.h"
#include "modules/common/UnitWords.h"
#include "modules/common/OutsideText.h"
#include "modules/tagscan/ByteSource.h"
#include "modules/tagscan/Id3Reader.h"
#include "modules/tagscan/MpegHeader.h"

#include <array>
#include <mutex>
#include <optional>
#include <string>

using namespace orv;

namespace {

enum TTagScanTag : int16_t {
    tagId3Check,
    tagId3Title,
    tagId3Artist,
    tagId3Album,
    tagId3Year,
    tagId3Comment,
    tagId3Gentre,
    tagId3Bitrate,
    tagId3Freq,
    tagId3Mode,
    tagId3ModeIcon,
};

constexpr std::array<const char*, 4> kModeNames = {"Stereo", "Joint stereo", "Dual channel",
                                                   "Mono"};

class TTagScan {
public:
    const char* GetValue(int16_t index, const char* param);
    void LoadSettings();
    void PinTick(const uint64_t* ms) { clock_.Pin(ms); }
    int32_t WaitBackground(int32_t timeoutMs) {
        return tasks_.WaitIdle(std::chrono::milliseconds(timeoutMs)) ? 1 : 0;
    }

private:
    bool Refresh();
    TFileInfo Info();
    const char* ModeIcon(const char* param);

    TSharedBlockReader<TMp3Data> block_{kMp3DataName};
    std::optional<std::string> parsedPath_; // as the block holds it, lead characters included
    std::mutex lock_;                       // info_
    TFileInfo info_;
    TTickClock clock_{CLOCK_MONOTONIC};
    std::optional<uint64_t> refreshTick_;
    TUnitWords words_;
    std::string decimalSeparator_ = ".";
    TModuleResult result_;
    TBackgroundTasks tasks_; // last: ends before the rest
};

TTagScan gTagScan;

bool TTagScan::Refresh() {
    const uint64_t tick = clock_.NowMs();
    if (tick == refreshTick_) return true;
    const std::optional<TMp3Data> block = block_.Snapshot();
    if (!block || block->State < 0) return false;
    const std::string path = block->Path.Get();
    if (path != parsedPath_) {
        parsedPath_ = path;
        const std::string file = path.size() > kMp3PathLead ? path.substr(kMp3PathLead) : "";
        tasks_.Replace([this, file = Cp1251ToUtf8(file)](std::stop_token stop) {
            auto source = TFileSource::Open(file);
            if (!source) return;
            TFileInfo info = ReadFileInfo(*source);
            if (stop.stop_requested()) return; // another file plays by now
            std::lock_guard guard(lock_);
            info_ = std::move(info);
        });
    }
    refreshTick_ = tick;
    return true;
}

TFileInfo TTagScan::Info() {
    std::lock_guard guard(lock_);
    return info_;
}

const char* TTagScan::GetValue(int16_t index, const char* param) {
    if (index == kClearResultIndex) return result_.Clear();
    if (index < 0 || index > tagId3ModeIcon) return result_.Keep();
    if (index == tagId3ModeIcon) return ModeIcon(param);
    const bool fresh = Refresh();
    if (index == tagId3Check) return result_.Set(fresh ? std::string_view() : kSkipMark);
    if (!fresh) return result_.Clear();
    const TFileInfo info = Info();
    switch (index) {
    case tagId3Title: return result_.Set(OutsideText(info.Title));
    case tagId3Artist: return result_.Set(OutsideText(info.Artist));
    case tagId3Album: return result_.Set(OutsideText(info.Album));
    case tagId3Year: return result_.Set(OutsideText(info.Year));
    case tagId3Comment: return result_.Set(OutsideText(info.Comment));
    case tagId3Gentre: return result_.Set(OutsideText(info.Genre));
    case tagId3Bitrate:
        return result_.Set(FormatQuantity(int64_t{info.BitRateKbps} * 1000, TQuantityMode::Rate,
                                          words_, decimalSeparator_));
    case tagId3Freq:
        return result_.Set(
            FormatQuantity(info.SampleRateHz, TQuantityMode::Hertz, words_, decimalSeparator_));
    default: return result_.Set(kModeNames[info.ChannelMode & 3]);
    }
}

// Uses the mode held from the last file, without a refresh of its own.
const char* TTagScan::ModeIcon(const char* param) {
    const TIconParameter icon = ParseIconParameter(param, 4);
    const uint8_t mode = Info().ChannelMode & 3;
    if (icon.NumberForm) return result_.Set(icon.Character(mode));
    return result_.Set(std::string(kMaskList.Text) + std::to_string(mode) + ";" + icon.Text);
}

void TTagScan::LoadSettings() {
    words_.Read({TUnitWord::Bit, TUnitWord::Byte, TUnitWord::Kilo, TUnitWord::Mega, TUnitWord::Giga,
                 TUnitWord::PerSec, TUnitWord::Hertz});
    decimalSeparator_ = UserDecimalSeparator();
}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "ID3 info (с поддержкой ID3 v.2)"_cp1251,
        .Description = "Информация об MP3-композиции (нужна поддержка со стороны проигрывателя, "
                       "поддерживаются WinAmp 2 и 3)\r\rOrvanta3 team"_cp1251,
        .Id = 9,
        .GroupCaption = "ID3 info",
        .GroupHint = "Теги этого модуля выводят ID3 теги (включая v2)"_cp1251,
        .GetValue = ModuleGetValue<gTagScan>,
        .LoadSettings = ModuleLoadSettings<gTagScan>,
    },
    {
        {.Name = "$id3Check",
         .Caption = "условие показа"_cp1251,
         .Example = "$id3Check$",
         .Hint = "Этот тег используется, чтобы предотвратить показ экрана в то время, когда нет "
                 "источника для получения данных (WinAmp не запущен)"_cp1251},
        {.Name = "$id3Title",
         .Caption = "название"_cp1251,
         .Example = "$id3Title[,,,2]$",
         .Hint = "Этот тег выводит название mp3-композиции"_cp1251},
        {.Name = "$id3Artist",
         .Caption = "исполнитель"_cp1251,
         .Example = "$id3Artist[,,,2]$",
         .Hint = "Этот тег выводит изполнителя"_cp1251},
        {.Name = "$id3Album",
         .Caption = "альбом"_cp1251,
         .Example = "$id3Album[,,,2]$",
         .Hint = "Этот тег выводит название альбома"_cp1251},
        {.Name = "$id3Year",
         .Caption = "год"_cp1251,
         .Example = "$id3Year[,,,2]$",
         .Hint = "Этот тег выводит год выпуска альбома"_cp1251},
        {.Name = "$id3Comment",
         .Caption = "комментарий"_cp1251,
         .Example = "$id3Comment[,,,2]$",
         .Hint = "Этот тег выводит комментарий к композиции"_cp1251},
        {.Name = "$id3Gentre",
         .Caption = "жанр"_cp1251,
         .Example = "$id3Gentre[,,,2]$",
         .Hint = "Этот тег выводит жанр композиции"_cp1251},
        {.Name = "$id3Bitrate",
         .Caption = "битрейт"_cp1251,
         .Example = "$id3Bitrate[,,,2]$",
         .Hint = "Этот тег показывает \"плотность\" оцифровки"_cp1251},
        {.Name = "$id3Freq",
         .Caption = "частота"_cp1251,
         .Example = "$id3Freq[,,,2]$",
         .Hint = "Этот тег показывает частоту оцифровки"_cp1251},
        {.Name = "$id3Mode",
         .Caption = "режим"_cp1251,
         .Example = "$id3Mode[,,,2]$",
         .Hint = "Этот тег показывает режим воспроизведения"_cp1251},
        {.Name = "$id3ModeIcon",
         .Caption = "режим (иконка)"_cp1251,
         .Example = "$id3ModeIcon[,,,2]$",
         .Hint = "Этот тег выводит иконку, соответствующую режиму воспроизведения\r\rПараметр "
                 "Index должен содержать строку из 4-х чисел от 1 до 8 (например '1112'), каждое "
                 "из которых должно соответствовать номеру пользовательского символа, который "
                 "будет использован для вывода соответствующего режима (Stereo, Joint stereo, "
                 "Dual channel, Mono)\r\rНапример $id3ModeIcon['1112',,,2]$ - для вывода "
                 "не-моно режимов использовать символ №1 из пользовательского набора символов, "
                 "для отображения моно-режима - символ №2"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT void SetTickForTesting(const uint64_t* ms) { gTagScan.PinTick(ms); }

ORVANTA3_EXPORT int32_t WaitBackgroundForTesting(int32_t timeoutMs) {
    return gTagScan.WaitBackground(timeoutMs);
}
