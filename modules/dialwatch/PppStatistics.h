// The traffic of a PPP link: bytes and compression, from the PPP statistics ioctls of the
// kernel, behind an interface so that tests can stand in for the kernel.
#pragma once

#include "modules/common/SystemTree.h"

#include <cstdint>
#include <optional>
#include <string>

// Plain, so that a test can fill it through the module's C test hook (DialwatchTesting.h).
struct TPppCounters {
    uint64_t BytesIn;
    uint64_t BytesOut;
    int32_t CompressionInPercent;  // share of the received data saved by compression
    int32_t CompressionOutPercent; // of the sent data
};

namespace orv {

class TPppStatistics {
public:
    virtual ~TPppStatistics() = default;
    // nullopt when the kernel does not answer for the interface.
    virtual std::optional<TPppCounters> Read(const std::string& interfaceName) = 0;
};

// SIOCGPPPSTATS and SIOCGPPPCSTATS on the interface. The ioctl's byte counts are 32 bits wide;
// the interface's 64-bit statistics of the same counters take their place where sysfs has
// them, so the totals never wrap.
class TPppIoctlStatistics final : public TPppStatistics {
public:
    explicit TPppIoctlStatistics(const TSystemTree& tree) : tree_(tree) {}
    std::optional<TPppCounters> Read(const std::string& interfaceName) override;

private:
    const TSystemTree& tree_;
};

// The share of data saved, in per cent: 100 * (original - sent) / original, where the
// compressor's original is unc_bytes and what went over the link comp_bytes + inc_bytes
// (compressed and incompressible packets). 0 without compressed traffic.
int32_t CompressionPercent(uint64_t uncompressed, uint64_t compressed, uint64_t incompressible);

} // namespace orv
