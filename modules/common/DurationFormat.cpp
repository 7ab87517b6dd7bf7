#include "modules/common/DurationFormat.h"

#include "modules/common/NumberFormat.h"

namespace orv {

std::string FormatDuration(uint64_t milliseconds, uint8_t selector, const TUnitWords& words) {
    const auto total = static_cast<int64_t>(milliseconds / 1000);
    const int64_t hours = total / 3600;
    const int64_t minutes = total / 60 % 60;
    const int64_t seconds = total % 60;
    const std::string& h = words[TUnitWord::Hour];
    const std::string& m = words[TUnitWord::Min];
    const std::string& s = words[TUnitWord::Sec];
    switch (selector) {
    case 0: return IntToStr(total);
    case 1: return Pad2(hours) + (seconds % 2 == 0 ? ":" : " ") + Pad2(minutes);
    case 2: return Pad2(hours) + " " + h + " " + Pad2(minutes) + " " + m;
    case 3: return Pad2(minutes) + ":" + Pad2(seconds);
    case 4: return Pad2(minutes) + " " + m + " " + Pad2(seconds) + " " + s;
    case 5: return Pad2(hours) + ":" + Pad2(minutes) + ":" + Pad2(seconds);
    case 6:
        return Pad2(hours) + " " + h + " " + Pad2(minutes) + " " + m + " " + Pad2(seconds) + " " +
               s;
    default: return {};
    }
}

} // namespace orv
