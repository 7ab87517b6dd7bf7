// headlines as the host sees it: the built library against a front page and feeds served on
// loopback, the cache files and the download period.
#include "abi/CommandWords.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "tests/support/BackgroundWait.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orv;
using namespace orv::test;

namespace {

enum : int32_t { tagHardEnum, tagHard, tagFreshEnum, tagFresh, tagReviewsEnum, tagReviews };

// The news site's front page in its old form: 12 hardware news, 3 newest reviews, 2 reviews.
std::string FrontPage() {
    std::string page = "<html><body>\r\n<p>menu</p>\r\n<h3>Новости Hardware</h3>\r\n<small>\r\n";
    for (int i = 1; i <= 12; ++i)
        page += "<a href=/news/>Новость " + std::to_string(i) + "</a> <i>12:0" +
                std::to_string(i % 10) + "</i>\r\n";
    page += "</small>\r\n<p>between</p>\r\n<h3>Новое в обзорах</h3>\r\n<table>\r\n";
    for (const char* title : {"Обзор A", "Обзор B", "Обзор C"})
        page += std::string("<!--START item-->\r\n<tr><td><b>") + title + "</b></td></tr>\r\n";
    page += "</table>\r\n<h3>Обзоры за неделю</h3>\r\n<b>Старый обзор 1</b><br>\r\n"
            "<b>Старый обзор 2</b><br>\r\n</td>\r\n</body></html>\r\n";
    return Utf8ToCp1251(page);
}

const char* kRss = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0"><channel><title>Лента</title>
<item><title>Первая новость</title><link>http://x/1</link></item>
<item><title><![CDATA[Вторая   новость
 &amp; <b>ещё</b>]]></title></item>
<item><title>Третья</title></item>
</channel></rss>)";

const char* kAtom = R"(<?xml version="1.0" encoding="windows-1251"?>
<feed xmlns="http://www.w3.org/2005/Atom"><title>Atom</title>
<entry><title type="html">&lt;b&gt;Обзор&lt;/b&gt; один</title></entry>
<entry><title>Обзор два</title></entry>
</feed>)";

class Headlines : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module.Loaded());
        wait = BackgroundWaitOf(module);
        ASSERT_TRUE(wait);
        server.Serve("/", {200, "text/html; charset=windows-1251", FrontPage()});
    }

    // The three addresses; "Next download" is left out unless given.
    void Settings(const std::string& hard, const std::string& fresh, const std::string& reviews,
                  const std::string& extra = "") {
        WriteText(docs / "Orvanta3.ini", "[headlines.so]\nHard address=" + hard +
                                             "\nFresh address=" + fresh +
                                             "\nReviews address=" + reviews + "\n" + extra);
    }
    void Load() {
        ASSERT_EQ(module.Descriptor().LoadSettings(), 0);
        ASSERT_EQ(wait(120000), 1) << "the download ends";
    }
    std::string Value(int32_t tag, const char* param = "0") {
        return Cp1251ToUtf8(module.Value(tag, param));
    }
    std::string Cache(const std::string& file) { return cache / ("orvanta3/" + file); }
    std::string NextDownload() {
        return TIniFile(docs / "Orvanta3.ini").ReadString("headlines.so", "Next download", "");
    }

    std::string StateNextDownload() {
        return TIniFile(state / "orvanta3/state.ini")
            .ReadString("headlines.so", "Next download", "");
    }

    TempDir docs;
    TempDir cache;
    TempDir state;
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", docs.Path()};
    ScopedEnv cacheHome{"XDG_CACHE_HOME", cache.Path()};
    ScopedEnv stateHome{"XDG_STATE_HOME", state.Path()};
    ScopedEnv locale{"LC_ALL", "C"};
    TLoopbackHttpServer server;
    TBuiltModule module{"headlines.so"};
    TWaitBackgroundFunc wait = nullptr;
};

} // namespace

TEST_F(Headlines, DescriptorOffersSixTagsAndAllCallbacks) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "3DNews site news");
    EXPECT_EQ(d.Id, 13);
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$3dnewsHardEnum", "$3dnewsHard", "$3dnewsFreshEnum",
                                     "$3dnewsFresh", "$3dnewsReviewsEnum", "$3dnewsReviews"}));
    EXPECT_TRUE(d.LoadSettings && d.Configure && d.Finalize);
}

TEST_F(Headlines, FirstStartCutsTheFrontPageAndFillsTheCache) {
    const std::string page = server.Address() + "/";
    Settings(page, page, page);
    Load();
    EXPECT_EQ(server.Requests(), 1) << "one request for the three lists of one page";
    EXPECT_EQ(Value(tagHardEnum), "#enum12");
    EXPECT_EQ(Value(tagHard, "0"), "Новость 1");
    EXPECT_EQ(module.RawValue(tagHard, "0"), kOutsideTextMark + Utf8ToCp1251("Новость 1"))
        << "a title is outside text";
    EXPECT_EQ(module.RawValue(tagHardEnum), "#enum12") << "the count is the module's own";
    EXPECT_EQ(Value(tagHard, "11"), "Новость 12");
    EXPECT_EQ(Value(tagFreshEnum), "#enum3");
    EXPECT_EQ(Value(tagFresh, "2"), "Обзор C");
    EXPECT_EQ(Value(tagFresh, "3"), "");
    EXPECT_EQ(Value(tagReviewsEnum), "#enum2");
    EXPECT_EQ(Value(tagReviews, "1"), "Старый обзор 2");
    EXPECT_EQ(Value(tagReviews, "x"), "Старый обзор 1") << "a parameter that is no number is 0";
    EXPECT_EQ(Value(-1), "");

    EXPECT_EQ(ReadText(Cache("new_reviews.cnt")),
              Utf8ToCp1251("Обзор A\r\nОбзор B\r\nОбзор C\r\n"));
    EXPECT_TRUE(std::filesystem::exists(Cache("hard.cnt")));
    EXPECT_TRUE(std::filesystem::exists(Cache("reviews.cnt")));
    EXPECT_FALSE(NextDownload().empty());

    // A start within the period reads the cache and asks nothing.
    server.Serve("/", {500, "text/plain", ""});
    Load();
    EXPECT_EQ(server.Requests(), 1);
    EXPECT_EQ(Value(tagHardEnum), "#enum12");
    EXPECT_EQ(Value(tagReviews, "1"), "Старый обзор 2");
}

// A service's settings file may be read-only, and the daemon never writes it: the next download
// time goes into the state file, which the next start reads.
TEST_F(Headlines, TheNextDownloadIsStateAndAReadOnlySettingsFileStaysAsItIs) {
    const std::string page = server.Address() + "/";
    Settings(page, page, page, "Next download=01/01/03 00:00:00\n");
    const std::string settings = ReadText(docs / "Orvanta3.ini");
    {
        ScopedEnv daemon{"ORVANTA3_SETTINGS_READ_ONLY", "1"};
        Load();
        EXPECT_EQ(server.Requests(), 1) << "the settings' time has passed";
        EXPECT_EQ(ReadText(docs / "Orvanta3.ini"), settings) << "the settings file is not written";
        const std::string next = StateNextDownload();
        EXPECT_EQ(next.size(), std::string("01/01/03 00:00:00").size()) << next;
        Load();
        EXPECT_EQ(server.Requests(), 1) << "the state file's time lies ahead: no download";
        EXPECT_EQ(Value(tagHardEnum), "#enum12") << "from the cache";
    }

    // The desktop program writes both; the state file's time wins over the settings' one.
    std::filesystem::remove(state / "orvanta3/state.ini");
    Load();
    EXPECT_EQ(server.Requests(), 2);
    EXPECT_FALSE(StateNextDownload().empty());
    EXPECT_EQ(NextDownload(), StateNextDownload());
    TIniFile(docs / "Orvanta3.ini")
        .WriteString("headlines.so", "Next download", "01/01/03 00:00:00");
    Load();
    EXPECT_EQ(server.Requests(), 2);
}

TEST_F(Headlines, PageWithoutTheMarkersGivesEmptyListsAndNoCache) {
    server.Serve("/",
                 {200, "text/html", "<html><h3>Something else</h3>\n<small>\n</small>\n</html>\n"});
    const std::string page = server.Address() + "/";
    Settings(page, page, page, "Next download=01/01/03 00:00:00\n");
    Load();
    for (int32_t tag : {tagHardEnum, tagFreshEnum, tagReviewsEnum}) EXPECT_EQ(Value(tag), "#skip");
    EXPECT_FALSE(std::filesystem::exists(Cache("hard.cnt")));
    EXPECT_EQ(NextDownload(), "01/01/03 00:00:00") << "the next start tries again";

    // A page cut short keeps what was found before, but is not cached.
    std::string cut = FrontPage();
    cut = cut.substr(0, cut.find("<h3>Обзоры"_cp1251));
    server.Serve("/", {200, "text/html; charset=windows-1251", cut});
    Load();
    EXPECT_EQ(Value(tagHardEnum), "#enum12");
    EXPECT_EQ(Value(tagFreshEnum), "#enum3");
    EXPECT_EQ(Value(tagReviewsEnum), "#skip");
    EXPECT_FALSE(std::filesystem::exists(Cache("hard.cnt")));
}

TEST_F(Headlines, FeedsFillTheListsInFeedOrder) {
    server.Serve("/rss", {200, "application/rss+xml", kRss});
    server.Serve("/atom", {200, "application/atom+xml", Utf8ToCp1251(kAtom)});
    // The page is UTF-8 now: its markers are found after conversion.
    server.Serve("/utf8", {200, "text/html; charset=utf-8", Cp1251ToUtf8(FrontPage())});
    Settings(server.Address() + "/rss", server.Address() + "/atom", server.Address() + "/utf8");
    Load();
    EXPECT_EQ(Value(tagHardEnum), "#enum3");
    EXPECT_EQ(Value(tagHard, "0"), "Первая новость");
    EXPECT_EQ(Value(tagHard, "1"), "Вторая новость & <b>ещё</b>")
        << "references in a title are decoded";
    EXPECT_EQ(Value(tagFreshEnum), "#enum2");
    EXPECT_EQ(Value(tagFresh, "0"), "Обзор один") << "an HTML title loses its tags";
    EXPECT_EQ(Value(tagReviews, "0"), "Старый обзор 1");
    EXPECT_TRUE(std::filesystem::exists(Cache("reviews.cnt")));
}

TEST_F(Headlines, FailedAddressLeavesTheOthersAndNoCache) {
    server.Serve("/rss", {200, "application/rss+xml", kRss});
    Settings(server.Address() + "/rss", server.Address() + "/missing", "");
    Load();
    EXPECT_EQ(Value(tagHardEnum), "#enum3");
    EXPECT_EQ(Value(tagFreshEnum), "#skip");
    EXPECT_EQ(Value(tagReviewsEnum), "#skip") << "an empty address is an empty list";
    EXPECT_FALSE(std::filesystem::exists(Cache("hard.cnt")));
    EXPECT_EQ(NextDownload(), "");
}

TEST_F(Headlines, ProxySettingIsHonoured) {
    TLoopbackHttpServer proxy;
    proxy.ServeAll({200, "application/rss+xml", kRss});
    Settings("http://news.test/rss", "", "",
             "[INet]\nProxy=127.0.0.1\nProxyPort=" + std::to_string(proxy.Port()) + "\n");
    Load();
    ASSERT_EQ(proxy.Requests(), 1);
    EXPECT_EQ(proxy.Received()[0].Target, "http://news.test/rss");
    EXPECT_EQ(Value(tagHardEnum), "#enum3");
}
