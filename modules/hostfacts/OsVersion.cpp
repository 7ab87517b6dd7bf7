#include "modules/hostfacts/OsVersion.h"

#include "modules/common/LineFields.h"
#include "modules/common/NumberFormat.h"

namespace orv {

namespace {

// A shell-style value of os-release: "..." with backslash escapes, '...' as it stands, or a
// bare word.
std::string Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
        return std::string(value.substr(1, value.size() - 2));
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::string(value);
    value = value.substr(1, value.size() - 2);
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        text += value[i];
    }
    return text;
}

// The number at the start of text, and text moved past it and one following '.'.
uint64_t TakeNumber(std::string_view& text) {
    const uint64_t number = LeadingNumber(text).value_or(0);
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    text.remove_prefix(digits);
    if (digits > 0 && !text.empty() && text.front() == '.')
        text.remove_prefix(1);
    else
        text = {};
    return number;
}

} // namespace

std::string PrettyName(std::string_view osRelease) {
    for (std::string_view key : {"PRETTY_NAME", "NAME"})
        if (const auto value = LineField(osRelease, key, '='); value && !value->empty())
            return Unquote(*value);
    return "Linux";
}

std::string OsVersionText(std::string_view prettyName, std::string_view kernelRelease) {
    kernelRelease = Trim(kernelRelease);
    const uint64_t major = TakeNumber(kernelRelease);
    const uint64_t minor = TakeNumber(kernelRelease);
    const uint64_t patch = TakeNumber(kernelRelease) & 0xFFFF;
    return std::string(prettyName) + ": " + IntToStr(static_cast<int64_t>(major & 0xFFFFFFFF)) +
           "." + IntToStr(static_cast<int64_t>(minor & 0xFFFFFFFF)) + "." +
           IntToStr(static_cast<int64_t>(patch));
}

} // namespace orv
