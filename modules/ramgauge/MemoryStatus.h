// The memory status as /proc/meminfo reports it.
#pragma once

#include <cstdint>
#include <string_view>

namespace orv {

struct TMemoryStatus {
    uint64_t PhysicalTotal = 0;     // bytes: MemTotal
    uint64_t PhysicalAvailable = 0; // MemAvailable; before Linux 3.14 MemFree + Buffers + Cached
    uint64_t SwapTotal = 0;         // SwapTotal
    uint64_t SwapFree = 0;          // SwapFree
    uint32_t LoadPercent = 0;       // share of physical memory not available, rounded
};

// The status in a text of /proc/meminfo; absent fields count as 0.
TMemoryStatus ParseMeminfo(std::string_view text);

} // namespace orv
