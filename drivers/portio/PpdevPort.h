// The ppdev back end: the /dev/parportN whose /proc/sys/dev/parport/parportN/base-addr starts
// with the requested base address, claimed for as long as the port is open. Register values go
// through unchanged (ppdev, like outb, writes the raw register; the callers handle inversion).
#pragma once

#include "drivers/portio/PortBackEnd.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orv {

struct TPpdevRoots {
    std::string proc = "/proc";
    std::string dev = "/dev";
    // ORVANTA3_PORTIO_PROC_ROOT and ORVANTA3_PORTIO_DEV_ROOT replace the defaults when set.
    static TPpdevRoots FromEnvironment();
};

// DEV/parportN for the lowest N whose base-addr's first decimal number equals base, or "".
std::string FindParportDevice(const TPpdevRoots& roots, uint32_t base);

// The base address in PROC/sys/dev/parport/parportN/base-addr of a device whose file name (after
// symbolic links) is parportN; nullopt when there is none.
std::optional<uint32_t> ParportDeviceBase(const TPpdevRoots& roots, const std::string& device);

class TPpdevPort : public TPortBackEnd {
public:
    // Opens and claims the device; nullptr and a reason in error on failure.
    static std::unique_ptr<TPpdevPort> Open(const std::string& device, std::string& error);
    ~TPpdevPort() override;

    // Data and control are written; the status register is read-only.
    void Write(unsigned reg, uint8_t value) override;
    // 0 when the ioctl fails.
    uint8_t Read(unsigned reg) override;

private:
    explicit TPpdevPort(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace orv
