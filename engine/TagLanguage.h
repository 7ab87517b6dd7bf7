// The tag language: line templates become elements bound to data modules; elements are
// evaluated (with the command pass over a module's answer), rendered once per tick in their
// format, and joined into lines.
//
// Used by the display thread, the preview and the quit message, one at a time.
#pragma once

#include "engine/LCDTag.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

class TCharsets;
class TEngineClock;
class TTagCatalogue;

// When the renders QuietRenders looks at happen on the display clock: the first at FirstMs,
// each next one StepMs later.
struct TRenderTimes {
    int64_t FirstMs = 0;
    int64_t StepMs = 0;
};

// The longest promise of a module that its answer stays (steadyFor) that is taken.
constexpr int32_t kMaxSteadyMs = 1000;

constexpr int32_t kDefaultLongDelayPeriod = 20;

class TTagLanguage {
public:
    TTagLanguage(TTagCatalogue& catalogue, TCharsets& charsets)
        : catalogue_(catalogue), charsets_(charsets) {}

    // The clock that dates the modules' promises that an answer stays; without one none is
    // asked for.
    void SetClock(TEngineClock* clock) { clock_ = clock; }

    // "Long delay period": ticks between refreshes of the slowest rate (at least 1).
    void SetLongDelayPeriod(int32_t ticks);
    int32_t LongDelayPeriod() const { return longDelayPeriod_; }

    // The line template without the tags that no module that is on has ("$name$",
    // "$name[args]$"); text, "$" with one character and names with a blank stay.
    std::string WithoutUnboundTags(std::string_view lineTemplate) const;

    // Appends the elements of one line template, each with its first value.
    void SplitLine(std::string_view lineTemplate, int32_t lineNo, TTagList& tags);
    // An element from its rewritten text ("$name[L,args]$"); queries its first value.
    TLCDTag ParseElement(std::string_view text);

    // Asks the module again and runs the command pass; plain text shows its own text.
    void Evaluate(TLCDTag& tag);
    // The command words a module's answer may carry; returns the value to keep.
    std::string RunCommands(TLCDTag& tag, std::string answer);

    // One tick of an element: the refresh when it is due, then the output of its format.
    std::string Render(TLCDTag& tag);
    void Refresh(TLCDTag& tag);
    std::string Output(TLCDTag& tag);

    // Line lineNo of the tick: the rendered elements of that line placed by their Left.
    std::string BuildLine(TTagList& tags, int32_t lineNo, int32_t displayWidth);
    // Whether BuildLine of some line 1..rows renders tag.
    static bool Rendered(const TLCDTag& tag, int32_t rows);

    // How many of the next renders of tag (at most limit) need not ask its module and do not
    // change its output: no refresh falls due, or the module promised the same answer until
    // after it (times: when those renders happen), and nothing flashes, cycles or scrolls in
    // its field.
    int32_t QuietRenders(const TLCDTag& tag, int32_t limit, const TRenderTimes& times) const;
    // Counts renders as passed that QuietRenders promised would change nothing: only the
    // refresh counter moves on, as it would have.
    void PassQuietRenders(TLCDTag& tag, int32_t count) const;

private:
    std::string OutputText(TLCDTag& tag);
    // The refresh counter after one more render, and whether that render refreshes.
    int32_t NextTickCount(int32_t tickCount) const;
    bool RefreshDue(const TLCDTag& tag, int32_t tickCount) const;

    TTagCatalogue& catalogue_;
    TCharsets& charsets_;
    TEngineClock* clock_ = nullptr;
    int32_t longDelayPeriod_ = kDefaultLongDelayPeriod;
};

} // namespace orv
