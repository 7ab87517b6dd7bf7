// Time and chance as the engine sees them, so that tests can run effects and ticks without
// waiting and with known random choices.
#pragma once

#include <chrono>
#include <cstdint>
#include <random>
#include <thread>

namespace orv {

class TEngineClock {
public:
    virtual ~TEngineClock() = default;
    // Monotonic milliseconds.
    virtual int64_t NowMs() = 0;
    // Waits ms milliseconds; does nothing for 0 or less.
    virtual void SleepMs(int64_t ms) = 0;
};

class TSystemClock final : public TEngineClock {
public:
    int64_t NowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void SleepMs(int64_t ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

class TRandomSource {
public:
    virtual ~TRandomSource() = default;
    // A number in 0..bound-1 (bound is at least 1).
    virtual uint32_t Below(uint32_t bound) = 0;
};

class TSystemRandom final : public TRandomSource {
public:
    TSystemRandom() : engine_(std::random_device{}()) {}
    uint32_t Below(uint32_t bound) override {
        return std::uniform_int_distribution<uint32_t>(0, bound - 1)(engine_);
    }

private:
    std::mt19937 engine_;
};

} // namespace orv
