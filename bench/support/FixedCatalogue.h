// A tag catalogue whose modules answer fixed strings, so that benchmarks count the engine's work
// and not the modules'.
#pragma once

#include "host/TagCatalogue.h"

#include <iterator>
#include <map>
#include <string>

namespace orv::bench {

class TFixedCatalogue : public TTagCatalogue {
public:
    // Tag name ("$time") -> its answer.
    explicit TFixedCatalogue(std::map<std::string, std::string> answers)
        : answers_(std::move(answers)) {}

    std::optional<TTagBinding> Bind(std::string_view tagName) const override {
        const auto it = answers_.find(std::string(tagName));
        if (it == answers_.end()) return std::nullopt;
        return TTagBinding{"bench.so", static_cast<int32_t>(std::distance(answers_.begin(), it))};
    }
    std::optional<std::string> GetValue(std::string_view, int32_t tagIndex,
                                        const std::string&) override {
        if (tagIndex < 0 || tagIndex >= static_cast<int32_t>(answers_.size())) return std::nullopt;
        return std::next(answers_.begin(), tagIndex)->second;
    }

private:
    std::map<std::string, std::string> answers_;
};

} // namespace orv::bench
