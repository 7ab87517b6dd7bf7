// Passwords in the settings file: scrambled, never plain, the same way for every module.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// Every byte XORed with one fixed key (the same routine both ways).
std::string ScramblePassword(std::string_view text);

// The text written for a plain password: scrambled, in quotes when blanks or a quote at an end
// would otherwise be lost on reading (reading removes one pair).
std::string StoredPassword(std::string_view plain);

} // namespace orv
