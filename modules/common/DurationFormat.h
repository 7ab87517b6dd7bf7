// The duration formatter: a count of milliseconds as hours, minutes and seconds.
#pragma once

#include "modules/common/UnitWords.h"

#include <cstdint>
#include <string>

namespace orv {

// Selectors over the whole seconds s = milliseconds / 1000, with hours not wrapped at 24 and
// H, M, S the unit words Hour, Min, Sec:
//   0 "307" (s)          1 "00:05" / "00 05" (hours, minutes; the colon shows on even seconds)
//   2 "00 H 05 M"        3 "05:07" (minutes, seconds)      4 "05 M 07 S"
//   5 "00:05:07"         6 "00 H 05 M 07 S"                any other selector: ""
// Every number has at least two digits ("%.2d"), except selector 0 ("%d").
std::string FormatDuration(uint64_t milliseconds, uint8_t selector, const TUnitWords& words);

} // namespace orv
