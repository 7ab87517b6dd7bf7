#include "drivers/portio/DlPortIo.h"

#include "drivers/portio/PortBackEnd.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
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

struct TOpenPort {
    uint32_t base;
    int users;
    std::unique_ptr<orv::TPortBackEnd> backEnd;
};

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
            if (base < port.base + kRegisterCount && port.base < base + kRegisterCount) {
                SetLastError("the port at " + HexAddress(base) + " overlaps the open port at " +
                             HexAddress(port.base));
                return 1;
            }
        }
        const char* env = std::getenv("ORVANTA3_PORTIO");
        std::string error;
        auto choice = orv::ParsePortSpec(env ? env : "", error);
        if (!choice) {
            SetLastError("ORVANTA3_PORTIO=\"" + std::string(env ? env : "") + "\" " + error);
            return 1;
        }
        std::unique_ptr<orv::TPortBackEnd> backEnd = orv::OpenPortBackEnd(*choice, base, error);
        if (!backEnd) {
            SetLastError(error);
            return 1;
        }
        backEnd->SetHeldKeys(heldKeys_);
        ports_.push_back({base, 1, std::move(backEnd)});
        return 0;
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
        if (TOpenPort* port = Find(address))
            port->backEnd->Write(address - port->base, value);
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

void DlPortWritePortUchar(uint32_t port, uint8_t value) {
    Ports().Write(port, value);
}

uint8_t DlPortReadPortUchar(uint32_t port) { return Ports().Read(port); }

int32_t DlPortOpen(uint32_t basePort) { return Ports().Open(basePort); }

void DlPortClose(uint32_t basePort) { Ports().Close(basePort); }

const char* DlPortLastError() { return tLastError; }

void DlPortEndOfUpdate(uint32_t basePort) { Ports().EndOfUpdate(basePort); }

void DlPortEmuSetKeys(uint32_t heldMask) {
    Ports().SetHeldKeys(static_cast<uint8_t>(heldMask));
}
