// A port I/O library for tests: exports the functions of libdlportio.so and records every
// write. A held key (bit i = key on data line Di) shows as status bit 3 while its data line
// is high.
#include <cstdint>
#include <mutex>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct TWrite {
    uint32_t port;
    uint8_t value;
};

std::mutex mutex;
std::vector<TWrite> writes;
uint32_t openBase = 0;
bool isOpen = false;
bool failOpen = false;
int openCount = 0;
int closeCount = 0;
int writesWhileClosed = 0;
std::vector<size_t> updates; // the number of writes recorded at each DlPortEndOfUpdate
uint32_t heldKeys = 0;
uint8_t dataLines = 0;

} // namespace

FAKE_EXPORT int32_t DlPortOpen(uint32_t base) {
    std::lock_guard lock(mutex);
    if (failOpen) return -1;
    ++openCount;
    openBase = base;
    isOpen = true;
    return 0;
}

FAKE_EXPORT void DlPortClose(uint32_t) {
    std::lock_guard lock(mutex);
    ++closeCount;
    isOpen = false;
}

FAKE_EXPORT void DlPortWritePortUchar(uint32_t port, uint8_t value) {
    std::lock_guard lock(mutex);
    if (!isOpen) ++writesWhileClosed;
    writes.push_back({port, value});
    if (port == openBase) dataLines = value;
}

FAKE_EXPORT uint8_t DlPortReadPortUchar(uint32_t port) {
    std::lock_guard lock(mutex);
    if (!isOpen) ++writesWhileClosed;
    return port == openBase + 1 && (dataLines & heldKeys) != 0 ? 0x08 : 0x00;
}

FAKE_EXPORT void DlPortEndOfUpdate(uint32_t) {
    std::lock_guard lock(mutex);
    updates.push_back(writes.size());
}

FAKE_EXPORT void DlPortEmuSetKeys(uint32_t mask) {
    std::lock_guard lock(mutex);
    heldKeys = mask;
}

// Test access.

FAKE_EXPORT void FakePortReset() {
    std::lock_guard lock(mutex);
    writes.clear();
    updates.clear();
    failOpen = false;
    openCount = closeCount = writesWhileClosed = 0;
    heldKeys = 0;
}

FAKE_EXPORT void FakePortFailOpen(int fail) {
    std::lock_guard lock(mutex);
    failOpen = fail != 0;
}

// Copies up to max recorded writes (port, value pairs) and returns how many there are.
FAKE_EXPORT size_t FakePortWrites(uint32_t* ports, uint8_t* values, size_t max) {
    std::lock_guard lock(mutex);
    for (size_t i = 0; i < writes.size() && i < max; ++i) {
        ports[i] = writes[i].port;
        values[i] = writes[i].value;
    }
    return writes.size();
}

FAKE_EXPORT void FakePortCounts(int* opens, int* closes, int* whileClosed, uint32_t* base) {
    std::lock_guard lock(mutex);
    *opens = openCount;
    *closes = closeCount;
    *whileClosed = writesWhileClosed;
    *base = openBase;
}

// Copies up to max update ends (each the number of writes before it) and returns how many there
// are.
FAKE_EXPORT size_t FakePortUpdates(size_t* writesBefore, size_t max) {
    std::lock_guard lock(mutex);
    for (size_t i = 0; i < updates.size() && i < max; ++i) writesBefore[i] = updates[i];
    return updates.size();
}
