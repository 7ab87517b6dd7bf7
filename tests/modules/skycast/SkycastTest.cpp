// skycast as the host sees it: the built library against a weather export and a forecast
// service served on loopback by the test.
#include "base/Cp1251.h"
#include "tests/support/BackgroundWait.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace orv;
using namespace orv::test;

namespace {

enum : int32_t { tagWeatherDay, tagTempDay, tagWeatherNight, tagTempNight };

const std::string kExportPath = "/weather/exports/informer.txt";

class Skycast : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module.Loaded());
        wait = BackgroundWaitOf(module);
        ASSERT_TRUE(wait);
    }

    void Settings(const std::string& weather, const std::string& inet = "") {
        WriteText(docs / "Orvanta3.ini", "[Weather]\n" + weather + "\n[INet]\n" + inet + "\n");
    }

    // LoadSettings, then the download is waited for.
    void Load() {
        ASSERT_EQ(module.Descriptor().LoadSettings(), 0);
        ASSERT_EQ(wait(120000), 1) << "the download ends";
    }

    std::vector<std::string> Values() {
        std::vector<std::string> values;
        for (int32_t tag : {tagWeatherDay, tagTempDay, tagWeatherNight, tagTempNight})
            values.push_back(Cp1251ToUtf8(module.Value(tag)));
        return values;
    }

    TempDir docs;
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", docs.Path()};
    TLoopbackHttpServer server;
    TBuiltModule module{"skycast.so"};
    TWaitBackgroundFunc wait = nullptr;
};

std::string ExportAnswer(const std::string& fifthLine) {
    return "<html>\r\nline 1\r\nline 2\r\nline 3\r\n" + fifthLine + "\r\nline 5\r\n";
}

} // namespace

TEST_F(Skycast, DescriptorOffersFourTagsAndAllCallbacks) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "Weather info");
    EXPECT_EQ(d.Id, 23);
    EXPECT_EQ(d.TagCount, 4);
    EXPECT_STREQ(d.GroupCaption, "Погода"_cp1251);
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$weatherDay", "$tempDay", "$weatherNight", "$tempNight"}));
    EXPECT_TRUE(d.LoadSettings && d.Configure && d.Finalize);
}

TEST_F(Skycast, ExportLineGivesThePhrasesAndTheTemperaturesAsReceived) {
    server.Serve(kExportPath,
                 {200, "text/plain", ExportAnswer("a|b|MostlySunny.GIF|+15..+17|nt_clear.gif|+8")});
    Settings("Source=export\nServer=" + server.Address());
    Load();
    EXPECT_EQ(Values(), (std::vector<std::string>{"преимущественно ясно", "+15..+17", "", "+8"}));
    ASSERT_EQ(server.Requests(), 1);
    EXPECT_EQ(server.Received()[0].Target, kExportPath + "?cyid=42") << "the default city";
}

TEST_F(Skycast, ShortOrFailedAnswersLeaveTheFieldsUnknown) {
    Settings("Source=export\nCity code=5\nServer=" + server.Address());
    // Four lines: nothing is stored.
    server.Serve(kExportPath, {200, "text/plain", "1\n2\n3\na|b|sunny.gif|+1|nt_sunny.gif|-2\n"});
    Load();
    EXPECT_EQ(Values(), (std::vector<std::string>{"", "?", "", "?"}));

    // A line cut short keeps the fields before the cut.
    server.Serve(kExportPath, {200, "text/plain", ExportAnswer("a|b|rain.gif|+3")});
    Load();
    EXPECT_EQ(Values(), (std::vector<std::string>{"дождь", "+3", "", "?"}));

    // An HTTP error stores nothing, and LoadSettings forgets the last values.
    server.Serve(kExportPath, {500, "text/plain", ExportAnswer("a|b|rain.gif|+3|nt_rain.gif|0")});
    Load();
    EXPECT_EQ(Values(), (std::vector<std::string>{"", "?", "", "?"}));
    EXPECT_EQ(server.Received().back().Target, kExportPath + "?cyid=5");
}

TEST_F(Skycast, ForecastAnswerOfTheMenuCityGivesTheSameKindOfValues) {
    server.Serve("/v1/forecast", {200, "application/json",
                                  ReadText(std::string(ORVANTA3_SOURCE_DIR) +
                                           "/tests/modules/skycast/forecast-kyiv.json")});
    Settings("City code=1\nServer=" + server.Address()); // Source defaults to the forecast
    Load();
    EXPECT_EQ(Values(),
              (std::vector<std::string>{"преимущественно ясно", "+15..+17", "ночью дождь", "+8"}));
    ASSERT_EQ(server.Requests(), 1);
    const std::string target = server.Received()[0].Target;
    EXPECT_NE(target.find("latitude=50.45&longitude=30.52"), std::string::npos) << target;
}

TEST_F(Skycast, CityWithoutAPlaceAsksTheForecastServiceNothing) {
    Settings("City code=4242\nServer=" + server.Address());
    Load();
    EXPECT_EQ(server.Requests(), 0);
    EXPECT_EQ(module.Value(tagTempDay), "?");
}

TEST_F(Skycast, SilentServerNeverDelaysGetValue) {
    TLoopbackHttpServer silent(true);
    Settings("Source=export\nServer=" + silent.Address());
    ASSERT_EQ(module.Descriptor().LoadSettings(), 0);
    ASSERT_TRUE(silent.WaitFor(1)) << "the download has started";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(module.Value(tagTempDay), "?");
    EXPECT_EQ(module.Value(tagWeatherDay), "");
    EXPECT_EQ(module.Value(tagTempNight), "?");
    // GetValue only reads the fields; a minute would mean it waited for the server.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(wait(0), 0) << "the download still waits for the server";
    // Releasing the library ends the download without waiting for the time-out.
}

TEST_F(Skycast, ProxySettingSendsTheRequestThroughTheProxy) {
    TLoopbackHttpServer proxy;
    proxy.ServeAll({200, "text/plain", ExportAnswer("a|b|snow.gif|-5..-3|nt_snow.gif|-9")});
    const std::string inet = "Proxy=127.0.0.1\nProxyPort=" + std::to_string(proxy.Port());
    // The weather server's name is only ever seen by the proxy.
    Settings("Source=export\nServer=http://weather.test:8123", inet);
    Load();
    ASSERT_EQ(proxy.Requests(), 1);
    EXPECT_EQ(proxy.Received()[0].Target,
              "http://weather.test:8123/weather/exports/informer.txt?cyid=42");
    EXPECT_EQ(Values(), (std::vector<std::string>{"снег", "-5..-3", "ночью снег", "-9"}));

    // Switched off, the proxy is not used.
    server.Serve(kExportPath, {200, "text/plain", ExportAnswer("a|b|sunny.gif|+1|x|+2")});
    Settings("Use proxy-server=0\nSource=export\nServer=" + server.Address(), inet);
    Load();
    EXPECT_EQ(proxy.Requests(), 1);
    EXPECT_EQ(server.Requests(), 1);
    EXPECT_EQ(module.Value(tagWeatherDay), "ясно"_cp1251);
}

TEST_F(Skycast, ClearIndexAndUnknownIndexGiveEmptyText) {
    server.Serve(kExportPath, {200, "text/plain", ExportAnswer("a|b|sunny.gif|+1|x|+2")});
    Settings("Source=export\nServer=" + server.Address());
    Load();
    EXPECT_EQ(module.Value(tagTempDay), "+1");
    EXPECT_EQ(module.Value(-1), "");
    EXPECT_EQ(module.Value(4), "");
    EXPECT_EQ(module.Value(0x10001), "+1") << "only the low 16 bits of the index count";
}
