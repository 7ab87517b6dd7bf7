// Lookups in the "key: value" and "KEY=value" texts of the system's files (/proc/meminfo,
// /proc/cpuinfo, /etc/os-release).
#pragma once

#include "base/TextUtil.h"

#include <optional>
#include <string_view>

namespace orv {

// The value of the first line whose text before the first separator is key (blanks around
// either part ignored): LineField("MemTotal:  2048 kB\n", "MemTotal", ':') gives "2048 kB".
constexpr std::optional<std::string_view> LineField(std::string_view text, std::string_view key,
                                                    char separator) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const size_t split = line.find(separator);
        if (split != std::string_view::npos && Trim(line.substr(0, split)) == key)
            return Trim(line.substr(split + 1));
    }
    return std::nullopt;
}

// The leading decimal digits of a value as a number ("2048 kB" gives 2048); nullopt when it
// does not start with a digit or does not fit 64 bits.
constexpr std::optional<uint64_t> LeadingNumber(std::string_view value) {
    if (value.empty() || value.front() < '0' || value.front() > '9') return std::nullopt;
    uint64_t number = 0;
    for (char c : value) {
        if (c < '0' || c > '9') break;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (number > (UINT64_MAX - digit) / 10) return std::nullopt;
        number = number * 10 + digit;
    }
    return number;
}

} // namespace orv
