// What orvanta3d says and does when its files, its job or its panel are not as they should be:
// one line on standard error naming the cause, an exit status that tells a service manager the
// truth, and nothing replaced that is not the program's own. Links, FIFOs and folders in a
// temporary folder stand in for devices.
#include "tests/daemon/DaemonRun.h"

#include <filesystem>
#include <sys/stat.h>

using namespace orv::test;
namespace fs = std::filesystem;

namespace {

using DaemonStartUp = DaemonTest;

class DaemonStartUpWithJob : public DaemonTest {
protected:
    void SetUp() override {
        DaemonTest::SetUp();
        WriteText(job, "[One]\nLine1=the job\nShow=1\n");
    }
    std::string job = docs / "job.orv3";
    std::string jobArgs = "--job '" + job + "' --seconds 1";
};

TEST_F(DaemonStartUpWithJob, ALinkedStateFileStaysALinkAndItsTargetShowsThePanel) {
    fs::create_directory(docs / "real");
    fs::create_symlink("real/panel", docs / "linkstate");
    portio = "emu:hd44780:4x20:" + docs / "linkstate";
    const TRun run = Run(jobArgs);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(docs / "linkstate"));
    EXPECT_NE(ReadText(docs / "real/panel").find("|Good bye!           |"), std::string::npos);
}

TEST_F(DaemonStartUpWithJob, AStateFileThatIsNoRegularFileIsRefusedAndLeftAlone) {
    ASSERT_EQ(::mkfifo((docs / "fifo").c_str(), 0600), 0);
    fs::create_directory(docs / "folder");
    for (const auto& [name, kind] : {std::pair{"fifo", "a FIFO"}, {"folder", "a folder"}}) {
        portio = "emu:hd44780:4x20:" + docs / name;
        const TRun run = Run(jobArgs);
        EXPECT_EQ(run.exitCode, 1) << name;
        EXPECT_EQ(run.err,
                  "Error: Cannot open the parallel port $0378: cannot use the state file " +
                      docs / name + ": it is " + kind + ", not a regular file\n")
            << name;
    }
    EXPECT_TRUE(fs::is_fifo(docs / "fifo"));
    EXPECT_TRUE(fs::is_empty(docs / "folder"));
}

TEST_F(DaemonStartUpWithJob, ALinkedSettingsFileStaysALink) {
    fs::create_directory(docs / "dotfiles");
    fs::rename(docs / "Orvanta3.ini", docs / "dotfiles/Orvanta3.ini");
    fs::create_symlink("dotfiles/Orvanta3.ini", docs / "Orvanta3.ini");
    const std::string before = ReadText(docs / "dotfiles/Orvanta3.ini");
    const TRun run = Run(jobArgs); // read through the link; the daemon writes no settings
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(docs / "Orvanta3.ini"));
    EXPECT_EQ(ReadText(docs / "dotfiles/Orvanta3.ini"), before);
    EXPECT_EQ(PanelRows().at(0), "Good bye!           ");
}

TEST_F(DaemonStartUp, AJobThatIsNoFileOrTooLargeIsRefusedBeforeThePanelIsTouched) {
    ASSERT_EQ(::mkfifo((docs / "fifo.orv3").c_str(), 0600), 0); // stands in for /dev/zero
    WriteText(docs / "huge.orv3", "[One]\nLine1=" + std::string(5 << 20, 'x') + "\n");
    WriteText(docs / "garbage.orv3", std::string("\0\xff[\n=\n]]\n", 9));
    const std::pair<std::string, std::string> cases[] = {
        {"fifo.orv3", "it is a FIFO, not a regular file"},
        {"huge.orv3", "it is larger than 4 MiB"},
        {"missing.orv3", "it does not exist"},
        {"garbage.orv3", ""}};
    for (const auto& [name, reason] : cases) {
        const TRun run = Run("--job '" + docs / name + "' --seconds 1");
        EXPECT_EQ(run.exitCode, 2) << name;
        const std::string expected =
            reason.empty() ? "the job " + docs / name + " has no screens"
                           : "cannot read the job file " + docs / name + ": " + reason;
        EXPECT_EQ(run.err, "orvanta3d: " + expected + "\n") << name;
        // Neither greeting nor quit message: the panel was never opened.
        EXPECT_FALSE(fs::exists(state)) << name << ": " << ReadText(state);
    }
}

TEST_F(DaemonStartUpWithJob, NoDriverIsSaidOnceAndFailsWithoutTheMirror) {
    WriteText(docs / "settings/Orvanta3.ini", "");
    fs::create_directories(docs / "folder/Orvanta3.ini");
    fs::create_directory(docs / "nosettings");
    WriteText(docs / "stub/Orvanta3.ini", "[Common]\nQuitMsg=bye\n");
    const std::pair<std::string, std::string> cases[] = {
        {docs / "settings", "Settings read from " + docs / "settings/Orvanta3.ini" + ": "},
        {docs / "stub", "Settings read from " + docs / "stub/Orvanta3.ini" + ": "},
        {docs / "nosettings",
         "No settings file " + docs / "nosettings/Orvanta3.ini" + " was found; "},
        {docs / "folder", "The settings file " + docs / "folder/Orvanta3.ini" + " is a folder; "},
        {docs / "missing", "No settings file: the folder " + docs / "missing" + " of " +
                               docs / "missing/Orvanta3.ini" + " does not exist; "}};
    for (const auto& [folder, start] : cases) {
        documents = folder;
        TRun run = Run(jobArgs);
        EXPECT_EQ(run.exitCode, 1) << folder;
        EXPECT_EQ(run.ErrLines(), 1) << run.err;
        EXPECT_EQ(run.err.rfind("Warning: " + start, 0), 0u) << run.err;
        EXPECT_NE(run.err.find("no display driver is active, so no panel shows anything"),
                  std::string::npos)
            << run.err;

        // The terminal still shows the job: the run goes on, with the same single line.
        run = Run(jobArgs + " --tty=text");
        EXPECT_EQ(run.exitCode, 0) << folder << ": " << run.err;
        EXPECT_EQ(run.ErrLines(), 1) << run.err;
        EXPECT_NE(run.out.find("|the job         |"), std::string::npos) << run.out;
    }
}

TEST_F(DaemonStartUpWithJob, APortThatCannotBeOpenedIsSaidOnceWithItsCause) {
    const std::pair<std::string, std::string> cases[] = {
        {"nonsense", "ORVANTA3_PORTIO=\"nonsense\" names no port back end (use ppdev, direct, "
                     "emu:hd44780:ROWSxCOLS:STATEFILE or emu:ks0108:STATEFILE)"},
        {"emu:", "ORVANTA3_PORTIO=\"emu:\" names no emulated panel"},
        {"emu:hd44780:4x20",
         "ORVANTA3_PORTIO=\"emu:hd44780:4x20\" gives the emulator no state file"},
        {"emu:hd44780:99999x99999", "ORVANTA3_PORTIO=\"emu:hd44780:99999x99999\" asks for "
                                    "99999x99999 characters, a size no HD44780 panel has"},
        {"ppdev", "no parallel port at this address"},
        {"emu:hd44780:4x20:" + docs / "missing/state",
         "cannot write the state file " + docs / "missing/state" + ": the folder " +
             docs / "missing" + " does not exist"}};
    // ppdev looks for ports under a folder that lists none.
    const std::string environment = "ORVANTA3_PORTIO_PROC_ROOT='" + docs / "proc" + "' ";
    for (const auto& [value, cause] : cases) {
        portio = value;
        for (const std::string mirror : {"", " --tty=text"}) {
            const TRun run = RunWith(environment + Environment(), jobArgs + mirror);
            EXPECT_EQ(run.exitCode, mirror.empty() ? 1 : 0) << value << mirror;
            EXPECT_EQ(run.ErrLines(), 1) << run.err;
            EXPECT_EQ(run.err.rfind("Error: Cannot open the parallel port $0378: " + cause, 0), 0u)
                << run.err;
        }
    }
}

TEST_F(DaemonStartUp, ARelativeJobNameIsTakenFromTheSettingsFolder) {
    WriteText(docs / "jobs/mine.orv3", "[One]\nLine1=from settings\nShow=1\n");
    std::string settings = kPanelSettings;
    settings.replace(0, 9, "[Common]\nJob name=jobs/mine.orv3\n");
    WriteText(docs / "Orvanta3.ini", orv::Utf8ToCp1251(settings));
    const TRun run = Run("--seconds 1 --tty=text"); // the test runs in another folder
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("|from settings       |"), std::string::npos) << run.out;
}

TEST_F(DaemonStartUpWithJob, ASecondDaemonOnTheSamePanelIsRefused) {
    const pid_t first = Start({"--job", job});
    ASSERT_GE(first, 0);
    ASSERT_TRUE(WaitForFirstRow("the job")) << ReadText(state);

    const TRun second = Run(jobArgs);
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.err, "Error: Cannot open the parallel port $0378: the emulated panel " +
                              state + " is already driven by another program (process " +
                              std::to_string(first) + "); end that program first\n");
    EXPECT_EQ(PanelRows().at(0), "the job             "); // not garbled, not ended

    ::kill(first, SIGTERM);
    const int status = WaitStatus(first);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(Run(jobArgs).exitCode, 0); // free again
}

} // namespace
