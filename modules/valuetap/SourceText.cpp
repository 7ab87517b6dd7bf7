#include "modules/valuetap/SourceText.h"

#include "abi/CommandWords.h"
#include "base/Cp1251.h"
#include "base/JsonNesting.h"
#include "base/TextUtil.h"
#include "modules/common/CharsetText.h"

#include <nlohmann/json.hpp>

#include <array>

namespace orv {

namespace {

constexpr int kMaxJsonDepth = 64;

} // namespace

std::string_view PickLine(std::string_view text, int32_t line, int32_t field) {
    for (int32_t n = 1; n < line; ++n) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos) return {};
        text.remove_prefix(end + 1);
    }
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (field <= 0) return text;
    for (int32_t n = 1;; ++n) {
        while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
        if (text.empty()) return {};
        size_t end = 0;
        while (end < text.size() && !IsBlank(text[end])) ++end;
        if (n == field) return text.substr(0, end);
        text.remove_prefix(end);
    }
}

std::optional<std::string> PickJson(std::string_view text, std::string_view pointer) {
    if (!JsonNestingWithin(text, kMaxJsonDepth)) return std::nullopt;
    const nlohmann::json document = nlohmann::json::parse(text, nullptr, false);
    if (document.is_discarded()) return std::nullopt;
    try {
        const nlohmann::json::json_pointer at{std::string(pointer)};
        if (!document.contains(at)) return std::nullopt;
        const nlohmann::json& member = document.at(at);
        if (member.is_string()) return member.get<std::string>();
        return member.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    } catch (const nlohmann::json::exception&) {
        return std::nullopt; // a pointer that is not one
    }
}

std::string ShownText(std::string_view text) {
    std::string shown = LooksLikeUtf8(text) ? Utf8ToCp1251(text) : std::string(text);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    shown = std::string(Trim(shown));
    return shown;
}

std::optional<std::string> SourceValueText(const TSourceDef& source, std::string_view raw) {
    std::string picked;
    if (!source.Pointer.empty()) {
        auto member = PickJson(raw, Cp1251ToUtf8(source.Pointer));
        if (!member) return std::nullopt;
        picked = std::move(*member);
    } else {
        picked = std::string(raw);
    }
    return ShownText(PickLine(picked, source.Line, source.Field));
}

} // namespace orv
