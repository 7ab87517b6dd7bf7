// videowatch: what the media player followed by the program's player link is doing.
//
// Where each tag comes from:
//   $zoomCheck            the running program's player link (Orvanta3PlayerLookAgain, found
//                         with dlsym): a media player on the session bus, else "#skip"
//   every other tag       the shared block ZoomPlayerData, which the link fills from the
//                         player's MPRIS properties
//   times                 in the user's long time format (T_FMT of LC_TIME)
#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/LocaleDate.h"
#include "abi/MediaBlocks.h"
#include "abi/LookAgain.h"
#include "modules/common/IconParameter.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/NumberFormat.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/SharedBlockReader.h"
#include "modules/common/OutsideText.h"

#include <cmath>
#include <dlfcn.h>
#include <optional>
#include <string>

using namespace orv;

namespace {

enum TVideoWatchTag : int16_t {
    tagZoomCheck,
    tagZoomStatus,
    tagZoomStatusIcon,
    tagZoomPosition,
    tagZoomPercPosition,
    tagZoomRemain,
    tagZoomPercRemain,
    tagZoomLength,
    tagZoomMedia,
};

// Whole seconds of a time in days, as a clock shows it: milliseconds rounded, then truncated
// to seconds. Values that are no number count as 0.
int64_t SecondsOf(double days) {
    constexpr double kMsPerDay = 86'400'000.0;
    const double ms = days * kMsPerDay;
    if (!std::isfinite(ms) || ms <= 0) return 0;
    if (ms > 1e15) return 0;
    return std::llround(ms) / 1000;
}

// round(part / whole × 100), halves to even; "0" when whole is not above 0.
std::string Percent(double part, double whole) {
    if (!(whole > 0) || !std::isfinite(part) || !std::isfinite(whole)) return "0";
    const double percent = std::nearbyint(part / whole * 100.0);
    if (!(std::fabs(percent) < 1e15)) return "0";
    return IntToStr(static_cast<int64_t>(percent));
}

// The file name: the text after the last '/', '\' or ':'.
std::string FileNameOf(const std::string& path) {
    const size_t cut = path.find_last_of("/\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

class TVideoWatch {
public:
    const char* GetValue(int16_t index, const char* param);

private:
    const char* Check();
    const char* Status(const TZoomPlayerData& block);
    const char* StatusIcon(const TZoomPlayerData& block, const char* param);
    std::string Time(double days);

    TSharedBlockReader<TZoomPlayerData> block_{kZoomPlayerDataName};
    std::optional<TPlayerLookAgainFunc> lookAgain_; // the running program's, looked up once
    std::optional<std::string> longTimeFormat_;
    TModuleResult result_;
};

TVideoWatch gVideoWatch;

const char* TVideoWatch::GetValue(int16_t index, const char* param) {
    if (index == kClearResultIndex) return result_.Clear();
    if (index == tagZoomCheck) return Check();
    if (index < 0 || index > tagZoomMedia) return result_.Keep();
    const std::optional<TZoomPlayerData> block = block_.Snapshot();
    if (!block) return result_.Clear();
    const double length = block->LengthDays;
    const double position = block->PositionDays;
    switch (index) {
    case tagZoomStatus: return Status(*block);
    case tagZoomStatusIcon: return StatusIcon(*block, param);
    case tagZoomPosition: return result_.Set(Time(position));
    case tagZoomPercPosition: return result_.Set(Percent(position, length));
    case tagZoomRemain: return result_.Set(Time(length - position));
    case tagZoomPercRemain: return result_.Set(Percent(length - position, length));
    case tagZoomLength: return result_.Set(Time(length));
    default: return result_.Set(OutsideText(FileNameOf(block->Path.Get())));
    }
}

// The check asks the link to look at the bus again, so that a player started later is found.
const char* TVideoWatch::Check() {
    if (!lookAgain_)
        lookAgain_ =
            reinterpret_cast<TPlayerLookAgainFunc>(::dlsym(RTLD_DEFAULT, kPlayerLookAgainExport));
    return result_.Set(*lookAgain_ && (*lookAgain_)() != 0 ? std::string_view() : kSkipMark);
}

const char* TVideoWatch::Status(const TZoomPlayerData& block) {
    const std::string info = block.Info.Get();
    if (!info.empty()) return result_.Set(OutsideText(info));
    switch (block.State) {
    case zsClosed: return result_.Set("Closed");
    case zsStopped: return result_.Set("Stop");
    case zsPlaying: return result_.Set("Play");
    case zsPaused: return result_.Set("Pause");
    default: return result_.Keep();
    }
}

const char* TVideoWatch::StatusIcon(const TZoomPlayerData& block, const char* param) {
    const TIconParameter icon = ParseIconParameter(param, 3);
    switch (block.State) {
    case zsPlaying: return result_.Set(PlayStateIcon(icon, TPlayIcon::Play));
    case zsPaused: return result_.Set(PlayStateIcon(icon, TPlayIcon::Pause));
    case zsStopped:
    case 4:
    case zsClosed: return result_.Set(PlayStateIcon(icon, TPlayIcon::Stop));
    default: return result_.Keep();
    }
}

std::string TVideoWatch::Time(double days) {
    if (!longTimeFormat_) longTimeFormat_ = UserLongTimeFormat();
    return FormatTimeOfDay(SecondsOf(days), *longTimeFormat_);
}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "ZoomPlayer status",
        .Description = "Информация о проигрываемом в ZoomPlayer-е видеофайле\r\r"
                       "Orvanta3 team"_cp1251,
        .Id = 22,
        .GroupCaption = "ZoomPlayer",
        .GroupHint = "ZoomPlayer",
        .GetValue = ModuleGetValue<gVideoWatch>,
    },
    {
        {.Name = "$zoomCheck",
         .Caption = "условие показа"_cp1251,
         .Example = "$zoomCheck$",
         .Hint = "Проверка, запущен ли ZoomPlayer\r\rЕсли ZoomPlayer не запущен, экран будет "
                 "пропущен"_cp1251},
        {.Name = "$zoomStatus",
         .Caption = "статус"_cp1251,
         .Example = "$zoomStatus[,,,2]$",
         .Hint = "Состояние проигрывателя\r\rПоказывает текущий режим работы "
                 "проигрывателя"_cp1251},
        {.Name = "$zoomStatusIcon",
         .Caption = "статус (иконка)"_cp1251,
         .Example = "$zoomStatusIcon['123',,,2]$",
         .Hint = "Состояние проигрывателя в виде иконки\r\rПоказывает текущий режим работы "
                 "проигрывателя в виде одного из определенных пользователем символов\r\rНомера "
                 "или имена символов вводятся в следующей последовательности: "
                 "Play/Pause/Stop"_cp1251},
        {.Name = "$zoomPosition",
         .Caption = "прошло"_cp1251,
         .Example = "$zoomPosition[,,,3]$",
         .Hint = "Прошло\r\rПоказывает время, прошедшее с начала воспроизведения (формат "
                 "времени всегда hh:mm:ss)"_cp1251},
        {.Name = "$%zoomPosition",
         .Caption = "прошло в %"_cp1251,
         .Example = "$%zoomPosition[,,10,3,bar]$",
         .Hint = "Прошло в %\r\rПоказывает в % к общей длине медиафайла прошедшее с начала "
                 "воспроизведения время; используется для вывода прошедшего времени в виде "
                 "полосы прогресса (возможно, надо будет переключить текущий набор "
                 "пользовательских символов на \"горизонтальный\")"_cp1251},
        {.Name = "$zoomRemain",
         .Caption = "осталось"_cp1251,
         .Example = "$zoomRemain[,,,2]$",
         .Hint = "Осталось\r\rПоказывает время, необходимое для завершения воспризведения "
                 "медиа-файла (формат времени всегда hh:mm:ss)"_cp1251},
        {.Name = "$%zoomRemain",
         .Caption = "осталось в %"_cp1251,
         .Example = "$%zoomRemain[,,10,3,bar]$",
         .Hint = "Осталось в %\r\rПоказывает в % к общей длине оставшееся до конца "
                 "воспроизведения время; используется для вывода оставшегося времени в виде "
                 "полосы прогресса (возможно, надо будет переключить текущий набор "
                 "пользовательских символов на \"горизонтальный\")"_cp1251},
        {.Name = "$zoomLength",
         .Caption = "длина"_cp1251,
         .Example = "$zoomLength[,,,2]$",
         .Hint = "Длина\r\rПоказывает в формате hh:mm:ss продолжительность "
                 "медиа-файла"_cp1251},
        {.Name = "$zoomMedia",
         .Caption = "инфо о файле"_cp1251,
         .Example = "$zoomMedia[,,,2]$",
         .Hint = "Медиа-файл\r\rПоказывает название загруженного в настоящее время "
                 "медиа-файла"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }
