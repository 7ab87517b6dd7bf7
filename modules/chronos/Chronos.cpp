// chronos: the current time and date, the time since the computer was started, the day of the
// week and the single fields of the current date and time.
//
// Where each tag comes from:
//   $time, $dayofweek, $nowHour ... $nowYear  time() broken down by localtime_r (the zone of TZ
//                                             or /etc/localtime)
//   $date                                     the same date, with the date separator of the
//                                             user's LC_TIME locale (UserDateSeparator)
//   $uptime                                   clock_gettime(CLOCK_BOOTTIME) in milliseconds; it
//                                             keeps counting while the machine is suspended
// SetWallClockForTesting and ChronosSetUptimeForTesting (ChronosTesting.h) pin both clocks.
// Every answer counts whole seconds, so steadyFor promises it until the clock's next second.
#include "modules/chronos/ChronosTesting.h"

#include "abi/ConstUnit.h"
#include "abi/PluginFailure.h"
#include "base/Cp1251.h"
#include "base/RegionalSettings.h"
#include "modules/common/DurationFormat.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/NumberFormat.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/UnitWords.h"

#include <array>
#include <chrono>
#include <ctime>
#include <optional>
#include <string>

using namespace orv;

namespace {

enum TChronosTag : int16_t {
    tagTime,
    tagDate,
    tagUptime,
    tagDayOfWeek,
    tagNowHour,
    tagNowMin,
    tagNowSec,
    tagNowDay,
    tagNowMonth,
    tagNowMonthStr,
    tagNowYear,
    kChronosTagCount
};

// Monday first, as the ISO day number 1..7.
constexpr std::array<const char*, 7> kDayNames = {
    "понедельник"_cp1251, "вторник"_cp1251, "среда"_cp1251,      "четверг"_cp1251,
    "пятница"_cp1251,     "суббота"_cp1251, "воскресенье"_cp1251};

constexpr std::array<const char*, 12> kMonthNames = {
    "янв."_cp1251, "февр."_cp1251, "мар."_cp1251,  "апр."_cp1251, "мая"_cp1251,   "июня"_cp1251,
    "июля"_cp1251, "авг."_cp1251,  "сент."_cp1251, "окт."_cp1251, "нояб."_cp1251, "дек."_cp1251};

class TChronos {
public:
    const char* GetValue(int16_t index, const char* param);
    // Milliseconds until the last answer to index can change: up to the next second of the
    // clock it read, while that clock still reads the answer's second; else 0 (also while the
    // clock is pinned).
    int32_t SteadyForMs(int32_t index) const;
    void LoadSettings();
    void PinTime(const TWallTime* time) {
        clock_.Pin(time);
        answerWallSecond_ = -1;
    }
    void PinUptime(const uint64_t* ms) {
        fixedUptimeMs_ = ms ? std::optional(*ms) : std::nullopt;
        answerUptimeSecond_ = -1;
    }

private:
    uint64_t UptimeMs() const;
    std::string Date(const TWallTime& now, uint8_t selector) const;

    TUnitWords words_;
    std::string dateSeparator_ = "/";
    TModuleResult result_;
    TWallClock clock_;
    std::optional<uint64_t> fixedUptimeMs_;
    // The seconds of the clocks behind the last answers; -1: pinned or unread.
    std::time_t answerWallSecond_ = -1;
    int64_t answerUptimeSecond_ = -1;
};

TChronos gChronos;

const char* TChronos::GetValue(int16_t index, const char* param) {
    if (index < 0 || index >= kChronosTagCount) return result_.Clear();
    const uint8_t selector = ParseSelector(param, 5);
    if (index == tagUptime) {
        const uint64_t uptimeMs = UptimeMs();
        answerUptimeSecond_ = fixedUptimeMs_ ? -1 : static_cast<int64_t>(uptimeMs / 1000);
        return result_.Set(FormatDuration(uptimeMs, selector, words_));
    }

    const TWallTime now = clock_.Now(&answerWallSecond_);
    switch (index) {
    case tagTime: {
        const auto sinceMidnightMs =
            static_cast<uint64_t>(now.Hour * 3600 + now.Minute * 60 + now.Second) * 1000;
        return result_.Set(FormatDuration(sinceMidnightMs, selector, words_));
    }
    case tagDate: return result_.Set(Date(now, selector));
    case tagDayOfWeek: {
        namespace chr = std::chrono;
        const chr::year_month_day date{chr::year(now.Year),
                                       chr::month(static_cast<unsigned>(now.Month)),
                                       chr::day(static_cast<unsigned>(now.Day))};
        if (!date.ok()) return result_.Clear();
        return result_.Set(kDayNames[chr::weekday(chr::sys_days(date)).iso_encoding() - 1]);
    }
    case tagNowHour: return result_.Set(Pad2(now.Hour));
    case tagNowMin: return result_.Set(Pad2(now.Minute));
    case tagNowSec: return result_.Set(Pad2(now.Second));
    case tagNowDay: return result_.Set(Pad2(now.Day));
    case tagNowMonth: return result_.Set(Pad2(now.Month));
    case tagNowMonthStr:
        if (now.Month < 1 || now.Month > 12) return result_.Clear();
        return result_.Set(kMonthNames[static_cast<size_t>(now.Month - 1)]);
    case tagNowYear: return result_.Set(Pad2(now.Year));
    default: return result_.Clear();
    }
}

void TChronos::LoadSettings() {
    words_.Read({TUnitWord::Hour, TUnitWord::Min, TUnitWord::Sec});
    dateSeparator_ = UserDateSeparator();
}

int32_t TChronos::SteadyForMs(int32_t index) const {
    if (index < 0 || index >= kChronosTagCount) return 0;
    const bool uptime = index == tagUptime;
    const int64_t answerSecond = uptime ? answerUptimeSecond_ : answerWallSecond_;
    timespec now{};
    if (answerSecond < 0 || ::clock_gettime(uptime ? CLOCK_BOOTTIME : CLOCK_REALTIME, &now) != 0 ||
        now.tv_sec != answerSecond)
        return 0;
    return static_cast<int32_t>((1'000'000'000 - now.tv_nsec) / 1'000'000);
}

uint64_t TChronos::UptimeMs() const {
    if (fixedUptimeMs_) return *fixedUptimeMs_;
    timespec boot{};
    if (::clock_gettime(CLOCK_BOOTTIME, &boot) != 0) return 0;
    return static_cast<uint64_t>(boot.tv_sec) * 1000 +
           static_cast<uint64_t>(boot.tv_nsec) / 1000000;
}

// "dd/mm/yy" (selector 1: "dd/mm/yyyy", 2: "dd/mm"), "/" being the user's date separator.
std::string TChronos::Date(const TWallTime& now, uint8_t selector) const {
    std::string text = Pad2(now.Day) + dateSeparator_ + Pad2(now.Month);
    if (selector == 1) return text + dateSeparator_ + PadInt(now.Year, 4);
    if (selector == 2) return text;
    return text + dateSeparator_ + Pad2(now.Year % 100);
}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "Date/time information",
        .Description = "Вывод информации о дате/времени\r\rOrvanta3 team"_cp1251,
        .Id = 1,
        .GroupCaption = "Дата/время"_cp1251,
        .GroupHint = "Текущие дата/время, время работы компьютера с момента последней "
                     "перезагрузки"_cp1251,
        .GetValue = ModuleGetValue<gChronos>,
        .LoadSettings = ModuleLoadSettings<gChronos>,
    },
    {
        {.Name = "$time",
         .Caption = "текущее время"_cp1251,
         .Example = "$time[5,,,3]$",
         .Hint = "Показать текущее значение времени\r\rИспользование - $time$ с параметром "
                 "\"частота обновления\" средняя или высокая"_cp1251},
        {.Name = "$date",
         .Caption = "текущая дата"_cp1251,
         .Example = "$date$",
         .Hint = "Показать текущее значение даты\r\rИспользование - $date$ с параметром "
                 "\"частота обновления\", если предполагается длительный показ экрана с тегом "
                 "\"дата\""_cp1251},
        {.Name = "$uptime",
         .Caption = "время работы"_cp1251,
         .Example = "$uptime[5,,,3]$",
         .Hint = "Показать продолжительность работы компьютера с момента последнего запуска\r\r"
                 "Использование - $uptime$ с параметром \"частота обновления\""_cp1251},
        {.Name = "$dayofweek",
         .Caption = "день недели"_cp1251,
         .Example = "$dayofweek$",
         .Hint = "Показать день недели\r\rИспользование - $dayofweek$"_cp1251},
        {.Name = "$nowHour",
         .Caption = "часы (сейчас)"_cp1251,
         .Example = "$nowHour[,,2,1]$",
         .Hint = "Показать текущий час\r\rИспользование - $nowHour$ с параметром \"ширина\" = "
                 "2"_cp1251},
        {.Name = "$nowMin",
         .Caption = "минуты (сейчас)"_cp1251,
         .Example = "$nowMin[,,2,1]$",
         .Hint = "Показать текущую минуту\r\rИспользование - $nowMin$ с параметром \"ширина\" = "
                 "2"_cp1251},
        {.Name = "$nowSec",
         .Caption = "секунды (сейчас)"_cp1251,
         .Example = "$nowSec[,,2,3]$",
         .Hint = "Показать текущую секунду\r\rИспользование - $nowSec$ с параметром \"ширина\" = "
                 "2"_cp1251},
        {.Name = "$nowDay",
         .Caption = "день (сегодня)"_cp1251,
         .Example = "$nowDay$",
         .Hint = "Показать текущий день\r\rИспользование - $nowDay$"_cp1251},
        {.Name = "$nowMonth",
         .Caption = "месяц (сегодня)"_cp1251,
         .Example = "$nowMonth$",
         .Hint = "Показать текущий месяц\r\rИспользование - $nowMonth$"_cp1251},
        {.Name = "$nowMonthStr",
         .Caption = "месяц симв. (сегодня)"_cp1251,
         .Example = "$nowMonthStr$",
         .Hint = "Показать текущий месяц прописью"_cp1251},
        {.Name = "$nowYear",
         .Caption = "год (сегодня)"_cp1251,
         .Example = "$nowYear$",
         .Hint = "Показать текущий год\r\rИспользование - $nowYear$"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT int32_t steadyFor(int32_t index, const char* /*param*/) {
    return PluginCall("steadyFor", 0, [index] { return gChronos.SteadyForMs(index); });
}

ORVANTA3_EXPORT void SetWallClockForTesting(const TWallTime* time) { gChronos.PinTime(time); }

ORVANTA3_EXPORT void ChronosSetUptimeForTesting(const uint64_t* uptimeMs) {
    gChronos.PinUptime(uptimeMs);
}
