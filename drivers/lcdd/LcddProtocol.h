// The text of LCDd's client protocol that the driver speaks: the answer to "hello", quoted
// strings, and the key events of the keys it reserves.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// What LCDd's answer to "hello" tells about the display: its size in characters and the size
// of one character cell in pixels (the unit of the bar widgets).
struct TLcddDisplay {
    int32_t cols = 0;
    int32_t rows = 0;
    int32_t cellWidth = 5;
    int32_t cellHeight = 8;
};

// "connect LCDproc 0.5.9 protocol 0.3 lcd wid 20 hgt 4 cellwid 5 cellhgt 8": the fields after
// "lcd", in any order; nullopt for any other line or without a positive width and height.
std::optional<TLcddDisplay> ParseConnectReply(std::string_view line);

// text in double quotes, with '"' and '\' escaped by a backslash; other bytes as they are.
std::string QuoteLcddText(std::string_view text);

// The keys the driver reserves with client_add_key.
inline constexpr const char* kLcddKeys = "Up Down Enter Escape";

// The keypad code (TKeypadCode) of a "key NAME" message for a reserved key: Up the previous
// screen, Down and Enter the next one, Escape the first. nullopt for any other line.
std::optional<int8_t> KeypadCodeOfKeyEvent(std::string_view line);

} // namespace orv
