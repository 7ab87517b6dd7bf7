#include "drivers/lcdd/LcddProtocol.h"

#include "abi/ConstUnit.h"
#include "base/TextUtil.h"

#include <sstream>

namespace orv {

std::optional<TLcddDisplay> ParseConnectReply(std::string_view line) {
    std::istringstream words{std::string(line)};
    std::string word;
    if (!(words >> word) || word != "connect") return std::nullopt;
    while (words >> word && word != "lcd") {
    }
    TLcddDisplay display;
    std::string value;
    while (words >> word >> value) {
        const std::optional<int32_t> number = ParseInt32(value);
        if (!number || *number <= 0) continue;
        if (word == "wid")
            display.cols = *number;
        else if (word == "hgt")
            display.rows = *number;
        else if (word == "cellwid")
            display.cellWidth = *number;
        else if (word == "cellhgt")
            display.cellHeight = *number;
    }
    if (display.cols <= 0 || display.rows <= 0) return std::nullopt;
    return display;
}

std::string QuoteLcddText(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::optional<int8_t> KeypadCodeOfKeyEvent(std::string_view line) {
    if (!line.starts_with("key ")) return std::nullopt;
    const std::string_view key = Trim(line.substr(4));
    if (key == "Up") return kKeyPreviousScreen;
    if (key == "Down" || key == "Enter") return kKeyNextScreen;
    if (key == "Escape") return kKeyFirstScreen;
    return std::nullopt;
}

} // namespace orv
