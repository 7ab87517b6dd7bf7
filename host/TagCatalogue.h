// What the tag language needs from the module host: finding the module that declares a tag
// name, and asking it for a value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

struct TTagBinding {
    std::string ModuleKey; // key of the module's catalogue entry
    int32_t TagIndex = -1; // 0-based position in the module's tag list
};

class TTagCatalogue {
public:
    virtual ~TTagCatalogue() = default;

    // The first enabled data module, in catalogue order, that declares this exact tag name
    // ("$time", dollar sign included, case-sensitive).
    virtual std::optional<TTagBinding> Bind(std::string_view tagName) const = 0;

    // The module's answer for one tag, copied at once; nullopt when no entry has that key
    // (any more). Argument and answer are Windows-1251.
    virtual std::optional<std::string> GetValue(std::string_view moduleKey, int32_t tagIndex,
                                                const std::string& argument) = 0;

    // Right after GetValue: for how many milliseconds the module will keep giving that answer;
    // 0 when it cannot tell.
    virtual int32_t SteadyForMs(std::string_view /*moduleKey*/, int32_t /*tagIndex*/,
                                const std::string& /*argument*/) {
        return 0;
    }
};

} // namespace orv
