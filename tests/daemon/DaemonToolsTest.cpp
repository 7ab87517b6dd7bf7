// orvanta3d for people without the desktop program: --list-tags and --check look at the
// settings, the modules and a job without touching the panel; hand-written UTF-8 files and
// ppdev device names in the settings.
#include "tests/daemon/DaemonRun.h"

#include <filesystem>

using namespace orv::test;
namespace fs = std::filesystem;

namespace {

using DaemonTools = DaemonTest;

// kPanelSettings with one line replaced.
std::string SettingsWith(const std::string& line, const std::string& replacement) {
    std::string text = kPanelSettings;
    text.replace(text.find(line), line.size(), replacement);
    return text;
}

bool HasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

} // namespace

TEST_F(DaemonTools, ListTagsPrintsTheTagsOfTheModulesSwitchedOnInUtf8) {
    const TRun run = Run("--list-tags");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("chronos.so\t$time\tтекущее время\t$time[5,,,3]$\tПоказать текущее "
                           "значение времени  Использование"),
              std::string::npos)
        << run.out;
    std::istringstream lines(run.out);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 4) << line;
        EXPECT_TRUE(line.starts_with("chronos.so\t$") || line.starts_with("glyphset.so\t$") ||
                    line.starts_with("tallfour.so\t$"))
            << line; // modules that are off are not listed
    }
    EXPECT_GT(count, 10);
    EXPECT_FALSE(fs::exists(state)); // the driver was not initialised
}

TEST_F(DaemonTools, CheckReportsWhatFallsBackAndUnknownTagsWithTheirLines) {
    std::string settings = SettingsWith("Base timeout=100", "Base timeout=20");
    settings.replace(settings.find("Lines count=4"), 13, "Lines count=-4\nPort=$zzzz");
    settings += "[nosuch.so]\nActive=1\n[procgauge.so]\nActive=yes\n";
    WriteText(docs / "Orvanta3.ini", orv::Utf8ToCp1251(settings));
    WriteText(docs / "job.orv3",
              "[One]\nShow=1\nLine1=$time[5,,,3]$\nLine2=x $tme$ $nowSec[,,,7]$\n");

    const TRun run = Run("--check '" + (docs / "job.orv3") + "'");
    EXPECT_EQ(run.exitCode, 1) << run.err;
    const std::string ini = docs / "Orvanta3.ini", job = docs / "job.orv3";
    EXPECT_TRUE(HasLine(run.out, ini + ":6: [Common] Base timeout=20 is not a whole number from "
                                       "50 to 1000; the default 250 is used"))
        << run.out;
    EXPECT_TRUE(HasLine(run.out, ini + ":9: [textport.so] Lines count=-4 is not a row count of "
                                       "this panel; the driver uses 2"))
        << run.out;
    EXPECT_TRUE(HasLine(run.out, ini + ":10: [textport.so] Port=$zzzz is not a port address "
                                       "($378, 888 or /dev/parportN); the driver uses $378"))
        << run.out;
    EXPECT_NE(run.out.find(ini + ":20: [nosuch.so] Active=1: there is no such module"),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(HasLine(run.out, ini + ":22: [procgauge.so] Active=yes is not 1 or 0; the module "
                                       "stays off"))
        << run.out;
    EXPECT_NE(run.out.find(job + ":4: [One] Line2: unknown tag $tme "), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(job + ":4: [One] Line2: $nowSec: the refresh \"7\""), std::string::npos)
        << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 7) << run.out;
    EXPECT_FALSE(fs::exists(state)); // the panel was not touched
}

TEST_F(DaemonTools, CheckOfAGoodJobSaysNothingAndAMissingJobIsBadInput) {
    WriteText(docs / "job.orv3", "[One]\nShow=1\nLine1=$time[5,,,3]$ $nowSec[,,16,4,bar]$\n");
    TRun run = Run("--check '" + (docs / "job.orv3") + "'");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "");

    run = Run("--check '" + (docs / "missing.orv3") + "'");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.ErrLines(), 1) << run.err;
}

// A hand-written job easily lacks "Show=1", which reads as false: the run shows nothing of it,
// and both the check and the run say so once.
TEST_F(DaemonTools, AJobWithoutAScreenToShowIsReported) {
    const std::string job = docs / "job.orv3";
    WriteText(job, "[One]\nLine1=first\n[Two]\nShow=0\nLine1=second\n");
    TRun run = Run("--check '" + job + "'");
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, job + ": no screen has Show=1: the job shows nothing\n");

    run = Run("--job '" + job + "' --seconds 1 --tty=text");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "orvanta3d: the job " + job +
                           " has no screen with Show=1: the panel shows nothing of it\n");
    EXPECT_EQ(run.out.find("first"), std::string::npos) << run.out;

    WriteText(job, "[One]\nLine1=first\n[Two]\nShow=1\nLine1=second\n");
    EXPECT_EQ(Run("--check '" + job + "'").out, "") << "one screen to show is enough";
}

TEST_F(DaemonTools, TheShippedDemoChecksClean) {
    fs::copy_file(std::string(ORVANTA3_SOURCE_DIR) + "/examples/Orvanta3.ini",
                  docs / "Orvanta3.ini", fs::copy_options::overwrite_existing);
    const TRun run = Run("--check '" + std::string(ORVANTA3_SOURCE_DIR) + "/examples/demo.orv3'");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "");
}

TEST_F(DaemonTools, AUtf8JobShowsTheSameRowsAsItsWindows1251Twin) {
    WriteText(docs / "Orvanta3.ini",
              orv::Utf8ToCp1251(SettingsWith("QuitMsg=Good bye!", "QuitMsg=")));
    const std::string job = "[Экран]\nLine1=Tschüß – Пока\nLine2=Привет, мир!\nAlign2=1\n"
                            "Line3=Ёлка $nowYear$\nShow=1\n";
    auto rowsOf = [&](const std::string& bytes) {
        WriteText(docs / "job.orv3", bytes);
        fs::remove(state);
        const TRun run = Run("--job '" + (docs / "job.orv3") + "' --seconds 1");
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return PanelRows();
    };
    const auto twin = rowsOf(orv::Utf8ToCp1251(job));
    ASSERT_EQ(twin.size(), 4u);
    EXPECT_TRUE(twin[0].starts_with("Tsch?? ")) << twin[0];
    EXPECT_EQ(rowsOf(job), twin);
    EXPECT_EQ(rowsOf("\xEF\xBB\xBF" + job), twin); // with a byte-order mark
}

TEST_F(DaemonTools, APpdevDeviceNameInThePortSettingOpensThePanel) {
    WriteText(docs / "Orvanta3.ini", orv::Utf8ToCp1251(SettingsWith(
                                         "Lines count=4", "Lines count=4\nPort=/dev/parport0")));
    WriteText(docs / "job.orv3", "[One]\nLine1=through a device\nShow=1\n");
    TRun run = Run("--check '" + (docs / "job.orv3") + "'");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    run = Run("--job '" + (docs / "job.orv3") + "' --seconds 1 --tty=text");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("|through a device    |"), std::string::npos) << run.out;
    EXPECT_EQ(PanelRows().at(0), "Good bye!           ");
}
