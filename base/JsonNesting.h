// A guard for JSON from outside: the parsers recurse per level, so text nested deeper than a
// caller needs is refused before it reaches one.
#pragma once

#include <cstddef>
#include <string_view>

namespace orv {

// Whether the nesting of text stays within maxDepth, counted over brackets outside strings.
inline bool JsonNestingWithin(std::string_view text, int maxDepth) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > maxDepth) return false;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}

} // namespace orv
