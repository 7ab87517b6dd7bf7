// One element of a screen line: a module tag or a run of plain text, with its parameters,
// its current value and the state of its format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

enum TTagFormat : uint8_t {
    tfText = 0,
    tfFlash = 1,
    tfBar = 2,
    tfSimpleBar = 3,
    tfDigitBar = 4,
    tfAnim = 5,
    tfAnimChar = 6,
};

constexpr int32_t kLeftFollow = -1; // element follows the text before it
constexpr int32_t kLeftRight = 100; // element is right-aligned to the display width
constexpr int32_t kMaxLeftColumn = 20;

// Longest value kept from a module, and the widest field; more is cut off so that no answer
// can make a tick arbitrarily slow or large.
constexpr size_t kMaxValueLength = 4096;

struct TLCDTag {
    int32_t LineNo = 1;
    std::string Name;         // tag name ("$time") for a module tag, else the text to show
    int32_t TagIndex = -1;    // -1: no module tag matched
    std::string ModuleKey;    // empty: no module matched
    std::string Value;        // last value, after the command pass
    bool OutsideText = false; // Value is outside text: shown as it is, never a command or mark
    int32_t Left = kLeftFollow;
    int32_t Width = 0;
    bool Overflow = false; // the first value was longer than Width: it scrolls in its field
    int32_t PadCount = 0;  // Width minus the length of the first value
    bool RefreshOn = false;
    uint8_t Format = tfText;
    bool FlashVisible = false;
    int32_t AnimIndex = 0;
    int32_t RefreshMode = 0; // 1 very low .. 4 high; anything else never refreshes
    int32_t TickCount = 1;
    int32_t FieldScroll = 0;
    std::vector<std::string> AnimList; // glyph names of "_AnimList"
    uint8_t AnimSlot = 0;
    std::string Argument;
    // The display clock's time (ms) until which a refresh would give Value again, as the module
    // promised; 0: no promise.
    int64_t SteadyUntilMs = 0;
};

// The elements of the current screen, in line order and within a line in order of appearance.
using TTagList = std::vector<TLCDTag>;

} // namespace orv
