// dialwatch: the active dial-up link, asked afresh on every call. On Linux that is the PPP link
// of pppd: the first PPP interface (ARPHRD_PPP, normally ppp0) that is up.
//
// Where each tag comes from:
//   $rasCheck, $rasName  /sys/class/net/*/type and flags; without a link $rasName says
//                        "RAS not active", or what is missing where /dev/ppp is absent
//                        (the kernel has no PPP); with one the name is pppd's linkname
//                        (/run/ppp-NAME.pid or /run/pppd/ppp-NAME.pid, second line the
//                        interface), else the peer of "call PEER" on pppd's command line
//                        (/proc/PID/cmdline), else the interface name
//   $rasDeviceType       pppd's options (command line, /etc/ppp/options, /etc/ppp/peers/PEER):
//   $rasDeviceName       a tty ("modem", "isdn" for ttyI*), the PPPoE plug-in and its NIC,
//                        a pptp or l2tp tunnel ("vpn")
//   $rasIn, $rasOut      SIOCGPPPSTATS, widened to 64 bits by statistics/rx_bytes, tx_bytes
//   $rasZipIn, $rasZipOut SIOCGPPPCSTATS: the share of data saved by compression
//   $rasSpeed            the serial speed among pppd's options; the NIC's speed for PPPoE
//   $rasDuration         now minus the time of the unit's pid file (/run/ppp0.pid)
// SetSystemRootForTesting, SetTickForTesting and DialwatchSetStatisticsForTesting
// (DialwatchTesting.h) let a test stand in for the system.
#include "modules/dialwatch/DialwatchTesting.h"

#include "abi/CommandWords.h"
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/RegionalSettings.h"
#include "modules/common/DecimalFormat.h"
#include "modules/common/DurationFormat.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/NumberFormat.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/QuantityFormat.h"
#include "modules/common/SystemTree.h"
#include "modules/common/TickClock.h"
#include "modules/common/UnitWords.h"
#include "modules/dialwatch/PppLink.h"
#include "modules/dialwatch/PppStatistics.h"

#include <memory>
#include <string>

using namespace orv;

namespace {

enum TDialwatchTag : int16_t {
    tagRasCheck,
    tagRasName,
    tagRasDeviceType,
    tagRasDeviceName,
    tagRasIn,
    tagRasOut,
    tagRasZipIn,
    tagRasZipOut,
    tagRasSpeed,
    tagRasDuration,
    kDialwatchTagCount
};

constexpr const char* kNotActive = "RAS not active";
constexpr const char* kRasError = "Ras error";

// The test's stand-in for the kernel's statistics.
class TFunctionStatistics final : public TPppStatistics {
public:
    explicit TFunctionStatistics(TPppStatisticsFunc read) : read_(read) {}
    std::optional<TPppCounters> Read(const std::string& interfaceName) override {
        TPppCounters counters{};
        if (read_(interfaceName.c_str(), &counters) != 0) return std::nullopt;
        return counters;
    }

private:
    TPppStatisticsFunc read_;
};

class TDialwatch {
public:
    const char* GetValue(int16_t index, const char* param);
    void LoadSettings();
    void SetRoot(const char* folder) { tree_.SetRoot(folder); }
    void PinTick(const uint64_t* ms) { clock_.Pin(ms); }
    void UseStatistics(TPppStatisticsFunc read) {
        if (read)
            statistics_ = std::make_unique<TFunctionStatistics>(read);
        else
            statistics_ = std::make_unique<TPppIoctlStatistics>(tree_);
    }

private:
    std::string Value(int16_t index, const char* param);
    std::string Traffic(const TPppLink& link, int16_t index, const char* param);

    TSystemTree tree_;
    TTickClock clock_{CLOCK_REALTIME};
    std::unique_ptr<TPppStatistics> statistics_ = std::make_unique<TPppIoctlStatistics>(tree_);
    TUnitWords words_;
    std::string decimalSeparator_ = ".";
    TModuleResult result_;
};

TDialwatch gDialwatch;

const char* TDialwatch::GetValue(int16_t index, const char* param) {
    if (index == kClearResultIndex) return result_.Clear();
    if (index < 0 || index >= kDialwatchTagCount) return result_.Keep();
    return result_.Set(Value(index, param));
}

std::string TDialwatch::Value(int16_t index, const char* param) {
    const std::optional<TPppLink> link = FindActivePppLink(tree_);
    if (!link) {
        if (index == tagRasCheck) return std::string(kSkipMark);
        if (index != tagRasName) return {};
        return MissingPppSupport(tree_).value_or(kNotActive);
    }
    switch (index) {
    case tagRasCheck: return {};
    case tagRasName: return Utf8ToCp1251(link->EntryName);
    case tagRasDeviceType: return link->DeviceType;
    case tagRasDeviceName: return Utf8ToCp1251(link->DeviceName);
    default: return Traffic(*link, index, param);
    }
}

std::string TDialwatch::Traffic(const TPppLink& link, int16_t index, const char* param) {
    const std::optional<TPppCounters> counters = statistics_->Read(link.Interface);
    if (!counters) return kRasError;
    const auto bytes = [&](uint64_t count) {
        const auto value = count > INT64_MAX ? INT64_MAX : static_cast<int64_t>(count);
        return FormatQuantity(value, TQuantityMode::Byte, words_, decimalSeparator_);
    };
    switch (index) {
    case tagRasIn: return bytes(counters->BytesIn);
    case tagRasOut: return bytes(counters->BytesOut);
    case tagRasZipIn: return IntToStr(counters->CompressionInPercent) + "%";
    case tagRasZipOut: return IntToStr(counters->CompressionOutPercent) + "%";
    case tagRasSpeed:
        if (!link.SpeedBps) return {};
        return FormatMilliShortest(*link.SpeedBps, decimalSeparator_) + " " +
               words_[TUnitWord::Kilo] + words_[TUnitWord::Bit] + words_[TUnitWord::PerSec];
    case tagRasDuration: {
        const uint64_t now = clock_.NowMs();
        if (!link.UpSinceMs) return {};
        const uint64_t upMs = now > *link.UpSinceMs ? now - *link.UpSinceMs : 0;
        return FormatDuration(upMs, ParseSelector(param, 5), words_);
    }
    default: return {};
    }
}

void TDialwatch::LoadSettings() {
    words_.ReadAll();
    decimalSeparator_ = UserDecimalSeparator();
}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "RAS status",
        .Description = "Информация об активном модемном соединении\r\rOrvanta3 team"_cp1251,
        .Id = 7,
        .GroupCaption = "RAS",
        .GroupHint = "Данные об установленном модемном соединении"_cp1251,
        .GetValue = ModuleGetValue<gDialwatch>,
        .LoadSettings = ModuleLoadSettings<gDialwatch>,
    },
    {
        {.Name = "$rasCheck", .Caption = "условие показа"_cp1251, .Example = "$rasCheck$"},
        {.Name = "$rasName",
         .Caption = "активное соединение"_cp1251,
         .Example = "$rasName$",
         .Hint = "Показать название активного соединения\r\r"
                 "Использование - $rasName$ без параметров"_cp1251},
        {.Name = "$rasDeviceType",
         .Caption = "тип устройства"_cp1251,
         .Example = "$rasDeviceType$",
         .Hint = "Показать тип активного устройства\r\r"
                 "Использование - $rasDeviceType$ без параметров"_cp1251},
        {.Name = "$rasDeviceName",
         .Caption = "активное устройство"_cp1251,
         .Example = "$rasDeviceName$",
         .Hint = "Показать название активного устройства\r\r"
                 "Использование - $rasDeviceName$ без параметров"_cp1251},
        {.Name = "$rasIn",
         .Caption = "получено"_cp1251,
         .Example = "$rasIn[,,,3]$",
         .Hint = "Показать обьем полученного трафика\r\r"
                 "Использование - $rasIn$ с параметром \"частота обновления; например "
                 "$rasIn [,,,3]$"_cp1251},
        {.Name = "$rasOut",
         .Caption = "отправлено"_cp1251,
         .Example = "$rasOut[,,,3]$",
         .Hint = "Показать обьем исходящего трафика\r\r"
                 "Использование - $rasOut$ с параметром \"частота обновления; например "
                 "$rasIn [,,,3]$"_cp1251},
        {.Name = "$rasZipIn",
         .Caption = "сжатие вх. трафика"_cp1251,
         .Example = "$rasZipIn$",
         .Hint = "Показать степень сжатия полученного трафика\r\r"
                 "Использование - $rasZipIn$ без параметров"_cp1251},
        {.Name = "$rasZipOut",
         .Caption = "сжатие исх. трафика"_cp1251,
         .Example = "$rasZipOut$",
         .Hint = "Показать степень сжатия исходящего трафика\r\r"
                 "Использование - $rasZipOut$ без параметров"_cp1251},
        {.Name = "$rasSpeed",
         .Caption = "скорость"_cp1251,
         .Example = "$rasSpeed$",
         .Hint = "Показать скорость соединения\r\r"
                 "Использование - $rasSpeed$ без параметров"_cp1251},
        {.Name = "$rasDuration",
         .Caption = "время соединения"_cp1251,
         .Example = "$rasDuration[4,,,3]$",
         .Hint = "Показать длительность соединения\r\r"
                 "Использование - $rasDuration$ с параметром форматирования времени: "
                 "$rasDuration[4,,,3]$"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT void SetSystemRootForTesting(const char* folder) { gDialwatch.SetRoot(folder); }

ORVANTA3_EXPORT void SetTickForTesting(const uint64_t* ms) { gDialwatch.PinTick(ms); }

ORVANTA3_EXPORT void DialwatchSetStatisticsForTesting(TPppStatisticsFunc statistics) {
    gDialwatch.UseStatistics(statistics);
}
