// From what a source gave (a command's output, a file, an MQTT payload) to the text a tag
// shows. The text comes from outside: it is only ever shown, never obeyed.
#pragma once

#include "modules/valuetap/TapSources.h"

#include <optional>
#include <string>
#include <string_view>

namespace orv {

// The value of raw for source: the field of the JSON pointer's member when one is set, then
// the source's line and field, in Windows-1251 and safe to show. nullopt when the pointer
// names nothing or the text is not JSON.
std::optional<std::string> SourceValueText(const TSourceDef& source, std::string_view raw);

// Line `line` (from 1) of text, and of it the blank-separated field `field` (from 1; 0: the
// whole line); empty when there are fewer.
std::string_view PickLine(std::string_view text, int32_t line, int32_t field);

// The member pointer names in the JSON text: strings without quotes, numbers and literals as
// written; objects and arrays as compact JSON. nullopt when text is not JSON, is nested too
// deeply, or has no such member.
std::optional<std::string> PickJson(std::string_view text, std::string_view pointer);

// Outside text as the panel shows it: UTF-8 turned into Windows-1251, control characters into
// blanks, blanks at the ends dropped. The module answers it marked as outside text
// (modules/common/OutsideText.h), so the engine never takes it as a command or a mark.
std::string ShownText(std::string_view text);

} // namespace orv
