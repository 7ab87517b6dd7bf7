// The user's short date format, taken from LC_TIME of the environment (LC_ALL, LC_TIME, LANG)
// through a locale object of its own: the process-wide locale is never changed.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// The strftime-style format of a short date built from a locale's D_FMT. Only numeric fields
// are kept ("%d", "%e", "%m", "%y", "%Y", "%C", "%D", "%F", alternative-digit modifiers
// dropped), so the text is plain ASCII and reads back with the same format; a D_FMT with
// names, other fields or non-ASCII text gives "%Y-%m-%d".
std::string ShortDateFormatFrom(std::string_view dFmt);

// The user's short date format ("%m/%d/%y" for the C locale or an unknown locale name).
std::string UserShortDateFormat();

// The user's date separator: UserDateSeparator() in RegionalSettings.h.

// A date as text in the given format, or in the user's short date format.
std::string FormatDate(std::chrono::year_month_day date, std::string_view format);
std::string FormatShortDate(std::chrono::year_month_day date);

// A date read with the given format, or the user's short date format; nullopt when the text is
// not a valid date in that format (blanks around it are allowed).
std::optional<std::chrono::year_month_day> ParseDate(std::string_view text,
                                                     std::string_view format);
std::optional<std::chrono::year_month_day> ParseShortDate(std::string_view text);

// The user's long time format: T_FMT of LC_TIME ("%H:%M:%S" in the C locale and for an unknown
// locale name).
std::string UserLongTimeFormat();

// A time of day in a strftime format, in Windows-1251. Whole seconds modulo one day, as a
// clock shows them: 65 s in "%H:%M:%S" is "00:01:05", 25 hours "01:00:00".
std::string FormatTimeOfDay(int64_t seconds, std::string_view format);

} // namespace orv
