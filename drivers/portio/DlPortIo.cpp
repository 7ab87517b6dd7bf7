#include "drivers/portio/DlPortIo.h"

#include "drivers/portio/PortBackEnd.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kRegisterCount = 3;

// Why the calling thread's last open failed. A plain array: a thread_local with a destructor
// would keep the library from unloading at dlclose.
thread_local char tLastError[1024];

void SetLastError(const std::string& text) {
    const size_t n = std::min(text.size(), sizeof tLastError - 1);
    text.copy(tLastError, n);
    tLastError[n] = '\0';
}

std::string HexAddress(uint32_t base) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", base);
    return text;
}

// Ports opened by device name answer at kDeviceBase + k * kDeviceStride.
constexpr uint32_t kDeviceBase = 0x10000;
constexpr uint32_t kDeviceStride = 0x10;

struct TOpenPort {
    uint32_t base;
    int users;
    std::unique_ptr<orv::TPortBackEnd> backEnd;
    std::string device; // empty: opened by address
};

bool Overlaps(uint32_t a, uint32_t b) { return a < b + kRegisterCount && b < a + kRegisterCount; }

// The back end ORVANTA3_PORTIO names; nullopt with the message set when the variable is wrong.
std::optional<orv::TPortSpec> ChosenBackEnd() {
    const char* env = std::getenv("ORVANTA3_PORTIO");
    std::string error;
    auto choice = orv::ParsePortSpec(env ? env : "", error);
    if (!choice) SetLastError("ORVANTA3_PORTIO=\"" + std::string(env ? env : "") + "\" " + error);
    return choice;
}

// The open ports.
class TPortTable {
public:
    int32_t Open(uint32_t base) {
        std::lock_guard lock(mutex_);
        tLastError[0] = '\0';
        for (auto& port : ports_) {
            if (port.base == base) {
                ++port.users;
                return 0;
            }
            if (Overlaps(base, port.base)) {
                SetLastError("the port at " + HexAddress(base) + " overlaps the open port at " +
                             HexAddress(port.base));
                return 1;
            }
        }
        const auto choice = ChosenBackEnd();
        if (!choice) return 1;
        std::string error;
        return Add(base, orv::OpenPortBackEnd(*choice, base, error), {}, error);
    }

    int32_t OpenDevice(const std::string& device, uint32_t& base) {
        std::lock_guard lock(mutex_);
        tLastError[0] = '\0';
        for (auto& port : ports_) {
            if (!port.device.empty() && port.device == device) {
                ++port.users;
                base = port.base;
                return 0;
            }
        }
        const auto choice = ChosenBackEnd();
        if (!choice) return 1;
        base = FreeDeviceBase();
        std::string error;
        return Add(base, orv::OpenDeviceBackEnd(*choice, device, error), device, error);
    }

    void Close(uint32_t base) {
        std::unique_ptr<orv::TPortBackEnd> released;
        {
            std::lock_guard lock(mutex_);
            for (auto it = ports_.begin(); it != ports_.end(); ++it) {
                if (it->base != base) continue;
                if (--it->users > 0) {
                    it->backEnd->Flush();
                } else {
                    released = std::move(it->backEnd);
                    ports_.erase(it);
                }
                break;
            }
        }
    }

    void Write(uint32_t address, uint8_t value) {
        std::lock_guard lock(mutex_);
        if (TOpenPort* port = Find(address)) port->backEnd->Write(address - port->base, value);
    }

    uint8_t Read(uint32_t address) {
        std::lock_guard lock(mutex_);
        TOpenPort* port = Find(address);
        return port ? port->backEnd->Read(address - port->base) : 0;
    }

    void EndOfUpdate(uint32_t base) {
        std::lock_guard lock(mutex_);
        if (TOpenPort* port = Find(base)) port->backEnd->EndOfUpdate();
    }

    // Releases every port, whoever still uses it.
    void CloseAll() {
        std::vector<TOpenPort> released;
        {
            std::lock_guard lock(mutex_);
            released.swap(ports_);
        }
    }

    void SetHeldKeys(uint8_t mask) {
        std::lock_guard lock(mutex_);
        heldKeys_ = mask;
        for (auto& port : ports_) port.backEnd->SetHeldKeys(mask);
    }

private:
    int32_t Add(uint32_t base, std::unique_ptr<orv::TPortBackEnd> backEnd, std::string device,
                const std::string& error) {
        if (!backEnd) {
            SetLastError(error);
            return 1;
        }
        backEnd->SetHeldKeys(heldKeys_);
        ports_.push_back({base, 1, std::move(backEnd), std::move(device)});
        return 0;
    }

    // The lowest device address whose registers meet no open port.
    uint32_t FreeDeviceBase() const {
        for (uint32_t base = kDeviceBase;; base += kDeviceStride) {
            bool used = false;
            for (const auto& port : ports_) used = used || Overlaps(base, port.base);
            if (!used) return base;
        }
    }

    // The open port one of whose registers is at address.
    TOpenPort* Find(uint32_t address) {
        for (auto& port : ports_)
            if (address >= port.base && address - port.base < kRegisterCount) return &port;
        return nullptr;
    }

    std::mutex mutex_;
    std::vector<TOpenPort> ports_;
    uint8_t heldKeys_ = 0;
};

// Never destroyed: a thread still writing while the process exits finds no open port instead of
// a destroyed table. The ports themselves are released when the library is unloaded.
TPortTable& Ports() {
    alignas(TPortTable) static unsigned char storage[sizeof(TPortTable)];
    static TPortTable* const table = new (storage) TPortTable;
    return *table;
}

__attribute__((destructor)) void ReleasePorts() { Ports().CloseAll(); }

} // namespace

void DlPortWritePortUchar(uint32_t port, uint8_t value) { Ports().Write(port, value); }

uint8_t DlPortReadPortUchar(uint32_t port) { return Ports().Read(port); }

int32_t DlPortOpen(uint32_t basePort) { return Ports().Open(basePort); }

void DlPortClose(uint32_t basePort) { Ports().Close(basePort); }

int32_t DlPortOpenDevice(const char* device, uint32_t* basePort) {
    if (!device || !*device || !basePort) {
        SetLastError("no device named");
        return 1;
    }
    return Ports().OpenDevice(device, *basePort);
}

const char* DlPortLastError() { return tLastError; }

void DlPortEndOfUpdate(uint32_t basePort) { Ports().EndOfUpdate(basePort); }

void DlPortEmuSetKeys(uint32_t heldMask) { Ports().SetHeldKeys(static_cast<uint8_t>(heldMask)); }
