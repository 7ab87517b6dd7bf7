// Mail header decoding and the mailbox settings, with random and truncated headers.
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "modules/postwatch/MailAccount.h"
#include "modules/postwatch/MailHeaders.h"
#include "modules/postwatch/Pop3Mailbox.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

using namespace orv;

namespace {
std::string Decoded(std::string_view text, std::string_view charset = {}) {
    return Cp1251ToUtf8(DecodeHeaderText(text, charset));
}
} // namespace

TEST(MailHeaders, EncodedWordsAreDecodedAndJoined) {
    EXPECT_EQ(Decoded("=?koi8-r?B?8NLJ18XU?="), "Привет");
    EXPECT_EQ(Decoded("Re: =?windows-1251?Q?=CF=F0=E8=E2=E5=F2?="), "Re: Привет");
    // The blank between two encoded words goes, the one before plain text stays.
    EXPECT_EQ(Decoded("=?utf-8?Q?a?= =?utf-8?Q?b?= c =?utf-8?Q?d_e?="), "ab c d e");
    EXPECT_EQ(Decoded("=?ISO-8859-5?Q?=BF=E0=D8=D2=D5=E2?= (=?utf-8*ru?B?0LzQuNGA?=)"),
              "Привет (мир)");
    // Not encoded words: kept as written.
    EXPECT_EQ(Decoded("=?utf-8?X?abc?= and =?broken"), "=?utf-8?X?abc?= and =?broken");
    // An unknown charset keeps the bytes.
    EXPECT_EQ(DecodeHeaderText("=?x-unknown?Q?abc?="), "abc");
}

TEST(MailHeaders, PlainBytesFollowTheMessageCharset) {
    EXPECT_EQ(Decoded("\xF0\xD2\xC9\xD7\xC5\xD4", "koi8-r"), "Привет");
    EXPECT_EQ(Decoded("Привет"), "Привет") << "UTF-8 without a declared charset";
    EXPECT_EQ(DecodeHeaderText("\xCF\xF0\xE8"), "\xCF\xF0\xE8") << "other bytes stay";
    // An encoded word keeps its own charset, whatever the message declares.
    EXPECT_EQ(Decoded("=?windows-1251?Q?=CF=F0=E8?=", "koi8-r"), "При");
}

TEST(MailHeaders, HeaderBlockGivesDateSenderAndSubject) {
    orv::test::ScopedEnv locale("LC_ALL", "C");
    const TMailHeader header =
        ParseMailHeader("Received: x\r\nSubject: =?utf-8?B?0JzQuNGA?=\r\n  =?utf-8?B?0JzQuNGA?=\r\n"
                        "From: \"Bob\" <bob@x>\r\nContent-Type: text/plain; charset=\"KOI8-R\"\r\n"
                        "Date: Thu, 05 Mar 2026 12:00:00 +0300\r\n\r\nSubject: body");
    EXPECT_EQ(Cp1251ToUtf8(header.Subject), "МирМир");
    EXPECT_EQ(header.From, "\"Bob\" <bob@x>");
    EXPECT_EQ(header.Date, "03/05/26");
    EXPECT_FALSE(MailDateToLocal("yesterday"));
    EXPECT_FALSE(MailDateToLocal("31 Feb 2026 10:00 +0000"));
    EXPECT_TRUE(MailDateToLocal("5 Mar 26 10:00 GMT"));
}

TEST(MailAccount, PasswordSurvivesTheSettingsFile) {
    for (const std::string password : {"secret", " blanks ", "\"quoted\"", "Пароль"_cp1251}) {
        TMailSettings s;
        s.Password = password;
        TIniDocument ini;
        WriteMailSettings(ini, s);
        EXPECT_NE(ini.ReadString("Mail", "Pass", ""), password) << "stored scrambled";
        EXPECT_EQ(ReadMailSettings(TIniDocument::Parse(ini.Serialize())).Password, password);
    }
    EXPECT_EQ(ScramblePassword(ScramblePassword("abc")), "abc");
}

TEST(MailAccount, ServerTextNamesTheConnection) {
    EXPECT_EQ(MailboxAddress("pop.test", TMailSecurity::None), "pop3://pop.test:110/");
    EXPECT_EQ(MailboxAddress("pop.test", TMailSecurity::Tls), "pop3s://pop.test:995/");
    EXPECT_EQ(MailboxAddress("pop3s://h", TMailSecurity::None), "pop3s://h:995/");
    EXPECT_EQ(MailboxAddress("pop3://h:1110", TMailSecurity::StartTls), "pop3://h:1110/");
    EXPECT_EQ(MailboxAddress(" [::1]:2110 ", TMailSecurity::None), "pop3://[::1]:2110/");
    EXPECT_EQ(MailboxAddress("", TMailSecurity::None), "");
    EXPECT_EQ(MailboxAddress("http://h", TMailSecurity::None), "");
    EXPECT_EQ(MailboxAddress("h:99999", TMailSecurity::None), "");
    EXPECT_EQ(ListedSizes("1 120\r\n2 3400\r\n"), (std::vector<std::string>{"120", "3400"}));
}

TEST(MailHeadersFuzz, RandomAndTruncatedHeadersNeverCrash) {
    const std::string header =
        "From: =?utf-8?B?0JjQstCw0L0=?= <i@x>\r\nSubject: =?koi8-r?Q?=F0=D2?= =?utf-8?B?0Jw=?=\r\n"
        " folded =?windows-1251?Q?=CF_x?=\r\nContent-Type: text/plain; charset=koi8-r\r\n"
        "Date: Thu, 5 Mar 2026 12:00:00 -0800\r\n\r\n";
    for (size_t cut = 0; cut <= header.size(); ++cut) (void)ParseMailHeader(header.substr(0, cut));
    std::mt19937 random(8);
    for (int round = 0; round < 5000; ++round) {
        std::string text = header;
        for (int e = 0; e < 1 + static_cast<int>(random() % 6); ++e)
            text[random() % text.size()] = static_cast<char>(random() % 256);
        (void)ParseMailHeader(text);
        (void)DecodeHeaderText(text, round % 2 ? "utf-8" : "");
        (void)MailboxAddress(text.substr(0, random() % 40), TMailSecurity::None);
    }
}
