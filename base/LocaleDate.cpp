#include "base/LocaleDate.h"

#include "base/Cp1251.h"
#include "base/TextUtil.h"

#include <climits>
#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace orv {

namespace {

constexpr std::string_view kIsoDate = "%Y-%m-%d";

// LC_TIME of the environment as a locale object; the C locale when that one is not installed.
class TTimeLocale {
public:
    TTimeLocale() {
        loc_ = ::newlocale(LC_TIME_MASK, "", locale_t(nullptr));
        if (!loc_) loc_ = ::newlocale(LC_TIME_MASK, "C", locale_t(nullptr));
    }
    ~TTimeLocale() {
        if (loc_) ::freelocale(loc_);
    }
    TTimeLocale(const TTimeLocale&) = delete;
    TTimeLocale& operator=(const TTimeLocale&) = delete;

    // Null only when even the C locale could not be created.
    locale_t Get() const { return loc_; }

private:
    locale_t loc_;
};

constexpr bool IsModifier(char c) {
    return c == 'E' || c == 'O' || c == '-' || c == '_' || c == '0' || c == '^' || c == '#';
}

} // namespace

std::string ShortDateFormatFrom(std::string_view dFmt) {
    std::string out;
    bool day = false, month = false, year = false;
    for (size_t i = 0; i < dFmt.size(); ++i) {
        const char c = dFmt[i];
        if (static_cast<unsigned char>(c) >= 0x80) return std::string(kIsoDate);
        if (c != '%') {
            out += c;
            continue;
        }
        while (i + 1 < dFmt.size() && IsModifier(dFmt[i + 1])) ++i;
        if (++i >= dFmt.size()) return std::string(kIsoDate);
        switch (dFmt[i]) {
        case 'd':
        case 'e': day = true; break;
        case 'm': month = true; break;
        case 'y':
        case 'Y': year = true; break;
        case 'D':
        case 'F': day = month = year = true; break;
        case '%': break;
        default: return std::string(kIsoDate);
        }
        out += '%';
        out += dFmt[i];
    }
    if (!day || !month || !year) return std::string(kIsoDate);
    return out;
}

std::string UserShortDateFormat() {
    const TTimeLocale loc;
    const char* dFmt = loc.Get() ? ::nl_langinfo_l(D_FMT, loc.Get()) : nullptr;
    return ShortDateFormatFrom(dFmt && *dFmt ? dFmt : "%m/%d/%y");
}

std::string FormatDate(std::chrono::year_month_day date, std::string_view format) {
    std::tm tm{};
    tm.tm_year = static_cast<int>(date.year()) - 1900;
    tm.tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
    tm.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
    const std::string fmt(format);
    const TTimeLocale loc;
    char buf[128];
    const size_t n = loc.Get() ? ::strftime_l(buf, sizeof buf, fmt.c_str(), &tm, loc.Get())
                               : ::strftime(buf, sizeof buf, fmt.c_str(), &tm);
    return std::string(buf, n);
}

std::string FormatShortDate(std::chrono::year_month_day date) {
    return FormatDate(date, UserShortDateFormat());
}

std::optional<std::chrono::year_month_day> ParseDate(std::string_view text,
                                                     std::string_view format) {
    const std::string input(Trim(text));
    const std::string fmt(format);
    if (input.empty()) return std::nullopt;
    std::tm tm{};
    tm.tm_year = INT_MIN;
    tm.tm_mon = -1;
    tm.tm_mday = 0;
    const TTimeLocale loc;
    const char* end = loc.Get() ? ::strptime_l(input.c_str(), fmt.c_str(), &tm, loc.Get())
                                : ::strptime(input.c_str(), fmt.c_str(), &tm);
    if (!end || *end != '\0' || tm.tm_year == INT_MIN || tm.tm_mon < 0) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(tm.tm_year + 1900),
                                           std::chrono::month(static_cast<unsigned>(tm.tm_mon + 1)),
                                           std::chrono::day(static_cast<unsigned>(tm.tm_mday))};
    if (!date.ok()) return std::nullopt;
    return date;
}

std::optional<std::chrono::year_month_day> ParseShortDate(std::string_view text) {
    return ParseDate(text, UserShortDateFormat());
}

std::string UserLongTimeFormat() {
    const TTimeLocale loc;
    const char* tFmt = loc.Get() ? ::nl_langinfo_l(T_FMT, loc.Get()) : nullptr;
    return tFmt && *tFmt ? tFmt : "%H:%M:%S";
}

std::string FormatTimeOfDay(int64_t seconds, std::string_view format) {
    constexpr int64_t kDay = 86400;
    const int64_t ofDay = (seconds % kDay + kDay) % kDay;
    std::tm tm{};
    tm.tm_hour = static_cast<int>(ofDay / 3600);
    tm.tm_min = static_cast<int>(ofDay / 60 % 60);
    tm.tm_sec = static_cast<int>(ofDay % 60);
    tm.tm_mday = 1;
    tm.tm_year = 100;
    const std::string fmt(format);
    const TTimeLocale loc;
    char buf[128];
    const size_t n = loc.Get() ? ::strftime_l(buf, sizeof buf, fmt.c_str(), &tm, loc.Get())
                               : ::strftime(buf, sizeof buf, fmt.c_str(), &tm);
    const std::string text(buf, n);
    const char* codeset = loc.Get() ? ::nl_langinfo_l(CODESET, loc.Get()) : nullptr;
    return codeset && std::string_view(codeset) == "UTF-8" ? Utf8ToCp1251(text) : text;
}

} // namespace orv
