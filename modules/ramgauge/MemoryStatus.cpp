#include "modules/ramgauge/MemoryStatus.h"

#include "modules/common/LineFields.h"

#include <algorithm>
#include <optional>

namespace orv {

namespace {

// A field in bytes (the file gives kB).
std::optional<uint64_t> Bytes(std::string_view text, std::string_view key) {
    const auto value = LineField(text, key, ':');
    if (!value) return std::nullopt;
    const auto kb = LeadingNumber(*value);
    if (!kb || *kb > UINT64_MAX / 1024) return std::nullopt;
    return *kb * 1024;
}

} // namespace

TMemoryStatus ParseMeminfo(std::string_view text) {
    TMemoryStatus status;
    status.PhysicalTotal = Bytes(text, "MemTotal").value_or(0);
    if (const auto available = Bytes(text, "MemAvailable"))
        status.PhysicalAvailable = *available;
    else
        status.PhysicalAvailable = Bytes(text, "MemFree").value_or(0) +
                                   Bytes(text, "Buffers").value_or(0) +
                                   Bytes(text, "Cached").value_or(0);
    status.PhysicalAvailable = std::min(status.PhysicalAvailable, status.PhysicalTotal);
    status.SwapTotal = Bytes(text, "SwapTotal").value_or(0);
    status.SwapFree = std::min(Bytes(text, "SwapFree").value_or(0), status.SwapTotal);
    if (status.PhysicalTotal > 0) {
        const auto used =
            static_cast<unsigned __int128>(status.PhysicalTotal - status.PhysicalAvailable);
        status.LoadPercent =
            static_cast<uint32_t>((used * 100 + status.PhysicalTotal / 2) / status.PhysicalTotal);
    }
    return status;
}

} // namespace orv
