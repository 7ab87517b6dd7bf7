// Text that a module passes on from outside the user's own job (a feed title, a mail subject or
// sender, a tag of a file, a player's title): marked so that the engine shows it as text and
// never carries out a command word in it.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// text as a module answer of outside text: the mark in front, control bytes as blanks.
std::string OutsideText(std::string_view text);

} // namespace orv
