#include "drivers/portio/DirectPort.h"

#include "drivers/portio/EmulatedPanel.h"

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define ORVANTA3_HAS_PORT_IO 1
#endif

namespace orv {

namespace {

constexpr uint32_t kRegisterCount = 3;

// I/O permission belongs to a thread (and to threads it creates later); a thread that existed
// before the port was opened asks for its own on first use.
thread_local std::vector<uint32_t> tPermittedBases;

bool ThreadPermitted(uint32_t base) {
    return std::find(tPermittedBases.begin(), tPermittedBases.end(), base) != tPermittedBases.end();
}

#ifdef ORVANTA3_HAS_PORT_IO
int HardwareIoperm(unsigned long from, unsigned long count, int turnOn) {
    return ::ioperm(from, count, turnOn);
}
void HardwareOut(uint8_t value, uint16_t port) { ::outb(value, port); }
uint8_t HardwareIn(uint16_t port) { return ::inb(port); }
#else
int HardwareIoperm(unsigned long, unsigned long, int) {
    errno = ENOSYS;
    return -1;
}
void HardwareOut(uint8_t, uint16_t) {}
uint8_t HardwareIn(uint16_t) { return 0; }
#endif

} // namespace

bool IsStandardParallelRange(uint32_t base) {
    constexpr struct {
        uint32_t first, last;
    } kRanges[] = {{0x378, 0x37F}, {0x278, 0x27F}, {0x3BC, 0x3BF}};
    for (const auto& range : kRanges)
        if (base >= range.first && base + kRegisterCount - 1 <= range.last) return true;
    return false;
}

TPortIoCalls HardwarePortIo() { return {HardwareIoperm, HardwareOut, HardwareIn}; }

std::unique_ptr<TDirectPort> TDirectPort::Open(uint32_t base, const TPortIoCalls& calls,
                                               const std::string& lockFolder, std::string& error) {
    if (!IsStandardParallelRange(base)) {
        error = "direct I/O is limited to the standard parallel-port addresses "
                "(0x378, 0x278, 0x3BC)";
        return nullptr;
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", base);
    auto lock = TPanelLock::Acquire(lockFolder + "/orvanta3-port-" + hex + ".lock",
                                    std::string("the parallel port at 0x") + hex, error);
    if (!lock) return nullptr;
    if (calls.ioperm(base, kRegisterCount, 1) != 0) {
        const int ioError = errno;
        error = std::string("ioperm failed: ") + std::strerror(ioError);
        if (ioError == EPERM) error += " (direct I/O needs root, or CAP_SYS_RAWIO)";
        return nullptr;
    }
    if (!ThreadPermitted(base)) tPermittedBases.push_back(base);
    return std::unique_ptr<TDirectPort>(new TDirectPort(base, calls, std::move(lock)));
}

TDirectPort::~TDirectPort() {
    calls_.ioperm(base_, kRegisterCount, 0);
    std::erase(tPermittedBases, base_);
}

bool TDirectPort::Permitted() {
    if (ThreadPermitted(base_)) return true;
    if (calls_.ioperm(base_, kRegisterCount, 1) != 0) return false;
    tPermittedBases.push_back(base_);
    return true;
}

void TDirectPort::Write(unsigned reg, uint8_t value) {
    if ((reg == kDataRegister || reg == kControlRegister) && Permitted())
        calls_.out(value, static_cast<uint16_t>(base_ + reg));
}

uint8_t TDirectPort::Read(unsigned reg) {
    return reg <= kControlRegister && Permitted() ? calls_.in(static_cast<uint16_t>(base_ + reg))
                                                  : 0;
}

} // namespace orv
