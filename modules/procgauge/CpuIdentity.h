// The processor's maker and brand name: cpuid where the machine has it, else /proc/cpuinfo.
#pragma once

#include "modules/common/SystemTree.h"
#include "modules/procgauge/ProcessorProbes.h"

#include <string>
#include <string_view>

namespace orv {

struct TCpuIdentity {
    std::string VendorId; // "GenuineIntel"
    std::string VendorEx; // "Intel Corporation"; empty for a maker not in the table
    std::string Brand;    // up to 48 characters without leading or trailing blanks; Windows-1251
};

// The full name of a 12-character vendor identification, or "".
std::string_view VendorFullName(std::string_view vendorId);

// With cpuid: leaf 0 (EBX, EDX, ECX) for the vendor and leaves 0x80000002..4 for the brand, cut
// at the first zero byte and trimmed. Without cpuid, or for a brand when the extended leaves are
// missing: "vendor_id" and "model name" ("Model", "cpu model", "cpu" on other architectures) of the
// first processor in /proc/cpuinfo.
TCpuIdentity ReadCpuIdentity(const TProcessorProbes& probes, const TSystemTree& tree);

} // namespace orv
