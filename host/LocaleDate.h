// The user's short date format, taken from LC_TIME of the environment (LC_ALL, LC_TIME, LANG)
// through a locale object of its own: the process-wide locale is never changed.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// The strftime-style format of a short date built from a locale's D_FMT. Only numeric fields
// are kept ("%d", "%e", "%m", "%y", "%Y", "%C", "%D", "%F", alternative-digit modifiers
// dropped), so the text is plain ASCII and reads back with the same format; a D_FMT with
// names, other fields or non-ASCII text gives "%Y-%m-%d".
std::string ShortDateFormatFrom(std::string_view dFmt);

// The first character of a date format that separates its fields, '/' when it has none.
char DateSeparatorOf(std::string_view format);

// The user's short date format ("%m/%d/%y" for the C locale or an unknown locale name).
std::string UserShortDateFormat();

// The user's date separator ('/' for the C locale, '.' for "%d.%m.%Y").
char UserDateSeparator();

// A date as text in the given format, or in the user's short date format.
std::string FormatDate(std::chrono::year_month_day date, std::string_view format);
std::string FormatShortDate(std::chrono::year_month_day date);

// A date read with the given format, or the user's short date format; nullopt when the text is
// not a valid date in that format (blanks around it are allowed).
std::optional<std::chrono::year_month_day> ParseDate(std::string_view text,
                                                     std::string_view format);
std::optional<std::chrono::year_month_day> ParseShortDate(std::string_view text);

} // namespace orv
