#include "modules/headlines/HeadlineLists.h"

#include "base/Cp1251.h"

#include <deque>

namespace orv {

namespace {

std::deque<std::string_view> Lines(std::string_view page) {
    std::deque<std::string_view> lines;
    size_t start = 0;
    while (start < page.size()) {
        size_t end = page.find('\n', start);
        if (end == std::string_view::npos) end = page.size();
        std::string_view line = page.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool Contains(std::string_view line, std::string_view marker) {
    return line.find(marker) != std::string_view::npos;
}

// Drops lines until the first one contains marker (kept); false when none does.
bool DropUntil(std::deque<std::string_view>& lines, std::string_view marker) {
    while (!lines.empty() && !Contains(lines.front(), marker)) lines.pop_front();
    return !lines.empty();
}

// The text between the first "<b>" and the first "</b>" after it; from the start or to the
// end when a mark is missing.
std::string Bold(std::string_view line) {
    const size_t open = line.find("<b>");
    const size_t from = open == std::string_view::npos ? 0 : open + 3;
    const size_t close = line.find("</b>", from);
    return std::string(line.substr(from, close == std::string_view::npos ? close : close - from));
}

} // namespace

TPageHeadlines PageHeadlines(std::string_view page) {
    TPageHeadlines result;
    auto lines = Lines(page);
    if (!DropUntil(lines, "<h3>Новости Hard"_cp1251)) return result;
    if (!DropUntil(lines, "<small>")) return result;
    lines.pop_front();

    auto& hard = result.Lists[listHard];
    size_t i = 0;
    for (; i < lines.size() && !Contains(lines[i], "</small>"); ++i) {
        std::string_view line = lines[i];
        const size_t link = line.find("news/>");
        line.remove_prefix(link == std::string_view::npos ? std::min<size_t>(5, line.size())
                                                          : link + 6);
        line = line.substr(0, line.find("</a>"));
        hard.emplace_back(line);
    }
    if (i == lines.size()) return result; // no "</small>"

    if (!DropUntil(lines, "<h3>Новое в"_cp1251)) return result;
    auto& fresh = result.Lists[listFresh];
    while (!lines.empty() && !Contains(lines.front(), "</table>")) {
        const bool start = Contains(lines.front(), "<!--START");
        lines.pop_front();
        if (start && !lines.empty()) fresh.push_back(Bold(lines.front()));
    }

    if (!DropUntil(lines, "<h3>Обзоры"_cp1251)) return result;
    lines.pop_front();
    auto& reviews = result.Lists[listReviews];
    while (!lines.empty() && !Contains(lines.front(), "</td>")) {
        reviews.push_back(Bold(lines.front()));
        lines.pop_front();
    }
    result.Ok = true;
    return result;
}

} // namespace orv
