// The headline parsers with random and truncated pages and feeds.
#include "base/Cp1251.h"
#include "modules/headlines/HeadlineLists.h"

#include <gtest/gtest.h>

#include <random>

using namespace orv;

TEST(HeadlineLists, HardwareNewsWithoutLinkLoseTheirFirstFiveCharacters) {
    const auto page = PageHeadlines(Utf8ToCp1251(
        "<h3>Новости Hard</h3><small>\n<br> Без ссылки</a>\nxx\n</small>\n<h3>Новое в</h3>\n"
        "<!--START\n<b>X\n</table>\n<h3>Обзоры\n</td>\n"));
    EXPECT_TRUE(page.Ok);
    EXPECT_EQ(page.Lists[listHard], (std::vector<std::string>{"Без ссылки"_cp1251, ""}));
    EXPECT_EQ(page.Lists[listFresh], (std::vector<std::string>{"X"})) << "no </b>: to the end";
    EXPECT_TRUE(page.Lists[listReviews].empty());
}

TEST(HeadlineLists, FeedsAreToldFromPages) {
    EXPECT_FALSE(FeedTitles("<html><body><item><title>x</title></item></body></html>"));
    EXPECT_FALSE(FeedTitles("not xml at all"));
    EXPECT_EQ(FeedTitles("<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
                         "<channel><title>c</title></channel><item><title>one</title></item>"
                         "<item><title>two</title></item></rdf:RDF>"),
              (std::vector<std::string>{"one", "two"}));
    // An external entity is never read: a feed that declares entities is refused, with the
    // reason.
    std::string refusal;
    EXPECT_EQ(FeedTitles("<?xml version='1.0'?><!DOCTYPE rss [<!ENTITY x SYSTEM "
                         "'file:///etc/passwd'>]><rss><channel><item><title>a&x;</title></item>"
                         "</channel></rss>",
                         &refusal),
              std::nullopt);
    EXPECT_EQ(refusal, "the feed declares entities of its own");
    // A title is kept to its first kilobyte.
    const auto titles = FeedTitles("<rss><channel><item><title>" + std::string(5000, 'x') +
                                   "</title></item></channel></rss>");
    ASSERT_TRUE(titles && titles->size() == 1);
    EXPECT_EQ(titles->front(), std::string(kMaxTitleBytes, 'x'));
}

TEST(HeadlineListsFuzz, RandomAndTruncatedInputNeverCrashes) {
    const std::string page = Utf8ToCp1251(
        "<h3>Новости Hard</h3>\n<small>\n<a news/>a</a>\n</small>\n<h3>Новое в</h3>\n<!--START\n"
        "<b>b</b>\n</table>\n<h3>Обзоры</h3>\n<b>c</b>\n</td>\n");
    const std::string feed = "<?xml version='1.0' encoding='utf-8'?><feed><entry><title "
                             "type='html'>&lt;i&gt;x&lt;/i&gt;</title></entry><entry><title>y"
                             "</title></entry></feed>";
    for (size_t cut = 0; cut <= page.size(); ++cut) (void)PageHeadlines(page.substr(0, cut));
    for (size_t cut = 0; cut <= feed.size(); ++cut) (void)FeedTitles(feed.substr(0, cut));
    std::mt19937 random(3);
    for (int round = 0; round < 3000; ++round) {
        std::string text = round % 2 ? page : feed;
        for (int e = 0; e < 1 + static_cast<int>(random() % 6); ++e)
            text[random() % text.size()] = static_cast<char>(random() % 256);
        (void)PageHeadlines(text);
        (void)FeedTitles(text);
    }
}
