#include "engine/TagParameters.h"

#include "base/TextUtil.h"

namespace orv {

namespace {

// The text up to the next comma, which goes with it; a lone comma stays where it is.
std::string TakeItem(std::string_view& rest) {
    const size_t comma = rest.find(',');
    if (comma == std::string_view::npos) {
        std::string item(rest);
        rest = {};
        return item;
    }
    std::string item(rest.substr(0, comma));
    if (rest.size() > 1) rest.remove_prefix(comma + 1);
    return item;
}

std::string OrNone(std::string item) { return item.empty() ? "-1" : item; }

int FormatIndexOf(std::string_view word) {
    for (int i = 1; i < kTagFormatCount; ++i)
        if (word == kTagFormatWords[i]) return i;
    return 0;
}

bool IsSet(const std::string& item) { return !item.empty() && item != "-1"; }

} // namespace

TTagParameters ReadTagParameters(std::string_view tagText) {
    TTagParameters parameters;
    const size_t open = tagText.find('[');
    parameters.Name = std::string(tagText.substr(0, open));
    if (parameters.Name.empty() || parameters.Name.back() != '$') parameters.Name += '$';

    const size_t close = tagText.find(']');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return parameters;
    std::string_view rest = tagText.substr(open + 1, close - open - 1);
    parameters.Argument = OrNone(TakeItem(rest));
    parameters.Left = OrNone(TakeItem(rest));
    parameters.Width = OrNone(TakeItem(rest));
    const auto refresh = ParseInt32(TakeItem(rest));
    if (refresh && *refresh >= 1 && *refresh <= kRefreshRateCount) {
        parameters.RefreshOn = true;
        parameters.RefreshIndex = *refresh - 1;
    }
    parameters.FormatIndex = FormatIndexOf(rest);
    return parameters;
}

std::string BuildTagText(const TTagParameters& parameters) {
    std::string text = parameters.Name;
    if (!text.empty()) text.pop_back();
    text += '[';
    if (IsSet(parameters.Argument)) text += parameters.Argument;
    text += ',';
    if (IsSet(parameters.Left) && parameters.Left != "0") text += parameters.Left;
    text += ',';
    if (const auto width = ParseInt32(parameters.Width); width && *width > 0)
        text += parameters.Width;
    text += ',';
    if (parameters.RefreshOn) text += std::to_string(parameters.RefreshIndex + 1);
    text += ',';
    if (parameters.FormatIndex > 0 && parameters.FormatIndex < kTagFormatCount)
        text += kTagFormatWords[parameters.FormatIndex];

    while (text.back() == ',') text.pop_back();
    if (text.back() == '[')
        text.pop_back();
    else
        text += ']';
    text += '$';
    return text;
}

} // namespace orv
