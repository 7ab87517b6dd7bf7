// display_soak [TICKS]: the display thread on a clock that never waits, for TICKS ticks (default
// 1,000,000) over a job of ten screens with every format, enumerated sub-screens, command words,
// scrolling lines and transitions, while another thread sends navigation requests and suspends
// and resumes it as the screen saver does. Prints the resident memory after the first 10,000
// ticks and at the end; fails when it grew by more than 64 KiB.
#include "engine/Charsets.h"
#include "engine/ControlThread.h"
#include "engine/JobUnit.h"
#include "engine/TagLanguage.h"
#include "abi/ConstUnit.h"
#include "host/TagCatalogue.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace orv;

namespace {

constexpr uint64_t kWarmUpTicks = 10000;
constexpr long kAllowedGrowthKiB = 64;
constexpr uint64_t kActionEvery = 997; // ticks between two navigation or suspend requests

// Read without allocating, so that measuring adds nothing to what is measured.
long ResidentKiB() {
    char text[128] = {};
    const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    long size = 0, resident = 0;
    if (n <= 0 || std::sscanf(text, "%ld %ld", &size, &resident) != 2) return 0;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Modules whose answers change with every call: numbers for the bars, a long text, an
// enumeration, and the command words.
class TSoakCatalogue : public TTagCatalogue {
public:
    std::optional<TTagBinding> Bind(std::string_view tagName) const override {
        for (size_t i = 0; i < kTags.size(); ++i)
            if (kTags[i] == tagName) return TTagBinding{"soak.so", static_cast<int32_t>(i)};
        return std::nullopt;
    }
    std::optional<std::string> GetValue(std::string_view, int32_t tagIndex,
                                        const std::string& argument) override {
        const uint64_t n = ++calls_;
        switch (tagIndex) {
        case 0: return std::to_string(n % 101);
        case 1:
            return "news item " + std::to_string(n % 7) +
                   " that is far too long for a line of the panel";
        case 2: return "#enum3 message " + argument;
        case 3:
            return n % 2 ? "_SetFlash" + std::to_string(n % 60)
                         : "_UnsetFlash" + std::to_string(n % 60);
        case 4: return "_AnimList:'3;vb_0;vb_2;vb_4;vb_7'";
        case 5: return "_MaskChar:'2;x1F;x11;x0" + std::to_string(n % 10) + ";x11;x11;x11;x11;x1F'";
        case 6: return "_NamedChar:'1;hb_" + std::to_string(n % 8) + "'";
        case 7: return n % 50 == 0 ? "_4Clock" : "_SwitchCharset:" + std::to_string(n % 3);
        default: return std::to_string(n % 13 * 7 - 40) + ".5";
        }
    }

private:
    static constexpr std::array<std::string_view, 9> kTags = {
        "$num", "$text", "$list", "$flash", "$anim", "$mask", "$named", "$charset", "$temp"};
    uint64_t calls_ = 0;
};

TJob SoakJob() {
    TJob job;
    const std::vector<std::vector<std::string>> screens = {
        {"Bars $num[,,10,4,bar]$", "$num[1,,8,4,simple_bar]$ $num[,r,,4]$",
         "$num[,,5,3,digit_bar]$", "$temp$"},
        {"$flash[,,,4,flash]$ flashing", "$anim[1,,1,4,anim]$ $anim[,,1,3,anim_char]$", "", "end"},
        {"$list[,,,4]$", "sub-screen of three", "$num$", ""},
        {"$text[,,,4]$", "$text[,,,3]$", "$text[,,,2]$", "$text[1,,12,4]$"},
        {"$mask$$named$$charset$ own chars", "\x01\x02\x03", "", "$num[,,20,4,bar]$"},
        {"plain text only", "centred", "", "right"},
        {"$temp[,,6,4]$ degrees", "$num[,,,4,digit_bar]$", "$flash$", "$anim$"},
        {"once only $num$", "", "", ""},
        {"hidden", "", "", ""},
        {"A long line that scrolls back and forth $text$", "moving right $text$", "left $text$",
         "$num[,r,,4,flash]$"},
    };
    for (size_t s = 0; s < screens.size(); ++s) {
        const int i = static_cast<int>(s);
        job.AddScreen("soak " + std::to_string(s + 1));
        for (size_t l = 0; l < screens[s].size(); ++l) {
            const int line = static_cast<int>(l) + 1;
            job.SetLine(i, line, screens[s][l]);
            job.SetAlign(i, line, static_cast<TLineAlign>((s + l) % 3));
            job.SetScroll(i, line, static_cast<TLineScroll>((s + l) % 3));
        }
        job.SetTimeout(i, s == 2 ? 0 : static_cast<int32_t>(1 + s % 3));
        job.SetTransitionEffect(i, static_cast<uint8_t>(s % kTransitionEffectCount));
    }
    job.SetOnce(7, true);
    job.SetShow(8, false);
    return job;
}

// Time moves only when the thread sleeps.
class TSoakClock : public TEngineClock {
public:
    int64_t NowMs() override { return now_; }
    void SleepMs(int64_t ms) override {
        if (ms > 0) now_ += ms;
    }

private:
    int64_t now_ = 1000;
};

class TSoakPanel : public TLCDBaseControl {
public:
    bool GetActive() override { return true; }
    int32_t GetColCount() override { return 20; }
    int32_t GetRowCount() override { return 4; }
    void WriteText(uint8_t, uint8_t, const char*, size_t len) override { written += len; }
    void DefineChar(uint8_t, const uint8_t*) override { ++defined; }
    uint64_t written = 0, defined = 0;
};

// Counts the frames and measures resident memory at exact ticks. Every kActionEvery ticks is a
// turn of the driving thread: a navigation request (the display thread waits until it is made)
// or a screen-saver suspend (the display thread asks for it itself, which only takes effect
// before its next tick, and the driving thread waits for the pause and resumes it). So the
// requests come at the same ticks in every run.
class TTickCounter : public TFrameSink {
public:
    explicit TTickCounter(uint64_t total) : total_(total) {}
    void SetThread(TControlThread* thread) { thread_ = thread; }

    static bool SuspendTurn(uint64_t tick) { return (tick / kActionEvery) % 5 >= 3; }

    void ShowFrame(const std::vector<std::string>&) override {
        const uint64_t n = ++ticks_;
        if (n == kWarmUpTicks) WarmResident = ResidentKiB();
        if (n == total_) EndResident = ResidentKiB();
        if (n > total_ || (n % kActionEvery != 0 && n != total_)) return;
        const bool suspend = n != total_ && SuspendTurn(n);
        if (suspend) thread_->Suspend();
        std::unique_lock lock(mutex_);
        due_ = n;
        changed_.notify_all();
        if (!suspend) changed_.wait(lock, [&] { return taken_ >= n; });
    }

    // On the driving thread: the tick of the next turn (the last one is the total).
    uint64_t NextTurn() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return due_ > taken_; });
        return due_;
    }
    void TurnTaken(uint64_t tick) {
        std::lock_guard lock(mutex_);
        taken_ = tick;
        changed_.notify_all();
    }

    long WarmResident = 0, EndResident = 0;

private:
    const uint64_t total_;
    TControlThread* thread_ = nullptr;
    uint64_t ticks_ = 0; // display thread only
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t due_ = 0, taken_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    const uint64_t total = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    if (total < kWarmUpTicks) {
        std::fprintf(stderr, "display_soak: at least %llu ticks\n",
                     static_cast<unsigned long long>(kWarmUpTicks));
        return 2;
    }
    TSoakCatalogue catalogue;
    TCharsets charsets;
    TTagLanguage language(catalogue, charsets);
    TJob job = SoakJob();
    TSoakPanel panel;
    TSoakClock clock;
    TSystemRandom random;
    TTickCounter counter(total);
    TDisplaySettings settings;
    settings.BaseTimeoutMs = 250;
    settings.SubScreenShowTimeS = 1;
    TControlThread thread(
        job, language, charsets, [&panel] { return &panel; }, clock, random);
    thread.SetGeometry(4, 20);
    thread.SetSettings(settings);
    thread.SetFrameSink(&counter);

    counter.SetThread(&thread);
    ResidentKiB(); // its first call sets up the C library's scanning: not part of the run
    thread.Start();

    uint64_t navigations = 0, suspends = 0;
    for (uint64_t tick = counter.NextTurn(); tick < total; tick = counter.NextTurn()) {
        if (TTickCounter::SuspendTurn(tick)) {
            thread.Suspend(); // returns once the thread has paused
            thread.Resume();
            ++suspends;
        } else {
            switch ((tick / kActionEvery) % 5) {
            case 0: thread.Next(); break;
            case 1: thread.Previous(); break;
            default: thread.GoTo(static_cast<int32_t>(tick % 10)); break;
            }
            ++navigations;
        }
        counter.TurnTaken(tick);
    }
    counter.TurnTaken(total);
    thread.Stop();
    const long growth = counter.EndResident - counter.WarmResident;
    std::printf(
        "display_soak: %llu ticks, %llu navigation requests, %llu suspends, %llu characters "
        "written, %llu glyphs loaded\n",
        static_cast<unsigned long long>(total), static_cast<unsigned long long>(navigations),
        static_cast<unsigned long long>(suspends), static_cast<unsigned long long>(panel.written),
        static_cast<unsigned long long>(panel.defined));
    std::printf("display_soak: resident %ld KiB after %llu ticks, %ld KiB at the end: %+ld KiB "
                "(at most %ld allowed)\n",
                counter.WarmResident, static_cast<unsigned long long>(kWarmUpTicks),
                counter.EndResident, growth, kAllowedGrowthKiB);
    return growth <= kAllowedGrowthKiB ? 0 : 1;
}
