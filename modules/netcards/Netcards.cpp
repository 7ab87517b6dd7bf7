// netcards: the network interfaces of the kernel, one row per interface in ifindex order
// (loopback first), read at most once every three seconds.
//
// Where each tag comes from (/sys/class/net/NAME/ unless said otherwise):
//   $lanName             the interface name, and the model from udev's database
//                        (/run/udev/data/nIFINDEX) or a USB adapter's device/../product
//   $lanType             type (ARPHRD_*)
//   $lanSpeed            speed (Mbit/s); empty where the driver reports none
//   $lanStatus           operstate, flags (IFF_UP) and carrier
//   $lanIn, $lanOut      statistics/rx_bytes, tx_bytes: 64-bit, never wrapping; "N;rate" gives
//                        bytes per second over the last refresh interval
//   $lanUniIn            statistics/rx_packets - statistics/multicast
//   $lanNUniIn           statistics/multicast (multicast and broadcast packets received)
//   $lanUniOut           statistics/tx_packets: the kernel does not count sent multicasts apart
//   $lanNUniOut          "0" for that reason
//   $lanErrIn, $lanErrOut statistics/rx_errors, tx_errors
// Without /sys/class/net the rows come from /proc/net/dev: names and counters only.
// SetSystemRootForTesting and SetTickForTesting move the tree and pin the refresh clock.
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"
#include "base/RegionalSettings.h"
#include "base/TextUtil.h"
#include "modules/common/ModuleResult.h"
#include "modules/netcards/NetInterfaces.h"
#include "modules/common/NumberFormat.h"
#include "modules/common/ModuleCallbacks.h"
#include "modules/common/PluginDescriptor.h"
#include "modules/common/QuantityFormat.h"
#include "modules/common/SystemTree.h"
#include "modules/common/TickClock.h"
#include "modules/common/UnitWords.h"
#include "modules/netcards/InterfaceTexts.h"

#include <optional>
#include <string>
#include <vector>

using namespace orv;

namespace {

enum TNetcardsTag : int16_t {
    tagLanName,
    tagLanType,
    tagLanSpeed,
    tagLanStatus,
    tagLanIn,
    tagLanOut,
    tagLanUniIn,
    tagLanUniOut,
    tagLanNUniIn,
    tagLanNUniOut,
    tagLanErrIn,
    tagLanErrOut,
    kNetcardsTagCount
};

constexpr uint64_t kRefreshMs = 3000;

// One row of the table as last read, with its throughput over the interval before that read.
struct TInterfaceRecord {
    TNetInterface Interface;
    std::string Description;
    uint64_t RateInBytesPerSec = 0;
    uint64_t RateOutBytesPerSec = 0;
};

// The tag parameter: the row number, optionally followed by ";rate".
struct TRowRequest {
    std::optional<int32_t> Row;
    bool Rate = false;
};

TRowRequest ParseRowRequest(std::string_view param) {
    const size_t semicolon = param.find(';');
    TRowRequest request{ParseInt32(param.substr(0, semicolon)), false};
    if (semicolon != std::string_view::npos)
        request.Rate = EqualsNoCase(Trim(param.substr(semicolon + 1)), "rate");
    return request;
}

uint64_t PerSecond(uint64_t now, uint64_t before, uint64_t elapsedMs) {
    if (now < before || elapsedMs == 0) return 0; // the counters started again
    return static_cast<uint64_t>(static_cast<unsigned __int128>(now - before) * 1000 / elapsedMs);
}

int64_t Signed(uint64_t value) {
    return value > INT64_MAX ? INT64_MAX : static_cast<int64_t>(value);
}

class TNetcards {
public:
    const char* GetValue(int16_t index, const char* param);
    void LoadSettings();
    void SetRoot(const char* folder) { tree_.SetRoot(folder); }
    void PinTick(const uint64_t* ms) { clock_.Pin(ms); }

private:
    void RefreshIfDue();
    std::string Field(const TInterfaceRecord& record, int16_t index, bool rate) const;
    std::string Bytes(uint64_t count) const {
        return FormatQuantity(Signed(count), TQuantityMode::Byte, words_, decimalSeparator_);
    }

    TSystemTree tree_;
    TTickClock clock_{CLOCK_MONOTONIC};
    std::vector<TInterfaceRecord> records_;
    std::optional<uint64_t> lastReadMs_;
    TUnitWords words_;
    std::string decimalSeparator_ = ".";
    TModuleResult result_;
};

TNetcards gNetcards;

const char* TNetcards::GetValue(int16_t index, const char* param) {
    if (index == kClearResultIndex) return result_.Clear();
    if (index < 0 || index >= kNetcardsTagCount) return result_.Keep();
    const TRowRequest request = ParseRowRequest(param ? param : "");
    RefreshIfDue();
    if (!request.Row || *request.Row < 0 || static_cast<size_t>(*request.Row) >= records_.size())
        return result_.Clear();
    return result_.Set(Field(records_[static_cast<size_t>(*request.Row)], index, request.Rate));
}

void TNetcards::RefreshIfDue() {
    const uint64_t now = clock_.NowMs();
    if (lastReadMs_ && now - *lastReadMs_ < kRefreshMs) return;
    std::vector<TNetInterface> rows = ReadNetInterfaces(tree_);
    if (!rows.empty()) {
        const uint64_t elapsedMs = lastReadMs_ ? now - *lastReadMs_ : 0;
        std::vector<TInterfaceRecord> records;
        records.reserve(rows.size());
        for (TNetInterface& row : rows) {
            TInterfaceRecord record;
            record.Interface = std::move(row);
            record.Description = InterfaceDescription(tree_, record.Interface);
            for (const TInterfaceRecord& before : records_)
                if (before.Interface.Name == record.Interface.Name) {
                    const TNetCounters& a = before.Interface.Counters;
                    const TNetCounters& b = record.Interface.Counters;
                    record.RateInBytesPerSec = PerSecond(b.RxBytes, a.RxBytes, elapsedMs);
                    record.RateOutBytesPerSec = PerSecond(b.TxBytes, a.TxBytes, elapsedMs);
                }
            records.push_back(std::move(record));
        }
        records_ = std::move(records);
    }
    lastReadMs_ = now;
}

std::string TNetcards::Field(const TInterfaceRecord& record, int16_t index, bool rate) const {
    const TNetInterface& row = record.Interface;
    const TNetCounters& c = row.Counters;
    switch (index) {
    case tagLanName: return record.Description;
    case tagLanType: return InterfaceTypeText(row);
    case tagLanSpeed:
        if (!row.SpeedMbps) return {};
        return FormatQuantity(*row.SpeedMbps * 1000000, TQuantityMode::Rate, words_,
                              decimalSeparator_);
    case tagLanStatus: return InterfaceStateText(row);
    case tagLanIn:
        if (rate)
            return FormatQuantity(Signed(record.RateInBytesPerSec), TQuantityMode::ByteRate, words_,
                                  decimalSeparator_);
        return Bytes(c.RxBytes);
    case tagLanOut:
        if (rate)
            return FormatQuantity(Signed(record.RateOutBytesPerSec), TQuantityMode::ByteRate,
                                  words_, decimalSeparator_);
        return Bytes(c.TxBytes);
    case tagLanUniIn:
        return std::to_string(c.RxPackets >= c.RxMulticast ? c.RxPackets - c.RxMulticast : 0);
    case tagLanUniOut: return std::to_string(c.TxPackets);
    case tagLanNUniIn: return std::to_string(c.RxMulticast);
    case tagLanNUniOut: return "0";
    case tagLanErrIn: return std::to_string(c.RxErrors);
    case tagLanErrOut: return std::to_string(c.TxErrors);
    default: return {};
    }
}

void TNetcards::LoadSettings() {
    words_.ReadAll();
    decimalSeparator_ = UserDecimalSeparator();
}

constinit TPluginDescriptor gDescriptor = MakePluginDescriptor(
    {
        .Name = "LAN info",
        .Description = "Информация о сетевых устройствах\r\rOrvanta3 team"_cp1251,
        .Id = 6,
        .GroupCaption = "Network",
        .GroupHint = "Данные о сетевых устройствах"_cp1251,
        .GetValue = ModuleGetValue<gNetcards>,
        .LoadSettings = ModuleLoadSettings<gNetcards>,
    },
    {
        {.Name = "$lanName",
         .Caption = "интерфейс"_cp1251,
         .Example = "$lanName[0]$",
         .Hint = "Этот тег показывает название сетевого устройства"_cp1251},
        {.Name = "$lanType",
         .Caption = "тип интерфейса"_cp1251,
         .Example = "$lanType[0]$",
         .Hint = "Этот тег показывает тип сетевого устройства"_cp1251},
        {.Name = "$lanSpeed",
         .Caption = "скорость"_cp1251,
         .Example = "$lanSpeed[0]$",
         .Hint = "Этот тег показывает текущую скорость сетевого устройства"_cp1251},
        {.Name = "$lanStatus",
         .Caption = "состояние"_cp1251,
         .Example = "$lanStatus[0]$",
         .Hint = "Этот тег показывает состояние устройства"_cp1251},
        {.Name = "$lanIn",
         .Caption = "получено"_cp1251,
         .Example = "$lanIn[0,,,2]$",
         .Hint = "Этот тег показывает обьем полученных через сетевое устройство данных\r\r"
                 "С параметром \"номер;rate\" - скорость приёма в байтах в секунду между двумя "
                 "последними опросами (не чаще раза в 3 секунды), например "
                 "$lanIn[0;rate,,,2]$"_cp1251},
        {.Name = "$lanOut",
         .Caption = "отправлено"_cp1251,
         .Example = "$lanOut[0,,,2]$",
         .Hint = "Этот тег показывает обьем отправленных через сетевое устройство данных\r\r"
                 "С параметром \"номер;rate\" - скорость передачи в байтах в секунду между двумя "
                 "последними опросами (не чаще раза в 3 секунды), например "
                 "$lanOut[0;rate,,,2]$"_cp1251},
        {.Name = "$lanUniIn",
         .Caption = "получено напр. пакетов"_cp1251,
         .Example = "$lanUniIn[0,,,2]$",
         .Hint = "Этот тег показывает количество направленных пакетов, полученных через "
                 "сетевое устройство"_cp1251},
        {.Name = "$lanUniOut",
         .Caption = "отправлено напр. пакетов"_cp1251,
         .Example = "$lanUniOut[0,,,2]$",
         .Hint = "Этот тег показывает количество направленных пакетов, отправленных через "
                 "сетевое устройство"_cp1251},
        {.Name = "$lanNUniIn",
         .Caption = "получено ненапр. пакетов"_cp1251,
         .Example = "$lanNUniIn[0,,,2]$",
         .Hint = "Этот тег показывает количество ненаправленных пакетов, полученных через "
                 "сетевое устройство"_cp1251},
        {.Name = "$lanNUniOut",
         .Caption = "отправлено ненапр. пакетов"_cp1251,
         .Example = "$lanNUniOut[0,,,2]$",
         .Hint = "Этот тег показывает количество ненаправленных пакетов, отправленных через "
                 "сетевое устройство"_cp1251},
        {.Name = "$lanErrIn",
         .Caption = "вх. пакеты с ошибками"_cp1251,
         .Example = "$lanErrIn[0,,,2]$",
         .Hint = "Этот тег показывает количество пакетов, полученных с ошибкой через сетевое "
                 "устройство"_cp1251},
        {.Name = "$lanErrOut",
         .Caption = "исх. пакеты с ошибками"_cp1251,
         .Example = "$lanErrOut[0,,,2]$",
         .Hint = "Этот тег показывает количество пакетов, отправленных с ошибкой через сетевое "
                 "устройство"_cp1251},
    });

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &gDescriptor; }

ORVANTA3_EXPORT void SetSystemRootForTesting(const char* folder) { gNetcards.SetRoot(folder); }

ORVANTA3_EXPORT void SetTickForTesting(const uint64_t* ms) { gNetcards.PinTick(ms); }
