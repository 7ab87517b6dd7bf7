#include "modules/procgauge/CpuLoad.h"

#include "base/TextUtil.h"
#include "modules/common/NumberFormat.h"

#include <algorithm>
#include <charconv>

namespace orv {

namespace {

// Fields 1..8 of a "cpu" line; guest and guest_nice (9, 10) are already in user and nice.
constexpr int kCountedFields = 8;
constexpr int kIdleField = 3, kIowaitField = 4;

bool StartsProcessorLine(std::string_view line) {
    return line.size() > 3 && line.substr(0, 3) == "cpu" && line[3] >= '0' && line[3] <= '9';
}

} // namespace

void TCpuLoad::Open(std::string statPath) {
    stat_.Open(std::move(statPath));
    all_ = {};
    single_.clear();
}

std::optional<TCpuLoad::TCounters> TCpuLoad::ParseLine(std::string_view text, std::string_view name,
                                                       int* processorCount) {
    std::optional<TCounters> found;
    *processorCount = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (StartsProcessorLine(line)) ++*processorCount;
        if (found || line.size() <= name.size() || line.substr(0, name.size()) != name ||
            !IsBlank(line[name.size()]))
            continue;
        line.remove_prefix(name.size());
        TCounters counters;
        int field = 0;
        for (; field < kCountedFields; ++field) {
            line = Trim(line);
            uint64_t value = 0;
            const auto [next, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
            if (ec != std::errc()) break; // older kernels have fewer fields
            counters.Total += value;
            if (field == kIdleField || field == kIowaitField) counters.Idle += value;
            line.remove_prefix(static_cast<size_t>(next - line.data()));
        }
        if (field > kIdleField) found = counters;
    }
    return found;
}

TCpuLoad::TLineState& TCpuLoad::State(int processor) {
    if (processor == kAllProcessors) return all_;
    if (single_.size() <= static_cast<size_t>(processor))
        single_.resize(static_cast<size_t>(processor) + 1);
    return single_[static_cast<size_t>(processor)];
}

std::optional<TCpuShare> TCpuLoad::Load(int processor, uint64_t nowMs) {
    if (processor < kAllProcessors) return std::nullopt;
    if (!stat_.ReadIfOlder(nowMs, kMaxCopyAgeMs)) return std::nullopt;
    const std::string name = processor == kAllProcessors ? "cpu" : "cpu" + IntToStr(processor);
    int processorCount = 0;
    const auto now = ParseLine(stat_.Text(), name, &processorCount);
    if (!now) return std::nullopt;

    TLineState& state = State(processor);
    if (now->Total < state.Previous.Total) { // the counters started again
        state.Previous = *now;
        return state.Last.value_or(TCpuShare{});
    }
    const uint64_t span = now->Total - state.Previous.Total;
    const uint64_t processors =
        processor == kAllProcessors ? static_cast<uint64_t>(std::max(processorCount, 1)) : 1;
    if (span < kMinSampleJiffies * processors && state.Last) return state.Last;

    const uint64_t idle = now->Idle > state.Previous.Idle ? now->Idle - state.Previous.Idle : 0;
    state.Previous = *now;
    state.Last = TCpuShare{span - std::min(idle, span), span};
    return state.Last;
}

} // namespace orv
