// The answer of a module's GetValue: one module-wide string that every call replaces. The
// address it returns stays valid until the next call changes the string.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// GetValue receives the tag index in a 32-bit slot of which only the low 16 bits count.
constexpr int16_t TagIndexOf(int32_t rawIndex) { return static_cast<int16_t>(rawIndex); }

// The tag index with which the host asks a module to drop its answer.
inline constexpr int16_t kClearResultIndex = -1;

class TModuleResult {
public:
    const char* Set(std::string_view text) {
        text_.assign(text);
        return text_.c_str();
    }
    const char* Set(const char* text) { return Set(std::string_view(text)); }
    const char* Set(std::string&& text) {
        text_ = std::move(text);
        return text_.c_str();
    }
    const char* Clear() { return Set(std::string_view()); }
    // The previous answer, unchanged (most modules' answer to an unknown tag index).
    const char* Keep() const { return text_.c_str(); }

private:
    std::string text_;
};

} // namespace orv
