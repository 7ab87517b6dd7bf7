// A box set up from nothing with only orvanta3d and orvanta3ctl: the tags and plug-ins on offer,
// a starter settings file, the mail password in a private file (or a service credential), the
// daemon on a private bus read from an ssh session with orvanta3ctl, and a reload after the job
// has been edited.
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "host/Settings.h"
#include "tests/daemon/DaemonRun.h"
#include "tests/support/DovecotServer.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/WaitUntil.h"

#include <sys/stat.h>

using namespace orv;
using namespace orv::test;
namespace fs = std::filesystem;

namespace {

const std::string kCtl = std::string(ORVANTA3_OUTPUT_DIR) + "/orvanta3ctl";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class HeadlessSetup : public DaemonTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.Running()) << "dbus-daemon did not start";
        fs::create_directories(box);
        // The desktop program's save below updates the autostart entry: in the test's folder.
        ::setenv("XDG_CONFIG_HOME", (docs / "config").c_str(), 1);
    }
    // orvanta3d with the empty folder as the documents folder.
    TRun Daemon(const std::string& args, const std::string& environment = "") {
        return RunWith(environment + "ORVANTA3_PORTIO='" + portio + "' XDG_DOCUMENTS_DIR='" + box +
                           "' ",
                       args);
    }
    TRun Ctl(const std::string& args) {
        return RunCaptured(kCtl, "DBUS_SESSION_BUS_ADDRESS='" + bus.Address() + "' ", args, "ctl-");
    }
    // Waits until orvanta3ctl show prints text containing part; the last output.
    std::string WaitForShow(const std::string& part) {
        std::string shown;
        WaitUntil(
            [&] {
                shown = Ctl("show").out;
                return Contains(shown, part);
            },
            std::chrono::seconds(60));
        return shown;
    }

    TPrivateSessionBus bus;
    std::string box = docs / "box";
    std::string settings = box + "/Orvanta3.ini";
};

TEST_F(HeadlessSetup, FromAnEmptyFolderToAPanelReadOverTheBus) {
    // Nothing set up: every shipped module's tags, each marked off with its section.
    const TRun tags = Daemon("--list-tags");
    ASSERT_EQ(tags.exitCode, 0) << tags.err;
    for (const char* line :
         {"chronos.so\t$time\t", "procgauge.so\t$cpuUsage\t", "postwatch.so\t$mailNew\t"})
        EXPECT_TRUE(Contains(tags.out, line)) << line << "\n" << tags.out;
    for (const std::string& line : Lines(tags.out)) {
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5) << line;
        const std::string module = line.substr(0, line.find('\t'));
        EXPECT_TRUE(line.ends_with("\toff: Active=1 in [" + module + "] switches it on")) << line;
    }

    const TRun modules = Daemon("--list-modules");
    ASSERT_EQ(modules.exitCode, 0) << modules.err;
    EXPECT_TRUE(Contains(modules.out, "driver\ttextport.so\toff\t[textport.so]\t")) << modules.out;
    EXPECT_TRUE(Contains(modules.out, "data module\tpostwatch.so\toff\t[postwatch.so]\t"))
        << modules.out;

    // The starter file: written once, every key after its comment, run-time state left out.
    const TRun init = Daemon("--init '" + settings + "'");
    ASSERT_EQ(init.exitCode, 0) << init.err;
    const std::string starter = ReadText(settings);
    const TRun again = Daemon("--init '" + settings + "'");
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_EQ(again.ErrLines(), 1) << again.err;
    EXPECT_EQ(ReadText(settings), starter);
    const std::vector<std::string> lines = Lines(starter);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].empty() && lines[i][0] != ';' && lines[i][0] != '[') {
            EXPECT_TRUE(i > 0 && lines[i - 1].starts_with("; ")) << "no comment: " << lines[i];
        }
    }
    for (const char* part :
         {"[Common]\n", "\nBase timeout=250\n", "[INet]\n", "[Shortcuts]\n", "[textport.so]\n",
          "\nCols count=16\n", "[lcdd.so]\n", "[postwatch.so]\n", "[Mail]\n", "\nPassword file=\n",
          "\nSecurity=none\n", "[Weather]\n", "[headlines.so]\n"})
        EXPECT_TRUE(Contains(starter, part)) << part;
    EXPECT_FALSE(Contains(starter, "\nActive=1"));
    EXPECT_FALSE(Contains(starter, "\nNext check=") || Contains(starter, "\nVer=") ||
                 Contains(starter, "Next download"));

    // The desktop program's save keeps every comment and the order of the keys.
    {
        TSettings desktop(settings);
        desktop.ReadMain();
        desktop.Common.BaseTimeoutMs = 100;
        ASSERT_TRUE(desktop.Save());
        const std::vector<std::string> saved = Lines(Cp1251ToUtf8(ReadText(settings)));
        ASSERT_EQ(saved.size(), lines.size());
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(saved[i], lines[i] == "Base timeout=250" ? "Base timeout=100" : lines[i]);
    }

    // Mail, CPU and time on the emulated panel; the password in a file only its owner reads.
    TDovecotServer dovecot;
    for (int i = 0; i < 2; ++i)
        dovecot.AddMessage("From: ann@example.org\r\nSubject: note " + std::to_string(i) +
                           "\r\n\r\nbody\r\n");
    const std::string password = box + "/mail-password";
    WriteText(password, std::string(TDovecotServer::kPassword) + "\n");
    ::chmod(password.c_str(), 0600);
    ASSERT_TRUE(TIniFile(settings).Update([&](TIniDocument& ini) {
        for (const char* module : {"textport.so", "chronos.so", "procgauge.so", "postwatch.so"})
            ini.WriteBool(module, "Active", true);
        ini.WriteInteger("textport.so", "Lines count", 4);
        ini.WriteInteger("textport.so", "Cols count", 20);
        ini.WriteInteger("textport.so", "Timing", 0);
        ini.WriteString("Common", "Job name", "panel.orv3");
        ini.WriteString("Mail", "Server", "127.0.0.1:" + std::to_string(dovecot.PopPort()));
        ini.WriteString("Mail", "User", TDovecotServer::kUser);
        ini.WriteString("Mail", "Password file", "mail-password");
    }));
    const std::string job = box + "/panel.orv3";
    WriteText(job, "[Main]\nTimeout=0\nLine1=Mail: $mailNew[,,,3]$\nLine2=CPU $cpuUsage$%\n"
                   "Line3=$time[5,,,3]$\nShow=1\n");
    const TRun check = Daemon("--config '" + settings + "' --check '" + job + "'");
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;

    ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str(), 1);
    const pid_t daemon = Start({"--config", settings});
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string shown = WaitForShow("|Mail: 2");
    ASSERT_TRUE(Contains(shown, "|Mail: 2             |\n|CPU "))
        << shown << ReadText(docs / "err") << ReadText(dovecot.Log()) << ReadText(settings);
    // What orvanta3ctl shows is what the emulated panel holds.
    EXPECT_TRUE(WaitForFirstRow("Mail: 2"));
    EXPECT_EQ(Lines(shown).size(), 4u);
    const TRun dots = Ctl("show --dots");
    EXPECT_EQ(dots.exitCode, 0) << dots.err;
    EXPECT_EQ(Lines(dots.out).size(), 4u * 4 + 3) << dots.out;
    EXPECT_TRUE(Contains(dots.out, "█") || Contains(dots.out, "▀")) << dots.out;

    const TRun status = Ctl("status");
    EXPECT_EQ(status.exitCode, 0) << status.err;
    EXPECT_TRUE(Contains(status.out, "job: " + job + "\n")) << status.out;
    EXPECT_TRUE(Contains(status.out, "screen: 0 of 1, \"Main\"\n")) << status.out;
    EXPECT_TRUE(Contains(status.out, "driver: textport.so\n")) << status.out;
    EXPECT_TRUE(Contains(status.out, "modules: chronos.so, postwatch.so, procgauge.so\n"))
        << status.out;

    // The job edited, then reloaded from the ssh session: the new rows, no restart.
    WriteText(job, "[Edited]\nTimeout=0\nLine1=Edited: $mailNew[,,,3]$ new\nShow=1\n");
    const TRun reload = Ctl("reload");
    EXPECT_EQ(reload.exitCode, 0) << reload.err;
    EXPECT_TRUE(Contains(WaitForShow("|Edited: 2 new"), "|Edited: 2 new       |"));
    // A job that cannot be read is reported to the caller; the panel goes on.
    WriteText(job, "");
    const TRun broken = Ctl("reload");
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(Contains(broken.err, "the reload failed: ")) << broken.err;
    EXPECT_TRUE(Contains(WaitForShow("|Edited: 2 new"), "|Edited: 2 new"));

    ::kill(daemon, SIGTERM);
    const int end = WaitStatus(daemon);
    EXPECT_TRUE(WIFEXITED(end) && WEXITSTATUS(end) == 0) << ReadText(docs / "err");

    // A password file others may read is refused, in one message, and no mail is counted.
    WriteText(job, "[Main]\nTimeout=0\nLine1=Mail: $mailNew[,,,3]$\nShow=1\n");
    ::chmod(password.c_str(), 0644);
    const TRun open = Daemon("--config '" + settings + "' --seconds 4");
    EXPECT_EQ(open.exitCode, 0) << open.err;
    EXPECT_EQ(open.ErrLines(), 1) << open.err;
    EXPECT_TRUE(Contains(open.err, password + " can be read by other users (mode 0644)"))
        << open.err;

    // As the system service: the credential comes before the file, whatever the file's mode,
    // and the interface is on the system bus, where orvanta3ctl finds it without a session bus.
    const std::string credentials = docs / "credentials";
    fs::create_directories(credentials);
    WriteText(credentials + "/mail-password", TDovecotServer::kPassword);
    ::chmod((credentials + "/mail-password").c_str(), 0400);
    ::setenv("CREDENTIALS_DIRECTORY", credentials.c_str(), 1);
    ::setenv("ORVANTA3_BUS", "system", 1);
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.Address().c_str(), 1);
    const pid_t service = Start({"--config", settings});
    for (const char* name : {"CREDENTIALS_DIRECTORY", "ORVANTA3_BUS", "DBUS_SYSTEM_BUS_ADDRESS"})
        ::unsetenv(name);
    EXPECT_TRUE(WaitForFirstRow("Mail: 2"));
    TRun fromSsh;
    WaitUntil(
        [&] {
            fromSsh = RunCaptured(kCtl,
                                  "DBUS_SESSION_BUS_ADDRESS='unix:path=" + (docs / "no-bus") +
                                      "' DBUS_SYSTEM_BUS_ADDRESS='" + bus.Address() + "' ",
                                  "show", "ctl-");
            return Contains(fromSsh.out, "|Mail: 2");
        },
        std::chrono::seconds(30));
    EXPECT_TRUE(Contains(fromSsh.out, "|Mail: 2")) << fromSsh.out << fromSsh.err;
    ::kill(service, SIGTERM);
    WaitStatus(service);
    EXPECT_EQ(ReadText(docs / "err"), "");
}

// A program folder of its own (the daemon finds its plug-ins beside itself) with a library that
// is no data module and a file that is no library: each is listed with the reason, and the
// trace of a run says the same.
TEST_F(HeadlessSetup, LibrariesThatAreNoModulesAreListedWithTheReason) {
    const std::string program = docs / "program";
    const std::string software = program + "/plugins/software";
    fs::create_directories(software);
    fs::copy_file(kDaemon, program + "/orvanta3d");
    const std::string built = std::string(ORVANTA3_OUTPUT_DIR) + "/plugins";
    fs::create_symlink(built + "/software/chronos.so", software + "/chronos.so");
    fs::create_symlink(built + "/hardware/textport.so", software + "/driver.so");
    WriteText(software + "/junk.so", "not a library");
    WriteText(settings, "[chronos.so]\nActive=1\n[driver.so]\nActive=1\n");

    const std::string copied = program + "/orvanta3d";
    const TRun modules = RunCaptured(copied, "XDG_DOCUMENTS_DIR='" + box + "' ", "--list-modules");
    ASSERT_EQ(modules.exitCode, 0) << modules.err;
    EXPECT_EQ(modules.out, "data module\tchronos.so\ton\t[chronos.so]\tDate/time information\n"
                           "data module\tdriver.so\tnot loaded\t[driver.so]\tno export getPlugin\n"
                           "data module\tjunk.so\tnot loaded\t[junk.so]\t" +
                               software + "/junk.so: file too short\n");
    const TRun trace =
        RunCaptured(copied, "XDG_DOCUMENTS_DIR='" + box + "' ", "--verbose --list-tags");
    EXPECT_TRUE(Contains(trace.err, "/driver.so: not loaded (no export getPlugin)")) << trace.err;
    EXPECT_TRUE(trace.out.starts_with("chronos.so\t$time\t")) << trace.out;
}

} // namespace
