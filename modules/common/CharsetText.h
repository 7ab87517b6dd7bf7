// Text from the network in any charset, turned into the system's Windows-1251 through iconv.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orv {

// bytes in the named charset ("utf-8", "koi8-r", "iso-8859-5", ...) as Windows-1251; characters
// Windows-1251 lacks become '?', bytes that are invalid in the charset '?' too. nullopt when
// iconv does not know the charset.
std::optional<std::string> CharsetToCp1251(std::string_view bytes, std::string_view charset);

// Whether bytes are valid UTF-8 holding at least one multi-byte sequence.
bool LooksLikeUtf8(std::string_view bytes);

} // namespace orv
