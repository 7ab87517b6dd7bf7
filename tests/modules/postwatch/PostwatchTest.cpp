// postwatch as the host sees it, against a real POP3 server (dovecot) started by the test on
// loopback: counts, lists, decoded headers, the three kinds of connection, failures, and how
// often the server is asked.
#include "base/Cp1251.h"
#include "tests/support/BackgroundWait.h"
#include "modules/postwatch/MailAccount.h"
#include "base/IniFile.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/DovecotServer.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace orv;
using namespace orv::test;

namespace {

enum : int32_t {
    tagMailCheck,
    tagMailNew,
    tagMailDetails,
    tagMailEnum,
    tagMailFrom,
    tagMailDate,
    tagMailSubject,
    tagMailSize
};

std::string Message(const std::string& from, const std::string& subject,
                    const std::string& extraHeaders = "") {
    return "From: " + from + "\r\nTo: alice@example.org\r\nSubject: " + subject +
           "\r\nDate: Thu, 5 Mar 2026 12:00:00 +0000\r\n" + extraHeaders +
           "\r\nThe body is never fetched.\r\n";
}

class Postwatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module.Loaded());
        wait = BackgroundWaitOf(module);
        ASSERT_TRUE(wait);
    }

    // Section "Mail" for the test's server; the "key=value" lines of extra override.
    void Settings(const std::string& server, const std::string& extra = "",
                  const std::string& password = TDovecotServer::kPassword) {
        TMailSettings s;
        s.Server = server;
        s.User = TDovecotServer::kUser;
        s.Password = password;
        TIniDocument ini;
        WriteMailSettings(ini, s);
        const TIniDocument overrides = TIniDocument::Parse("[Mail]\n" + extra);
        for (const std::string& key : overrides.Keys("Mail"))
            ini.WriteString("Mail", key, overrides.ReadString("Mail", key, ""));
        WriteText(docs / "Orvanta3.ini", ini.Serialize());
        ASSERT_EQ(module.Descriptor().LoadSettings(), 0);
    }
    std::string Plain() const { return "127.0.0.1:" + std::to_string(dovecot.PopPort()); }

    // The first request starts a check; its answer comes once the check is done.
    std::string Checked(int32_t tag, const char* param = "0") {
        (void)module.Value(tag, param);
        EXPECT_EQ(wait(120000), 1) << "the check ends";
        return Cp1251ToUtf8(module.Value(tag, param));
    }

    TempDir docs;
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", docs.Path()};
    ScopedEnv locale{"LC_ALL", "C"};
    TDovecotServer dovecot;
    TBuiltModule module{"postwatch.so"};
    TWaitBackgroundFunc wait = nullptr;
};

} // namespace

TEST_F(Postwatch, DescriptorOffersEightTagsAndAllCallbacks) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "Mailbox status, v.2");
    EXPECT_EQ(d.Id, 8);
    EXPECT_EQ(TBuiltModule::Texts(d.TagNames),
              TBuiltModule::Sixteen({"$mailCheck", "$mailNew", "$mailDetails", "$mailEnum",
                                     "$mailFrom", "$mailDate", "$mailSubject", "$mailSize"}));
    EXPECT_EQ(Cp1251ToUtf8(d.TagHints[5]),
              "Показывает отправителя письма\r\rПараметр Index - номер письма в ящике; тег удобно "
              "использовать вместе с тегом $mailEnum$");
    EXPECT_TRUE(d.LoadSettings && d.Configure && d.Finalize);
}

TEST_F(Postwatch, EmptyMailboxHidesItsScreens) {
    Settings(Plain());
    EXPECT_EQ(Checked(tagMailNew), "0");
    EXPECT_EQ(module.Value(tagMailCheck), "#skip");
    EXPECT_EQ(module.Value(tagMailEnum), "#skip");
    EXPECT_EQ(module.Value(tagMailDetails), "");
    EXPECT_TRUE(dovecot.WaitForLogins(1)) << "the box was asked";
    EXPECT_EQ(dovecot.Logins(), 1);
}

TEST_F(Postwatch, ThreeMessagesAreEnumeratedWithTheirDecodedHeaders) {
    dovecot.AddMessage(Message("Bob <bob@example.org>", "=?koi8-r?B?8NLJ18XU?="));
    dovecot.AddMessage(Message("=?utf-8?B?0JjQstCw0L0g0J/QtdGC0YDQvtCy?= <ivan@example.org>",
                               "Re: =?windows-1251?Q?=CF=F0=E8=E2=E5=F2?="));
    // A UTF-8 subject split inside a character across two encoded words.
    dovecot.AddMessage(Message("carol@example.org",
                               "=?UTF-8?B?0KLQtdC80A==?=\r\n"
                               " =?UTF-8?B?sCDQv9C40YHRjNC80LA6INC/0YDQuNCy0LXRgg==?="));
    Settings(Plain());
    EXPECT_EQ(Checked(tagMailEnum), "#enum3");
    EXPECT_EQ(module.Value(tagMailCheck), "3");
    EXPECT_EQ(Cp1251ToUtf8(module.Value(tagMailSubject, "0")), "Привет") << "KOI8-R, B";
    EXPECT_EQ(Cp1251ToUtf8(module.Value(tagMailSubject, "1")), "Re: Привет") << "Windows-1251, Q";
    EXPECT_EQ(Cp1251ToUtf8(module.Value(tagMailSubject, "2")), "Тема письма: привет");
    EXPECT_EQ(Cp1251ToUtf8(module.Value(tagMailFrom, "1")), "Иван Петров <ivan@example.org>");
    EXPECT_EQ(module.Value(tagMailFrom, "2"), "carol@example.org");
    EXPECT_EQ(module.Value(tagMailFrom, "5"), "");
    EXPECT_EQ(module.Value(tagMailFrom, "258"), "carol@example.org") << "an 8-bit index";
    EXPECT_EQ(module.Value(tagMailDate, "0"), "03/05/26") << "the C locale's short date";
    EXPECT_GT(std::stoi(module.Value(tagMailSize, "0")), 100);
    EXPECT_EQ(Cp1251ToUtf8(module.Value(tagMailDetails)),
              "03/05/26 от Bob <bob@example.org>: Привет | "
              "03/05/26 от Иван Петров <ivan@example.org>: Re: Привет | "
              "03/05/26 от carol@example.org: Тема письма: привет | ");
    ASSERT_TRUE(dovecot.WaitForLogins(1));
    EXPECT_EQ(dovecot.Logins(), 1);
    // The bodies stay on the server: only headers were asked for.
    EXPECT_TRUE(
        WaitUntil([&] { return ReadText(dovecot.Log()).find("top=3/") != std::string::npos; },
                  std::chrono::seconds(60)))
        << ReadText(dovecot.Log());
    EXPECT_NE(ReadText(dovecot.Log()).find("retr=0/0"), std::string::npos);
}

TEST_F(Postwatch, MaskAndDelimiterShapeTheDetails) {
    dovecot.AddMessage(Message("a@x", "one"));
    dovecot.AddMessage(Message("b@x", "two"));
    Settings(Plain(), "Mask=%subject% (%from%, %size%)\nDelimiter=#;\n");
    const std::string details = Checked(tagMailDetails);
    EXPECT_EQ(details.substr(0, 10), "one (a@x, ");
    EXPECT_NE(details.find(") # two (b@x, "), std::string::npos) << details;
    EXPECT_EQ(details.substr(details.size() - 4), ") # ");
}

TEST_F(Postwatch, Pop3sAndStartTlsCheckTheCertificateUnlessTold) {
    dovecot.AddMessage(Message("a@x", "over TLS"));
    // The self-signed certificate is refused by default.
    Settings("pop3s://127.0.0.1:" + std::to_string(dovecot.PopsPort()));
    EXPECT_EQ(Checked(tagMailNew), "?");
    EXPECT_EQ(dovecot.Logins(), 0);

    Settings("pop3s://127.0.0.1:" + std::to_string(dovecot.PopsPort()), "Accept self-signed=1\n");
    EXPECT_EQ(Checked(tagMailNew), "1");
    EXPECT_EQ(module.Value(tagMailSubject), "over TLS");

    Settings(Plain(), "Security=starttls\nAccept self-signed=1\n");
    EXPECT_EQ(Checked(tagMailNew), "1");
    ASSERT_TRUE(dovecot.WaitForLogins(2));
    const std::string log = ReadText(dovecot.Log());
    size_t tls = 0;
    for (size_t at = log.find(", TLS, session"); at != std::string::npos;
         at = log.find(", TLS, session", at + 1))
        ++tls;
    EXPECT_EQ(tls, 2u) << log;
}

TEST_F(Postwatch, WrongPasswordShowsAnEmptyBox) {
    dovecot.AddMessage(Message("a@x", "unseen"));
    Settings(Plain(), "", "wrong");
    EXPECT_EQ(Checked(tagMailNew), "?") << "an error, not a count";
    EXPECT_EQ(module.Value(tagMailCheck), "#skip");
    EXPECT_EQ(module.Value(tagMailSubject), "");
    EXPECT_EQ(module.Value(tagMailDetails), "");
}

TEST_F(Postwatch, SilentServerNeverDelaysTheDisplay) {
    TLoopbackHttpServer silent(true); // accepts, never greets
    Settings("127.0.0.1:" + std::to_string(silent.Port()));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(module.Value(tagMailNew), "0");
    ASSERT_TRUE(silent.WaitFor(1)) << "the check has connected";
    for (int32_t tag : {tagMailCheck, tagMailNew, tagMailDetails, tagMailEnum, tagMailSubject})
        (void)module.Value(tag);
    EXPECT_EQ(module.Value(tagMailEnum), "#skip");
    // The server's time-out is a minute: these answers did not wait for it.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(wait(0), 0) << "the check still waits for the greeting";
    EXPECT_EQ(silent.Connections(), 1) << "one check at a time";
}

TEST_F(Postwatch, OneConnectionPerCheckTimeout) {
    dovecot.AddMessage(Message("a@x", "once"));
    Settings(Plain()); // "Check timeout" 10 minutes
    EXPECT_EQ(Checked(tagMailNew), "1");
    for (int round = 0; round < 20; ++round)
        for (int32_t tag : {tagMailCheck, tagMailNew, tagMailDetails, tagMailEnum, tagMailFrom})
            (void)module.Value(tag);
    EXPECT_EQ(wait(120000), 1);
    ASSERT_TRUE(dovecot.WaitForLogins(1));
    EXPECT_EQ(dovecot.Logins(), 1);

    // A negative time-out asks again on the next request.
    Settings(Plain(), "Check timeout=-1\n");
    EXPECT_EQ(Checked(tagMailNew), "1");
    EXPECT_EQ(Checked(tagMailNew), "1");
    ASSERT_TRUE(dovecot.WaitForLogins(3));
}
