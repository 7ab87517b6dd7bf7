// Text into the fixed-size character fields of the records passed between a plug-in and its
// dialog library.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace orv {

// text cut to fit size bytes, zero-terminated; nothing when there is no room at all.
inline void CopyText(char* target, size_t size, std::string_view text) {
    if (!target || size == 0) return;
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

template <size_t N> void CopyText(char (&target)[N], std::string_view text) {
    CopyText(target, N, text);
}

} // namespace orv
