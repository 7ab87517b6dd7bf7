// The user's regional separators, taken from the locale named by the environment (LC_ALL,
// LC_TIME / LC_NUMERIC, LANG) through a private locale object: the process locale, which the
// host and every module share, is never changed. The texts are Windows-1251.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// The date separator of the user's short date format ("/" in the C locale, "." in de_DE);
// "/" when the locale cannot be loaded.
std::string UserDateSeparator();

// The decimal separator of the user's numbers; "." when the locale cannot be loaded.
std::string UserDecimalSeparator();

// The text between the first two conversions of a strftime date format ("%d.%m.%Y" -> ".");
// "/" when there is none.
std::string DateSeparatorOfFormat(std::string_view strftimeFormat);

} // namespace orv
