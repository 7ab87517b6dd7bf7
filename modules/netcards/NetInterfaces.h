// The network interfaces of the kernel: /sys/class/net/NAME/ (ifindex, type, speed, operstate,
// flags, carrier, statistics/), or /proc/net/dev where sysfs shows none. Counters are the kernel's
// 64-bit counters and never wrap in practice.
#pragma once

#include "modules/common/SystemTree.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orv {

struct TNetCounters {
    uint64_t RxBytes = 0;
    uint64_t TxBytes = 0;
    uint64_t RxPackets = 0;
    uint64_t TxPackets = 0;
    uint64_t RxMulticast = 0; // multicast and broadcast packets received
    uint64_t RxErrors = 0;
    uint64_t TxErrors = 0;
};

struct TNetInterface {
    std::string Name;
    int64_t Index = 0;                // ifindex
    std::optional<int64_t> LinkType;  // ARPHRD_* of "type"
    std::optional<int64_t> SpeedMbps; // nullopt where the driver reports none (-1, EINVAL)
    std::string OperState;            // "up", "down", "unknown", "dormant", ...
    uint64_t Flags = 0;               // IFF_UP, ... (sysfs never shows IFF_RUNNING)
    std::optional<bool> Carrier;      // nullopt while the interface is down
    TNetCounters Counters;
};

// Every interface in ifindex order; when sysfs shows none, the rows of /proc/net/dev in file
// order with names and counters only. Empty when neither can be read.
std::vector<TNetInterface> ReadNetInterfaces(const TSystemTree& tree);

} // namespace orv
