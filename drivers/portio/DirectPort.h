// The direct back end: ioperm() and outb()/inb() on x86, for the standard parallel-port
// address ranges only (0x378-0x37F, 0x278-0x27F, 0x3BC-0x3BF); needs CAP_SYS_RAWIO.
#pragma once

#include "drivers/portio/PanelLock.h"
#include "drivers/portio/PortBackEnd.h"

#include <cstdint>
#include <memory>
#include <string>

namespace orv {

// True when base, base + 1 and base + 2 all lie in one standard parallel-port range.
bool IsStandardParallelRange(uint32_t base);

// The system calls of direct port I/O, replaceable for tests.
struct TPortIoCalls {
    int (*ioperm)(unsigned long from, unsigned long count, int turnOn);
    void (*out)(uint8_t value, uint16_t port);
    uint8_t (*in)(uint16_t port);
};

// The real calls on x86; elsewhere ioperm fails with ENOSYS.
TPortIoCalls HardwarePortIo();

// Where direct I/O keeps its lock file per port address.
inline constexpr const char* kPortLockFolder = "/run/lock";

class TDirectPort : public TPortBackEnd {
public:
    // Refuses other ranges without calling ioperm, and a port another program drives (its lock
    // file "orvanta3-port-ADDRESS.lock" in lockFolder); nullptr and a reason in error on failure.
    static std::unique_ptr<TDirectPort> Open(uint32_t base, const TPortIoCalls& calls,
                                             const std::string& lockFolder, std::string& error);
    ~TDirectPort() override;

    // A thread without I/O permission for the port (one that existed before the port was
    // opened) asks for it first; without permission writes do nothing and reads give 0.
    void Write(unsigned reg, uint8_t value) override;
    uint8_t Read(unsigned reg) override;

private:
    bool Permitted();
    TDirectPort(uint32_t base, const TPortIoCalls& calls, std::unique_ptr<TPanelLock> lock)
        : lock_(std::move(lock)), base_(base), calls_(calls) {}
    std::unique_ptr<TPanelLock> lock_;
    uint32_t base_;
    TPortIoCalls calls_;
};

} // namespace orv
