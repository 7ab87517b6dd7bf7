// procgauge: the processor's clock frequency, maker, brand name and load.
//
// Where each tag comes from:
//   $cpuFreq    the time-stamp counter (rdtsc) timed against a 10 MHz count derived from
//               CLOCK_MONOTONIC_RAW, rounded to a round figure (CpuFrequency.h). The
//               measurement spins for a third of a millisecond or more, so it runs at most once
//               every 10 seconds and the last figure is served in between: the time-stamp
//               counter of current processors runs at a constant rate. Without one:
//               /sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq, else /proc/cpuinfo.
//   $cpuVendor  cpuid leaf 0 through the vendor table; without cpuid "vendor_id" of
//               /proc/cpuinfo.
//   $cpuID      cpuid leaves 0x80000002..4; without them "model name" of /proc/cpuinfo.
//   $cpuUsage   the counters of /proc/stat since the previous $cpuUsage: the "cpu" line (all
//               processors) for an empty parameter or "0" (what a tag without brackets
//               passes), the line of processor n - 1 for a parameter n ("$cpuUsage[1]$" is the
//               first processor, "cpu0"); an empty text for a processor that is not there.
// The system files are read under a settable root (SystemTree.h); the counters and cpuid can
// be replaced by a test (ProcgaugeTesting.h).
#include "modules/procgauge/ProcgaugeTesting.h"

#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/RegionalSettings.h"
#include "base/TextUtil.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/DecimalFormat.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/QuantityFormat.h"
#include "modules/common/SystemTree.h"
#include "modules/common/TickClock.h"
#include "modules/common/UnitWords.h"
#include "modules/procgauge/CpuFrequency.h"
#include "modules/procgauge/CpuIdentity.h"
#include "modules/procgauge/CpuLoad.h"

#include <optional>

using namespace orv;

namespace {

enum TProcgaugeTag : int16_t { tagCpuFreq, tagCpuVendor, tagCpuID, tagCpuUsage };

class TProcgauge {
public:
    TProcgauge() { SetRoot(nullptr); }

    const char* GetValue(int16_t index, const char* param);
    void LoadSettings();

    void SetRoot(const char* root) {
        tree_.SetRoot(root);
        load_.Open(tree_.Path("/proc/stat"));
        Forget();
    }
    void SetProbes(const TProcessorProbes* probes) {
        probes_ = probes ? *probes : MachineProbes();
        Forget();
    }
    void PinClock(const uint64_t* nowMs) { clock_.Pin(nowMs); }

private:
    void Forget() {
        identity_.reset();
        frequency_.Forget();
    }
    const TCpuIdentity& Identity() {
        if (!identity_) identity_ = ReadCpuIdentity(probes_, tree_);
        return *identity_;
    }
    std::string LoadText(const char* param);

    TSystemTree tree_;
    TTickClock clock_{CLOCK_MONOTONIC};
    TProcessorProbes probes_ = MachineProbes();
    TUnitWords words_;
    std::string decimalSeparator_ = ".";
    std::optional<TCpuIdentity> identity_;
    TCpuFrequency frequency_;
    TCpuLoad load_;
    TModuleResult result_;
};

TProcgauge gProcgauge;

const char* TProcgauge::GetValue(int16_t index, const char* param) {
    switch (index) {
    case tagCpuFreq: {
        const int64_t hertz = int64_t{frequency_.Mhz(probes_, tree_)} * 1000000;
        return result_.Set(FormatQuantity(hertz, TQuantityMode::Hertz, words_, decimalSeparator_));
    }
    case tagCpuVendor: return result_.Set(Identity().VendorEx);
    case tagCpuID: return result_.Set(Identity().Brand);
    case tagCpuUsage: return result_.Set(LoadText(param));
    case kClearResultIndex: return result_.Clear();
    default: return result_.Keep();
    }
}

std::string TProcgauge::LoadText(const char* param) {
    // Not a number counts as empty: all processors.
    const int32_t number = param ? ParseInt32(param).value_or(0) : 0;
    if (number < 0) return {};
    const int processor = number == 0 ? TCpuLoad::kAllProcessors : number - 1;
    const std::optional<TCpuShare> load = load_.Load(processor, clock_.NowMs());
    if (!load) return {};
    return FormatPercent(load->Busy, load->Total, decimalSeparator_);
}

void TProcgauge::LoadSettings() {
    words_.Read(
        {TUnitWord::Kilo, TUnitWord::Mega, TUnitWord::Giga, TUnitWord::PerSec, TUnitWord::Hertz});
    decimalSeparator_ = UserDecimalSeparator();
}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "CPU info",
        .Description = "Вывод информации о CPU\r\rOrvanta3 team"_cp1251,
        .Id = 2,
        .GroupCaption = "CPU",
        .GroupHint = "Информация о процессоре"_cp1251,
        .GetValue = ModuleGetValue<gProcgauge>,
        .LoadSettings = ModuleLoadSettings<gProcgauge>,
    },
    {
        {.Name = "$cpuFreq",
         .Caption = "частота"_cp1251,
         .Example = "$cpuFreq$",
         .Hint = "Вывод рабочей частоты процессора\r\rПоказывает (с \"округлением\") частоту, на "
                 "которой работает процессор; показывается \"физическая\" частота, не "
                 "совпадающая с частотами, указываемыми в названиях процессоров AMD"_cp1251},
        {.Name = "$cpuVendor",
         .Caption = "производитель"_cp1251,
         .Example = "$cpuVendor$",
         .Hint = "Вывод данных о производителе процессора\r\rПоказывает название производителя "
                 "процессора"_cp1251},
        {.Name = "$cpuID",
         .Caption = "тип"_cp1251,
         .Example = "$cpuID$",
         .Hint = "Вывод данных о типе процессора\r\rПоказывает тип установленного "
                 "процессора"_cp1251},
        {.Name = "$cpuUsage",
         .Caption = "загрузка"_cp1251,
         .Example = "$cpuUsage[,,10,3,bar]$",
         .Hint = "Показать загрузку процессора\r\rПоказывает в % текущую загрузку процессора; "
                 "может использоваться для вывода степени загрузки процессора в виде полосы "
                 "прогресса"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT void SetSystemRootForTesting(const char* root) { gProcgauge.SetRoot(root); }

ORVANTA3_EXPORT void SetTickForTesting(const uint64_t* nowMs) { gProcgauge.PinClock(nowMs); }

ORVANTA3_EXPORT void ProcgaugeSetProbesForTesting(const TProcessorProbes* probes) {
    gProcgauge.SetProbes(probes);
}
