// orvanta3d as a user runs it: the built program with an emulated 4 x 20 panel, the real
// drivers and modules, and a temporary documents folder.
#include "tests/daemon/DaemonRun.h"
#include "tests/support/ThrowingPlugins.h"

#include <cctype>
#include <ctime>
#include <filesystem>
#include <regex>

using namespace orv::test;

namespace {

using DaemonEndToEnd = DaemonTest;

int CurrentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::localtime_r(&now, &parts);
    return parts.tm_year + 1900;
}

// Whether the kernel shows any temperature, fan or voltage input under /sys/class/hwmon.
bool MachineHasHardwareSensors() {
    namespace fs = std::filesystem;
    const std::regex input("(temp|fan|in)[0-9]+_input");
    std::error_code ec;
    for (const auto& chip : fs::directory_iterator("/sys/class/hwmon", ec))
        for (const fs::path& folder : {chip.path(), chip.path() / "device"})
            for (const auto& file : fs::directory_iterator(folder, ec))
                if (std::regex_match(file.path().filename().string(), input)) return true;
    return false;
}

} // namespace

TEST_F(DaemonEndToEnd, RunsTheJobOnTheEmulatedPanelAndEndsWithTheQuitMessage) {
    WriteText(docs / "job.orv3", "[One]\nTimeout=0\nLine1=Year $nowYear$\nLine2=$<$ok$>$ $US$\n"
                                 "Align2=1\nLine3=right\nAlign3=2\nShow=1\n");
    const TRun run = Run("--job '" + (docs / "job.orv3") + "' --seconds 2 --tty=text");
    ASSERT_EQ(run.exitCode, 0) << run.err;

    // Standard output is no terminal: each new frame as its rows, then an empty line.
    const std::string year = std::to_string(CurrentYear());
    EXPECT_NE(
        run.out.find("|Hello from          |\n|the daemon          |\n|                    |\n"
                     "|                    |\n\n"),
        std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("|Year " + year +
                           "           |\n|       [ok] $       |\n"
                           "|               right|\n"),
              std::string::npos)
        << run.out;

    // After the end the panel shows the quit message.
    EXPECT_EQ(PanelRows(),
              (std::vector<std::string>{"Good bye!           ", "see you             ",
                                        "                    ", "                    "}));
}

TEST_F(DaemonEndToEnd, SystemModulesFillThePanel) {
    WriteText(docs / "Orvanta3.ini", "[Common]\nBase timeout=100\n[textport.so]\nActive=1\n"
                                     "Lines count=4\nCols count=20\nTiming=0\n"
                                     "[procgauge.so]\nActive=1\n[ramgauge.so]\nActive=1\n"
                                     "[diskfacts.so]\nActive=1\n[hostfacts.so]\nActive=1\n");
    WriteText(docs / "job.orv3",
              "[One]\nTimeout=0\nLine1=$osComputer$\n"
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
                           "\\|cpu [0-9]{1,3}\\.[0-9]{2} [0-9.]+ [MG]?Hz *\\|\n"
                           "\\|mem [0-9]{1,3}% *\\|\n"
                           "\\|disk [0-9]{1,3}\\.[0-9]{2}% *\\|\n");
    EXPECT_TRUE(std::regex_search(run.out, frame)) << run.out;
}

// The greeting loads character set 2 (the logo); the job's bar needs set 0 in the panel's user
// characters, as the desktop program has it.
TEST_F(DaemonEndToEnd, TheJobStartsWithCharacterSetZeroInsteadOfTheGreetingLogo) {
    WriteText(docs / "job.orv3", "[Bar]\nTimeout=0\nLine1=$nowSec[,,20,4,bar]$\nShow=1\n");
    const pid_t child = Start({"--job", docs / "job.orv3"});
    ASSERT_GE(child, 0);
    // The panel is blank before the greeting and shows the bar (custom characters) after it.
    EXPECT_TRUE(WaitForPanel([](const auto& rows) {
        return !rows.empty() && rows[0].find("③") != std::string::npos;
    })) << ReadText(state);
    const std::string panel = ReadText(state);
    ::kill(child, SIGTERM);
    WaitStatus(child);
    EXPECT_EQ(panel.find("cgram 0: 00 00 00 01 03 07 0F 1F"), std::string::npos)
        << "the logo's first piece is still loaded:\n"
        << panel;
}

TEST_F(DaemonEndToEnd, SigtermEndsTheRunWithTheQuitMessage) {
    WriteText(docs / "job.orv3", "[One]\nLine1=running\nShow=1\n");
    const pid_t child = Start({"--job", docs / "job.orv3"});
    ASSERT_GE(child, 0);
    // Wait until the job is on the panel, then ask the daemon to end.
    EXPECT_TRUE(WaitForFirstRow("running")) << ReadText(state);
    ::kill(child, SIGTERM);
    const int status = WaitStatus(child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(PanelRows().at(0), "Good bye!           ");
}

TEST_F(DaemonEndToEnd, BadInputGivesOneLineAndExitStatusTwo) {
    WriteText(docs / "empty.orv3", "");
    const std::vector<std::string> bad = {
        "--frobnicate",
        "--seconds 0",
        "--tty=colour",
        "--seconds 1",                                         // no job anywhere
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

TEST_F(DaemonEndToEnd, ScreenOfSensorsIsSkippedOnAMachineWithoutThem) {
    if (MachineHasHardwareSensors()) GTEST_SKIP() << "this machine has hardware sensors";
    WriteText(docs / "Orvanta3.ini", ReadText(docs / "Orvanta3.ini") +
                                         "[sensorlink.so]\nActive=1\n[MBM5]\nTry to run=0\n");
    WriteText(docs / "job.orv3", "[Sensors]\nTimeout=1\nLine1=$mbmCheck$CPU $mbmTemp[0]$\nShow=1\n"
                                 "[Other]\nTimeout=1\nLine1=no sensors here\nShow=1\n"
                                 "[Reading]\nTimeout=1\nLine1=$mbmTemp[0]$ degrees\nShow=1\n");
    const TRun run = Run("--job '" + (docs / "job.orv3") + "' --seconds 2 --tty=text");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("|no sensors here     |"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("CPU"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("degrees"), std::string::npos) << "a reading skips too: " << run.out;
}

// A module that throws, built the ordinary way or as our plug-ins are, loses its answer and is
// reported once; the daemon runs on. Its data module answers twice, then throws on every call;
// the current driver throws from every WriteText and DefineChar, the second one from Init.
TEST_F(DaemonEndToEnd, ModulesThatThrowAreReportedOnceAndTheRunGoesOn) {
    namespace fs = std::filesystem;
    WriteText(docs / "job.orv3", "[One]\nTimeout=0\nLine1=v=$boom[,,,4]$.\nShow=1\n");
    WriteText(docs / "Orvanta3.ini",
              "[Common]\nBase timeout=100\nStartMsg=Hello\nQuitMsg=Good bye!\n"
              "[driver.so]\nActive=1\n[initthrows.so]\nActive=1\n"
              "[throwing.so]\nActive=1\n");
    for (const std::string flavour : {"throwing_plain", "throwing_glue"}) {
        SCOPED_TRACE(flavour);
        // A program folder of its own: the daemon finds its plug-ins beside itself.
        const fs::path program = docs / flavour;
        AddThrowingPlugins(program, flavour);
        fs::copy_file(kDaemon, program / "orvanta3d");

        const TRun run = RunCaptured(program / "orvanta3d", Environment(),
                                     "--job '" + (docs / "job.orv3") + "' --seconds 2 --tty=text");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        // The tag shows empty, the quit message comes as ever.
        EXPECT_NE(run.out.find("|v=.             |"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("|Good bye!       |"), std::string::npos) << run.out;

        const auto lines = [&](const std::string& text) {
            size_t count = 0;
            for (size_t at = run.err.find(text); at != std::string::npos;
                 at = run.err.find(text, at + 1))
                ++count;
            return count;
        };
        EXPECT_EQ(lines("throwing.so: GetValue failed (fixture GetValue failure)"), 1u) << run.err;
        EXPECT_EQ(lines("initthrows.so: Init failed (fixture Init failure)"), 1u) << run.err;
        EXPECT_EQ(lines("driver.so: "), 1u) << run.err;
        EXPECT_EQ(lines("fixture DefineChar failure") + lines("fixture WriteText failure"), 1u)
            << run.err;
    }
}
