// Test access to the fake port library, and decoders that turn its recorded port writes back
// into what each panel controller latched.
#pragma once

#include <cstdint>
#include <dlfcn.h>
#include <stdexcept>
#include <vector>

namespace orv::test {

struct TPortWrite {
    uint32_t port;
    uint8_t value;
};

class TFakePort {
public:
    static constexpr const char* kPath = FAKE_PORT_LIBRARY;

    TFakePort() : handle_(::dlopen(kPath, RTLD_NOW | RTLD_LOCAL)) {
        if (!handle_) throw std::runtime_error(::dlerror());
        Reset();
    }
    ~TFakePort() { ::dlclose(handle_); }
    TFakePort(const TFakePort&) = delete;
    TFakePort& operator=(const TFakePort&) = delete;

    void Reset() { Call<void (*)()>("FakePortReset")(); }
    void FailOpen(bool fail) { Call<void (*)(int)>("FakePortFailOpen")(fail ? 1 : 0); }
    void HoldKeys(uint32_t mask) { Call<void (*)(uint32_t)>("DlPortEmuSetKeys")(mask); }

    std::vector<TPortWrite> Writes() {
        auto fetch = Call<size_t (*)(uint32_t*, uint8_t*, size_t)>("FakePortWrites");
        const size_t n = fetch(nullptr, nullptr, 0);
        std::vector<uint32_t> ports(n + 1);
        std::vector<uint8_t> values(n + 1);
        const size_t m = std::min(n, fetch(ports.data(), values.data(), n));
        std::vector<TPortWrite> writes;
        for (size_t i = 0; i < m; ++i) writes.push_back({ports[i], values[i]});
        return writes;
    }

    // The ends of updates told to the port library: for each, the number of writes before it.
    std::vector<size_t> Updates() {
        auto fetch = Call<size_t (*)(size_t*, size_t)>("FakePortUpdates");
        std::vector<size_t> ends(fetch(nullptr, 0));
        ends.resize(std::min(ends.size(), fetch(ends.data(), ends.size())));
        return ends;
    }

    struct TCounts {
        int opens = 0, closes = 0, accessWhileClosed = 0;
        uint32_t base = 0;
    };
    TCounts Counts() {
        TCounts c;
        Call<void (*)(int*, int*, int*, uint32_t*)>("FakePortCounts")(
            &c.opens, &c.closes, &c.accessWhileClosed, &c.base);
        return c;
    }

private:
    template <typename F> F Call(const char* name) {
        auto f = reinterpret_cast<F>(::dlsym(handle_, name));
        if (!f) throw std::runtime_error(name);
        return f;
    }
    void* handle_;
};

// One byte an HD44780 controller took: on the falling edge of its enable line (control bit 0
// for controller 1, bit 3 for controller 2 going from 0 to 1), with register select = bit 2.
struct THd44780Latch {
    int controller;
    bool data;
    uint8_t value;
    bool operator==(const THd44780Latch&) const = default;
};

inline std::vector<THd44780Latch> Hd44780Latches(const std::vector<TPortWrite>& writes,
                                                 uint32_t base) {
    std::vector<THd44780Latch> latches;
    uint8_t control = 0x0C, data = 0;
    for (const TPortWrite& w : writes) {
        if (w.port == base) data = w.value;
        if (w.port != base + 2) continue;
        for (auto [bit, controller] : {std::pair{0x01, 1}, std::pair{0x08, 2}})
            if (!(control & bit) && (w.value & bit))
                latches.push_back({controller, (w.value & 0x04) != 0, data});
        control = w.value;
    }
    return latches;
}

// One byte a KS0108 half took: on the falling edge of enable (control bit 0 going from 0 to
// 1); half 0 = left (bits 1 and 2 clear), 1 = right (both set), -1 = anything else; display
// data when bit 3 is clear.
struct TKs0108Latch {
    int half;
    bool data;
    uint8_t value;
    bool operator==(const TKs0108Latch&) const = default;
};

inline std::vector<TKs0108Latch> Ks0108Latches(const std::vector<TPortWrite>& writes,
                                               uint32_t base) {
    std::vector<TKs0108Latch> latches;
    uint8_t control = 0x09, data = 0;
    for (const TPortWrite& w : writes) {
        if (w.port == base) data = w.value;
        if (w.port != base + 2) continue;
        if (!(control & 0x01) && (w.value & 0x01)) {
            const int select = w.value & 0x06;
            const int half = select == 0 ? 0 : select == 6 ? 1 : -1;
            latches.push_back({half, (w.value & 0x08) == 0, data});
        }
        control = w.value;
    }
    return latches;
}

} // namespace orv::test
