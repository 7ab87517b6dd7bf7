// The three lists of headlines and where they come from: the news site's front page cut at
// its text markers, or a news feed (RSS 2.0, RSS 1.0 or Atom) per list.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

enum THeadlineList : size_t { listHard, listFresh, listReviews, kHeadlineListCount };

using THeadlines = std::array<std::vector<std::string>, kHeadlineListCount>;

struct TPageHeadlines {
    THeadlines Lists; // what was cut out before a failure, too
    bool Ok = false;  // every step found its marker
};

// The front page (Windows-1251) cut into the three lists:
//  1. lines are dropped up to the one containing "<h3>Новости Hard", then up to and including
//     the next one containing "<small>";
//  2. hardware news: each following line up to one containing "</small>", from after the
//     first "news/>" (else from the sixth character) to before the first "</a>";
//  3. lines are dropped up to one containing "<h3>Новое в"; then up to a line containing
//     "</table>", each line containing "<!--START" is dropped and the next line's text between
//     "<b>" and "</b>" is a newest review;
//  4. lines are dropped up to and including one containing "<h3>Обзоры"; each following line
//     up to one containing "</td>" gives a review, its text between "<b>" and "</b>".
// Titles are taken as they stand (entities and tags inside are kept).
TPageHeadlines PageHeadlines(std::string_view page);

// The titles of a feed's items (RSS) or entries (Atom) in feed order, in Windows-1251, blanks
// folded and HTML character references decoded (tags removed from Atom's HTML titles);
// nullopt when the body is not a feed (an XML document whose root is "rss", "RDF" or "feed"),
// and also, with the reason in refusal, when the document declares entities. At most
// kMaxTitleBytes of each title's text are read, and at most 255 titles.
inline constexpr size_t kMaxTitleBytes = 1024;
std::optional<std::vector<std::string>> FeedTitles(std::string_view body,
                                                   std::string* refusal = nullptr);

} // namespace orv
