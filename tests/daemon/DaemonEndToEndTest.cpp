// orvanta3d as a user runs it: the built program with an emulated 4 x 20 panel, the real
// drivers and modules, and a temporary documents folder.
#include "host/Cp1251.h"
#include "tests/support/TempDir.h"

#include <cctype>
#include <ctime>
#include <regex>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using orv::test::ReadText;
using orv::test::TempDir;
using orv::test::WriteText;

namespace {

const std::string kDaemon = std::string(ORVANTA3_OUTPUT_DIR) + "/orvanta3d";

struct TRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class DaemonEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        WriteText(docs / "Orvanta3.ini", orv::Utf8ToCp1251(R"([Common]
StartMsg=Hello from
StartMsg line2=the daemon
QuitMsg=Good bye!
QuitMsg line2=see you
Base timeout=100
[textport.so]
Active=1
Lines count=4
Cols count=20
Timing=0
[chronos.so]
Active=1
[glyphset.so]
Active=1
[tallfour.so]
Active=1
)"));
    }

    // Runs the daemon with args; stdout and stderr are captured.
    TRun Run(const std::string& args) {
        const std::string command = "ORVANTA3_PORTIO='emu:hd44780:4x20:" + state + "' " +
                                    "XDG_DOCUMENTS_DIR='" + docs.Path() + "' '" + kDaemon + "' " +
                                    args + " >'" + (docs / "out") + "' 2>'" + (docs / "err") +
                                    "' </dev/null";
        const int status = std::system(command.c_str());
        TRun run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadText(docs / "out");
        run.err = ReadText(docs / "err");
        return run;
    }

    // The panel rows of the state file, between their '|' marks.
    std::vector<std::string> PanelRows() {
        std::vector<std::string> rows;
        std::istringstream in(ReadText(state));
        std::string line;
        while (std::getline(in, line))
            if (line.size() >= 2 && line.front() == '|' && line.back() == '|')
                rows.push_back(line.substr(1, line.size() - 2));
        return rows;
    }

    TempDir docs;
    std::string state = docs / "panel.state";
};

int CurrentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::localtime_r(&now, &parts);
    return parts.tm_year + 1900;
}

} // namespace

TEST_F(DaemonEndToEnd, RunsTheJobOnTheEmulatedPanelAndEndsWithTheQuitMessage) {
    WriteText(docs / "job.orv3", "[One]\nTimeout=0\nLine1=Year $nowYear$\nLine2=$<$ok$>$ $US$\n"
                                 "Align2=1\nLine3=right\nAlign3=2\nShow=1\n");
    const TRun run = Run("--job '" + (docs / "job.orv3") + "' --seconds 2 --tty=text");
    ASSERT_EQ(run.exitCode, 0) << run.err;

    // Standard output is no terminal: each new frame as its rows, then an empty line.
    const std::string year = std::to_string(CurrentYear());
    EXPECT_NE(run.out.find("|Hello from          |\n|the daemon          |\n|                    |\n"
                           "|                    |\n\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("|Year " + year + "           |\n|       [ok] $       |\n"
                           "|               right|\n"),
              std::string::npos)
        << run.out;

    // After the end the panel shows the quit message.
    EXPECT_EQ(PanelRows(), (std::vector<std::string>{"Good bye!           ", "see you             ",
                                                     "                    ",
                                                     "                    "}));
}

TEST_F(DaemonEndToEnd, SystemModulesFillThePanel) {
    WriteText(docs / "Orvanta3.ini", "[Common]\nBase timeout=100\n[textport.so]\nActive=1\n"
                                     "Lines count=4\nCols count=20\nTiming=0\n"
                                     "[procgauge.so]\nActive=1\n[ramgauge.so]\nActive=1\n"
                                     "[diskfacts.so]\nActive=1\n[hostfacts.so]\nActive=1\n");
    WriteText(docs / "job.orv3", "[One]\nTimeout=0\nLine1=$osComputer$\n"
                                 "Line2=cpu $cpuUsage[,,,4]$ $cpuFreq$\nLine3=mem $memUsing[,,,4]$%\n"
                                 "Line4=disk $%driveUsed[0,,,4]$%\nShow=1\n");
    const TRun run = Run("--job '" + (docs / "job.orv3") + "' --seconds 2 --tty=text");
    ASSERT_EQ(run.exitCode, 0) << run.err;

    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    std::string hostRow = std::string(host).substr(0, 20), escaped;
    hostRow.resize(20, ' ');
    for (char c : hostRow) {
        if (!std::isalnum(static_cast<unsigned char>(c))) escaped += '\\';
        escaped += c;
    }
    const std::regex frame("\\|" + escaped +
                           "\\|\n"
                           "\\|cpu [0-9]{1,3}\\.[0-9]{2} [0-9.]+ [MG]Hz *\\|\n"
                           "\\|mem [0-9]{1,3}% *\\|\n"
                           "\\|disk [0-9]{1,3}\\.[0-9]{2}% *\\|\n");
    EXPECT_TRUE(std::regex_search(run.out, frame)) << run.out;
}

TEST_F(DaemonEndToEnd, SigtermEndsTheRunWithTheQuitMessage) {
    WriteText(docs / "job.orv3", "[One]\nLine1=running\nShow=1\n");
    const std::string job = docs / "job.orv3";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("ORVANTA3_PORTIO", ("emu:hd44780:4x20:" + state).c_str(), 1);
        ::setenv("XDG_DOCUMENTS_DIR", docs.Path().c_str(), 1);
        ::execl(kDaemon.c_str(), kDaemon.c_str(), "--job", job.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Wait (up to a minute) until the job is on the panel, then ask the daemon to end.
    bool running = false;
    for (int i = 0; i < 600 && !running; ++i) {
        const auto rows = PanelRows();
        running = !rows.empty() && rows[0].starts_with("running");
        if (!running) ::usleep(100000);
    }
    EXPECT_TRUE(running) << ReadText(state);
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(PanelRows().at(0), "Good bye!           ");
}

TEST_F(DaemonEndToEnd, BadInputGivesOneLineAndExitStatusTwo) {
    WriteText(docs / "empty.orv3", "");
    const std::vector<std::string> bad = {
        "--frobnicate",
        "--seconds 0",
        "--tty=colour",
        "--seconds 1",                                        // no job anywhere
        "--job '" + (docs / "missing.orv3") + "' --seconds 1", // unreadable job
        "--job '" + (docs / "empty.orv3") + "' --seconds 1",   // job without screens
    };
    for (const std::string& args : bad) {
        const TRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << args;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
        EXPECT_EQ(run.err.rfind("orvanta3d: ", 0), 0u) << run.err;
    }
}

TEST_F(DaemonEndToEnd, HelpAndVersion) {
    TRun run = Run("--help");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("Usage: orvanta3d"), std::string::npos);
    run = Run("--version");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, std::string("orvanta3d ") + ORVANTA3_VERSION + "\n");
}
