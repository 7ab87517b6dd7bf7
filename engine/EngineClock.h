// Time and chance as the engine sees them, so that tests can run effects and ticks without
// waiting and with known random choices.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <stop_token>
#include <thread>

namespace orv {

// What may end a wait early besides a stop request: Ready, read under Mutex, becoming true
// (whoever makes it true notifies Changed).
struct TWakeUp {
    std::mutex& Mutex;
    std::condition_variable_any& Changed;
    std::function<bool()> Ready;
};

class TEngineClock {
public:
    virtual ~TEngineClock() = default;
    // Monotonic milliseconds.
    virtual int64_t NowMs() = 0;
    // Waits ms milliseconds; does nothing for 0 or less.
    virtual void SleepMs(int64_t ms) = 0;
    // The rest of a display tick: waits ms milliseconds, or less when stop is requested or
    // wake is ready. A clock whose time is not real sleeps instead, since nothing can happen
    // meanwhile.
    virtual void WaitMs(int64_t ms, std::stop_token /*stop*/, const TWakeUp& /*wake*/) {
        SleepMs(ms);
    }
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
    void WaitMs(int64_t ms, std::stop_token stop, const TWakeUp& wake) override {
        if (ms <= 0) return;
        std::unique_lock lock(wake.Mutex);
        wake.Changed.wait_for(lock, stop, std::chrono::milliseconds(ms),
                              [&wake] { return wake.Ready(); });
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
