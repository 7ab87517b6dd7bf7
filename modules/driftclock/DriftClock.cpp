// driftclock: a screen-saver module. While the system screen saver runs, the time drifts across
// the panel, one cell per step, bouncing off the edges and changing rows at each bounce, so that
// no cell stays lit. It draws from a thread of its own through the driver object it is given.
#include "abi/ConstUnit.h"
#include "base/Cp1251.h"

#include <chrono>
#include <algorithm>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A small diamond shown before the time (custom character 0, text byte 0x01).
constexpr uint8_t kDiamond[8] = {0x00, 0x04, 0x0E, 0x1F, 0x0E, 0x04, 0x00, 0x00};
constexpr auto kStep = 700ms;

std::string TimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return std::string("\x01 ") + text;
}

class TDriftClock {
public:
    void Start(TLCDBaseControl* driver) {
        Stop();
        if (!driver) return;
        std::lock_guard guard(lock_);
        stop_ = false;
        thread_ = std::thread([this, driver] { Run(driver); });
    }

    void Stop() {
        {
            std::lock_guard guard(lock_);
            stop_ = true;
            wake_.notify_all();
        }
        if (thread_.joinable()) thread_.join();
    }

    ~TDriftClock() { Stop(); }

private:
    void Run(TLCDBaseControl* driver) {
        int rows = driver->GetRowCount();
        int cols = driver->GetColCount();
        if (rows <= 0) rows = 2;
        if (cols <= 0) cols = 16;
        driver->Clear();
        driver->DefineChar(0, kDiamond);
        int col = 0, row = 0, direction = 1;
        std::unique_lock guard(lock_);
        while (!stop_) {
            guard.unlock();
            const std::string text = TimeText();
            const int room = cols - static_cast<int>(text.size());
            for (int r = 0; r < rows; ++r) {
                std::string line(static_cast<size_t>(cols), ' ');
                if (r == row)
                    line.replace(static_cast<size_t>(std::max(col, 0)), text.size(), text);
                line.resize(static_cast<size_t>(cols));
                driver->WriteText(1, static_cast<uint8_t>(r + 1), line.data(), line.size());
            }
            if (room > 0) {
                col += direction;
                if (col <= 0 || col >= room) {
                    direction = -direction;
                    row = (row + 1) % rows;
                }
            }
            guard.lock();
            wake_.wait_for(guard, kStep, [this] { return stop_; });
        }
        guard.unlock();
        driver->Clear();
    }

    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = true;
    std::thread thread_;
};

TDriftClock drift;

void Start(TLCDBaseControl* driver) { drift.Start(driver); }
void Stop() { drift.Stop(); }

using orv::operator""_cp1251;

TScreenSaverDescriptor descriptor = {
    .Name = "Drifting clock",
    .Description = "Часы, плывущие по экрану, пока работает хранитель экрана.\r\r"
                   "Orvanta3 team"_cp1251,
    .Start = Start,
    .Stop = Stop,
};

} // namespace

ORVANTA3_EXPORT void* getPlugin() { return &descriptor; }
