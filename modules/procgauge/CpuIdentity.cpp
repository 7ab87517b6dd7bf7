#include "modules/procgauge/CpuIdentity.h"

#include "host/Cp1251.h"
#include "host/TextUtil.h"
#include "modules/common/LineFields.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

namespace orv {

namespace {

struct TVendor {
    std::string_view Id;
    std::string_view FullName;
};

constexpr std::array<TVendor, 7> kVendors = {{
    {"GenuineIntel", "Intel Corporation"},
    {"AuthenticAMD", "Advanced Micro Devices"},
    {"CyrixInstead", "Cyrix Corporation"},
    {"CentaurHauls", "IDT/Centaur"},
    {"NexGenDriven", "NexGen Inc."},
    {"UMC UMC UMC", "United Microelectronics Corp"},
    {"RiseRiseRise", "Rise Technology"},
}};

constexpr uint32_t kBrandFirstLeaf = 0x80000002, kBrandLastLeaf = 0x80000004;

std::string CpuidVendor(const TProcessorProbes& probes) {
    uint32_t r[4] = {};
    probes.Cpuid(0, r);
    char id[12];
    std::memcpy(id, &r[1], 4);
    std::memcpy(id + 4, &r[3], 4);
    std::memcpy(id + 8, &r[2], 4);
    return std::string(id, sizeof id);
}

std::optional<std::string> CpuidBrand(const TProcessorProbes& probes) {
    uint32_t r[4] = {};
    probes.Cpuid(0x80000000, r);
    if (r[0] < kBrandLastLeaf || r[0] > 0x8000FFFF) return std::nullopt;
    char brand[48];
    for (uint32_t leaf = kBrandFirstLeaf; leaf <= kBrandLastLeaf; ++leaf) {
        probes.Cpuid(leaf, r);
        std::memcpy(brand + (leaf - kBrandFirstLeaf) * 16, r, 16);
    }
    return std::string(brand, strnlen(brand, sizeof brand));
}

// The fields of the first processor in /proc/cpuinfo.
class TCpuinfo {
public:
    explicit TCpuinfo(const TSystemTree& tree) : tree_(tree) {}
    std::string Field(std::initializer_list<std::string_view> keys) {
        if (!text_) {
            text_ = tree_.Read("/proc/cpuinfo").value_or("");
            text_->resize(std::min(text_->size(), text_->find("\n\n")));
        }
        for (std::string_view key : keys)
            if (auto value = LineField(*text_, key, ':'); value && !value->empty())
                return std::string(*value);
        return {};
    }

private:
    const TSystemTree& tree_;
    std::optional<std::string> text_; // the first processor's block
};

} // namespace

std::string_view VendorFullName(std::string_view vendorId) {
    vendorId = Trim(vendorId);
    for (const TVendor& vendor : kVendors)
        if (vendor.Id == vendorId) return vendor.FullName;
    return {};
}

TCpuIdentity ReadCpuIdentity(const TProcessorProbes& probes, const TSystemTree& tree) {
    TCpuinfo cpuinfo(tree);
    TCpuIdentity identity;
    identity.VendorId = probes.Cpuid ? CpuidVendor(probes) : cpuinfo.Field({"vendor_id"});
    identity.VendorEx = VendorFullName(identity.VendorId);
    std::optional<std::string> brand;
    if (probes.Cpuid) brand = CpuidBrand(probes);
    // Intel pads the brand with leading blanks and hypervisors with trailing ones.
    identity.Brand = Utf8ToCp1251(
        Trim(brand ? *brand : cpuinfo.Field({"model name", "Model", "cpu model", "cpu"})));
    return identity;
}

} // namespace orv
