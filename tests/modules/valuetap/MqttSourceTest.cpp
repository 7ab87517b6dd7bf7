// valuetap's MQTT sources against a real mosquitto on loopback: retained and live messages,
// wildcards, JSON members picked by pointer, payloads that grow too old, a password (stored
// scrambled or in a password file), TLS with a throwaway CA, and a broker that restarts.
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "modules/valuetap/TapSources.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

class MqttSource : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TMosquittoBroker::Available()) GTEST_SKIP() << "mosquitto is not installed";
        ASSERT_TRUE(module.Loaded());
    }
    void TearDown() override {
        WriteText(docs / "Orvanta3.ini", "");
        module.Descriptor().LoadSettings();
    }

    // The sources of every test, on the broker given.
    void Load(const TBrokerSettings& broker) {
        TIniDocument ini = TIniDocument::Parse(
            "[valuetap.so]\nSource1 kind=mqtt\nSource1 name=outdoor\nSource1 topic=home/outdoor\n"
            "Source2 kind=mqtt\nSource2 name=temp\nSource2 topic=home/+/state\n"
            "Source2 pointer=/temperature\nSource3 kind=mqtt\nSource3 name=fresh\n"
            "Source3 topic=home/fresh\nSource3 max age=2\n"
            "Source4 kind=mqtt\nSource4 name=long\nSource4 topic=home/long\nSource4 max bytes=8\n");
        TValueTapSettings tapSettings = ReadValueTapSettings(ini);
        tapSettings.Broker = broker;
        WriteValueTapSettings(ini, tapSettings);
        WriteText(docs / "Orvanta3.ini", ini.Serialize());
        ASSERT_EQ(module.Descriptor().LoadSettings(), 0);
    }
    std::string Value(const std::string& source) {
        return Cp1251ToUtf8(module.Value(0, source.c_str()));
    }
    bool WaitForValue(const std::string& source, const std::string& expected) {
        return WaitUntil([&] { return Value(source) == expected; }, std::chrono::seconds(30));
    }

    // Retained before the module connects, live after; the rest of the behaviour on top.
    void ChecksOn(TMosquittoBroker& broker) {
        ASSERT_TRUE(broker.Publish("home/outdoor", "7.5", true)) << broker.Log();
        EXPECT_TRUE(WaitForValue("outdoor", "7.5"))
            << "retained: " << Value("outdoor") << broker.Log();
        EXPECT_EQ(Value("temp"), "#skip") << "nothing received yet";
        ASSERT_TRUE(broker.Publish("home/kitchen/state", R"({"temperature": 21.5, "on": true})"));
        EXPECT_TRUE(WaitForValue("temp", "21.5")) << Value("temp");
        ASSERT_TRUE(broker.Publish("home/cellar/state", R"({"temperature": "cold"})"));
        EXPECT_TRUE(WaitForValue("temp", "cold")) << "the wildcard takes the last message";
        ASSERT_TRUE(broker.Publish("home/cellar/state", "not json"));
        EXPECT_TRUE(WaitForValue("temp", "#skip")) << "a payload without the member";
        ASSERT_TRUE(broker.Publish("home/outdoor", "8.0"));
        EXPECT_TRUE(WaitForValue("outdoor", "8.0")) << "live";
        ASSERT_TRUE(broker.Publish("home/long", "0123456789abcdef"));
        EXPECT_TRUE(WaitForValue("long", "01234567")) << "cut to its bound";
        ASSERT_TRUE(broker.Publish("home/fresh", "now"));
        EXPECT_TRUE(WaitUntil([&] { return Value("fresh") == "#skip"; }, std::chrono::seconds(30)))
            << "two seconds later it is too old";
        ASSERT_TRUE(broker.Publish("home/fresh", "again"));
        EXPECT_TRUE(WaitForValue("fresh", "again"));
    }

    TempDir docs;
    ScopedEnv settings{"ORVANTA3_SETTINGS", docs / "Orvanta3.ini"};
    TBuiltModule module{"valuetap.so"};
};

TEST_F(MqttSource, PlainBrokerWithPasswordAndReconnect) {
    TMosquittoBroker broker(false, "panel", "s3cret word");
    ASSERT_TRUE(broker.Ok()) << broker.Log();
    TBrokerSettings brokerSettings;
    brokerSettings.Host = "127.0.0.1";
    brokerSettings.Port = broker.Port();
    brokerSettings.User = "panel";
    brokerSettings.Password = "wrong";
    Load(brokerSettings);
    ASSERT_TRUE(broker.Publish("home/outdoor", "retained", true));
    EXPECT_FALSE(WaitUntil([&] { return Value("outdoor") != "#skip"; }, std::chrono::seconds(3)))
        << "a wrong password gets nothing";

    brokerSettings.Password = "s3cret word";
    Load(brokerSettings);
    ChecksOn(broker);

    // The broker goes away and comes back: the module connects again and subscribes anew.
    ASSERT_TRUE(broker.Restart()) << broker.Log();
    ASSERT_TRUE(broker.Publish("home/outdoor", "after restart", true));
    EXPECT_TRUE(WaitForValue("outdoor", "after restart")) << Value("outdoor");
}

TEST_F(MqttSource, TlsBrokerWithPasswordFile) {
    TMosquittoBroker broker(true, "panel", "from file");
    ASSERT_TRUE(broker.Ok()) << broker.Log();
    WriteText(docs / "mqtt.pass", "from file\nsecond line\n");
    std::filesystem::permissions(docs / "mqtt.pass",
                                 std::filesystem::perms::group_read |
                                     std::filesystem::perms::others_read,
                                 std::filesystem::perm_options::add);
    TBrokerSettings brokerSettings;
    brokerSettings.Host = "localhost";
    brokerSettings.Port = broker.Port();
    brokerSettings.Tls = true;
    brokerSettings.CaFile = broker.CaFile();
    brokerSettings.User = "panel";
    brokerSettings.PasswordFile = docs / "mqtt.pass";
    std::string problem;
    EXPECT_FALSE(BrokerPassword(brokerSettings, problem))
        << "a password file others may read is refused";
    EXPECT_NE(problem.find("mqtt.pass"), std::string::npos) << problem;
    std::filesystem::permissions(docs / "mqtt.pass", std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_write);
    Load(brokerSettings);
    ChecksOn(broker);
}

} // namespace
