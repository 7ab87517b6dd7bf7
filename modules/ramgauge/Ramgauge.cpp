// ramgauge: installed and available memory, swap and the memory load.
//
// Where each tag comes from (/proc/meminfo):
//   $memPSize   MemTotal
//   $memPFree   MemAvailable (MemFree + Buffers + Cached before Linux 3.14)
//   $memVSize   SwapTotal: swap is Linux's paging file
//   $memVFree   SwapFree
//   $memUsing   (MemTotal - MemAvailable) / MemTotal in percent
// One copy of /proc/meminfo serves every tag for 100 ms, so the tags of one display tick cost
// one read. The file is read under a settable root (SystemTree.h).
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/RegionalSettings.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/NumberFormat.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/QuantityFormat.h"
#include "modules/common/SourceFile.h"
#include "modules/common/SystemTree.h"
#include "modules/common/TickClock.h"
#include "modules/common/UnitWords.h"
#include "modules/ramgauge/MemoryStatus.h"

using namespace orv;

namespace {

enum TRamgaugeTag : int16_t { tagMemPSize, tagMemPFree, tagMemVSize, tagMemVFree, tagMemUsing };

constexpr uint64_t kMaxCopyAgeMs = 100;

class TRamgauge {
public:
    TRamgauge() { SetRoot(nullptr); }

    const char* GetValue(int16_t index);
    void LoadSettings();
    void SetRoot(const char* root) {
        tree_.SetRoot(root);
        meminfo_.Open(tree_.Path("/proc/meminfo"));
    }
    void PinClock(const uint64_t* nowMs) { clock_.Pin(nowMs); }

private:
    std::string Amount(uint64_t bytes) const {
        return FormatBytes(bytes, words_, decimalSeparator_);
    }

    TSystemTree tree_;
    TTickClock clock_{CLOCK_MONOTONIC};
    TSourceFile meminfo_;
    TUnitWords words_;
    std::string decimalSeparator_ = ".";
    TModuleResult result_;
};

TRamgauge gRamgauge;

const char* TRamgauge::GetValue(int16_t index) {
    if (index == kClearResultIndex) return result_.Clear();
    if (index < tagMemPSize || index > tagMemUsing) return result_.Keep();
    meminfo_.ReadIfOlder(clock_.NowMs(), kMaxCopyAgeMs);
    const TMemoryStatus status = ParseMeminfo(meminfo_.Text());
    switch (index) {
    case tagMemPSize: return result_.Set(Amount(status.PhysicalTotal));
    case tagMemPFree: return result_.Set(Amount(status.PhysicalAvailable));
    case tagMemVSize: return result_.Set(Amount(status.SwapTotal));
    case tagMemVFree: return result_.Set(Amount(status.SwapFree));
    default: return result_.Set(IntToStr(status.LoadPercent));
    }
}

void TRamgauge::LoadSettings() {
    words_.Read({TUnitWord::Byte, TUnitWord::Kilo, TUnitWord::Mega, TUnitWord::Giga});
    decimalSeparator_ = UserDecimalSeparator();
}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "Memory info",
        .Description = "Вывод информации об оперативной памяти компьютера\r\rOrvanta3 team"_cp1251,
        .Id = 5,
        .GroupCaption = "Память"_cp1251,
        .GroupHint = "Вывод информации об использовании памяти компьютера"_cp1251,
        .GetValue = ModuleGetValue<gRamgauge>,
        .LoadSettings = ModuleLoadSettings<gRamgauge>,
    },
    {
        {.Name = "$memPSize",
         .Caption = "физической всего"_cp1251,
         .Example = "$memPSize$",
         .Hint = "Выводит обьем установленной оперативной памяти"_cp1251},
        {.Name = "$memPFree",
         .Caption = "физической свободно"_cp1251,
         .Example = "$memPFree$",
         .Hint = "Выводит обьем доступной физической памяти"_cp1251},
        {.Name = "$memVSize",
         .Caption = "виртуальной всего"_cp1251,
         .Example = "$memVSize$",
         .Hint = "Выводит обьем виртуальной памяти"_cp1251},
        {.Name = "$memVFree",
         .Caption = "виртуальной свободно"_cp1251,
         .Example = "$memVFree$",
         .Hint = "Выводит обьем доступной для операционной системы виртуальной памяти"_cp1251},
        {.Name = "$memUsing",
         .Caption = "использование памяти"_cp1251,
         .Example = "$memUsing[,,10,2,bar]$",
         .Hint = "Выводит % использования памяти компьютера"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT void SetSystemRootForTesting(const char* root) { gRamgauge.SetRoot(root); }

ORVANTA3_EXPORT void SetTickForTesting(const uint64_t* nowMs) { gRamgauge.PinClock(nowMs); }
