// orvanta3d on an emulated 4 x 20 panel with a job that enumerates the messages of a mailbox
// served by the test's dovecot: one sub-screen per message, its subject and sender.
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "modules/postwatch/MailAccount.h"
#include "tests/support/DovecotServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

using namespace orv;
using namespace orv::test;

TEST(PostwatchDaemon, EnumeratedScreensShowEveryMessage) {
    TDovecotServer dovecot;
    const char* subjects[] = {"Quarterly report", "=?utf-8?Q?Lunch_=3F?=", "Build is green"};
    const char* senders[] = {"ann@example.org", "bob@example.org", "ci@example.org"};
    for (int i = 0; i < 3; ++i)
        dovecot.AddMessage(std::string("From: ") + senders[i] + "\r\nSubject: " + subjects[i] +
                           "\r\nDate: Thu, 5 Mar 2026 12:00:00 +0000\r\n\r\nbody\r\n");

    TempDir docs;
    TMailSettings mail;
    mail.Server = "127.0.0.1:" + std::to_string(dovecot.PopPort());
    mail.User = TDovecotServer::kUser;
    mail.Password = TDovecotServer::kPassword;
    TIniDocument ini =
        TIniDocument::Parse("[Common]\nBase timeout=100\nSubScreen show time=1\nQuitMsg=bye\n"
                            "[textport.so]\nActive=1\nLines count=4\nCols count=20\nTiming=0\n"
                            "[postwatch.so]\nActive=1\n");
    WriteMailSettings(ini, mail);
    WriteText(docs / "Orvanta3.ini", ini.Serialize());
    // The mail screen is skipped until the first check has answered; the other screen keeps
    // the cycle going meanwhile.
    WriteText(docs / "job.orv3",
              "[Mail]\nTimeout=0\nLine1=$mailEnum$$mailSubject[0,,,4]$\nLine2=$mailFrom[0,,,4]$\n"
              "Line3=$mailNew$ in the box\nShow=1\n"
              "[Wait]\nTimeout=1\nLine1=checking mail\nShow=1\n");

    // The run ends as soon as every message has had its screen (or after 90 seconds).
    const std::string out = docs / "out";
    const pid_t daemon = ::fork();
    ASSERT_GE(daemon, 0);
    if (daemon == 0) {
        ::setenv("ORVANTA3_PORTIO", ("emu:hd44780:4x20:" + (docs / "panel.state")).c_str(), 1);
        ::setenv("XDG_DOCUMENTS_DIR", docs.Path().c_str(), 1);
        (void)!::freopen(out.c_str(), "w", stdout);
        (void)!::freopen((docs / "err").c_str(), "w", stderr);
        const std::string program = std::string(ORVANTA3_OUTPUT_DIR) + "/orvanta3d";
        const std::string job = docs / "job.orv3";
        ::execl(program.c_str(), program.c_str(), "--job", job.c_str(), "--tty=text",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const std::vector<std::string> rows = {
        "|Quarterly report    |\n|ann@example.org     |\n|3 in the box",
        "|Lunch ?             |\n|bob@example.org     |\n|3 in the box",
        "|Build is green      |\n|ci@example.org      |\n|3 in the box"};
    const auto shown = [&] {
        const std::string text = ReadText(out);
        for (const std::string& row : rows)
            if (text.find(row) == std::string::npos) return false;
        return true;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (!shown() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(daemon, SIGTERM);
    int status = 0;
    ::waitpid(daemon, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadText(docs / "err");
    const std::string text = ReadText(out);
    for (const std::string& row : rows)
        EXPECT_NE(text.find(row), std::string::npos) << row << "\n" << text;
    EXPECT_TRUE(dovecot.WaitForLogins(1));
    EXPECT_EQ(dovecot.Logins(), 1) << "one check in the run";
}
