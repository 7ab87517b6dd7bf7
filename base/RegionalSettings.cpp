#include "base/RegionalSettings.h"

#include "base/Cp1251.h"

#include <algorithm>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

namespace orv {

namespace {

// A locale with one category from the environment and the rest from "C"; null when the named
// locale is not installed.
class TEnvironmentLocale {
public:
    explicit TEnvironmentLocale(int categoryMask)
        : locale_(::newlocale(categoryMask, "", nullptr)) {}
    ~TEnvironmentLocale() {
        if (locale_) ::freelocale(locale_);
    }
    TEnvironmentLocale(const TEnvironmentLocale&) = delete;
    TEnvironmentLocale& operator=(const TEnvironmentLocale&) = delete;

    // The item's text in the locale's own encoding; empty when the locale is missing.
    std::string_view Item(nl_item item) const {
        const char* text = locale_ ? ::nl_langinfo_l(item, locale_) : nullptr;
        return text ? text : "";
    }

    // Text of the locale in Windows-1251, or fallback when it is empty or has no such form.
    std::string ToCp1251(std::string_view text, const char* fallback) const {
        if (!locale_ || text.empty()) return fallback;
        bool ascii = true;
        for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii) return std::string(text);
        const char* codeset = ::nl_langinfo_l(CODESET, locale_);
        if (codeset && std::strcmp(codeset, "UTF-8") == 0) {
            std::string converted = Utf8ToCp1251(text);
            if (converted.find('?') == std::string::npos) return converted;
        }
        if (codeset && std::strcmp(codeset, "CP1251") == 0) return std::string(text);
        return fallback;
    }

private:
    locale_t locale_;
};

// Length of the conversion at format[pos] ('%', flags, width, E/O modifier, conversion).
size_t ConversionLength(std::string_view format, size_t pos) {
    size_t end = pos + 1;
    while (end < format.size() && std::strchr("_-0^#", format[end])) ++end;
    while (end < format.size() && format[end] >= '0' && format[end] <= '9') ++end;
    if (end < format.size() && (format[end] == 'E' || format[end] == 'O')) ++end;
    return std::min(end + 1, format.size()) - pos;
}

} // namespace

std::string DateSeparatorOfFormat(std::string_view strftimeFormat) {
    std::string format;
    for (size_t pos = 0; pos < strftimeFormat.size(); ++pos) {
        const std::string_view rest = strftimeFormat.substr(pos);
        if (rest.starts_with("%D")) {
            format += "%m/%d/%y";
            ++pos;
        } else if (rest.starts_with("%F")) {
            format += "%Y-%m-%d";
            ++pos;
        } else {
            format += strftimeFormat[pos];
        }
    }
    const size_t first = format.find('%');
    if (first == std::string::npos) return "/";
    const size_t textStart = first + ConversionLength(format, first);
    const size_t second = format.find('%', textStart);
    if (second == std::string::npos || second == textStart) return "/";
    return format.substr(textStart, second - textStart);
}

std::string UserDateSeparator() {
    const TEnvironmentLocale locale(LC_TIME_MASK);
    return locale.ToCp1251(DateSeparatorOfFormat(locale.Item(D_FMT)), "/");
}

std::string UserDecimalSeparator() {
    const TEnvironmentLocale locale(LC_NUMERIC_MASK);
    return locale.ToCp1251(locale.Item(RADIXCHAR), ".");
}

} // namespace orv
