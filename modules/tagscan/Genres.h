// The genre list of ID3 version 1 with its common extensions (indexes 0..114).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

inline constexpr int kGenreCount = 115;

// The genre's name; empty for an index of 115 or more.
std::string_view GenreName(uint8_t index);

// The genre text of an ID3 version 2 frame (TCON, TCO) as people read it: references to the
// list, "(17)" and the version 2.4 form "17", become the name ("Rock"); a reference followed by
// its refinement, "(4)Eurodisco", gives the refinement; "RX" and "CR" are "Remix" and "Cover".
// Any other text is kept.
std::string GenreText(std::string_view frameText);

} // namespace orv
