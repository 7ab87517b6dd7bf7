#include "engine/JobUnit.h"
#include "base/Cp1251.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace orv;
using orv::test::ReadText;
using orv::test::TempDir;
using orv::test::WriteText;

namespace {

// A job of two screens with every field away from its default.
TJob SampleJob() {
    TJob job;
    job.AddScreen("экран 1"_cp1251);
    job.AddScreen("Second");
    job.SetTimeout(0, 10);
    job.SetLine(0, 1, "$time$");
    job.SetAlign(0, 1, laCentre);
    job.SetLine(0, 8, "last line");
    job.SetScroll(0, 8, lsBackAndForth);
    job.SetTransitionEffect(0, 9);
    job.SetShow(1, false);
    job.SetOnce(1, true);
    job.SetShown(1, true);
    return job;
}

} // namespace

TEST(Job, ScreensAreAddedDeletedAndExchangedWhole) {
    TJob job;
    EXPECT_EQ(job.Count(), 0);
    job.AddScreen("a");
    job.AddScreen("b");
    job.AddScreen("c");
    const TJobScreen& fresh = *job.Screen(2);
    EXPECT_EQ(fresh.Name, "c");
    EXPECT_EQ(fresh.Timeout, 0);
    EXPECT_TRUE(fresh.Show);
    EXPECT_FALSE(fresh.Once);
    EXPECT_FALSE(fresh.Shown);
    EXPECT_EQ(fresh.TransitionEffect, 0);
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(job.GetLine(2, n), "");

    job.SetLine(0, 3, "from a");
    job.SetTimeout(0, 7);
    job.ExchangeScreens(0, 2);
    EXPECT_EQ(job.GetName(0), "c");
    EXPECT_EQ(job.GetName(2), "a");
    EXPECT_EQ(job.GetLine(2, 3), "from a");
    EXPECT_EQ(job.GetTimeout(2), 7);

    job.DeleteScreen(0);
    EXPECT_EQ(job.Count(), 2);
    EXPECT_EQ(job.GetName(0), "b");
    EXPECT_EQ(job.GetName(1), "a");
}

TEST(Job, OutOfRangeIndexesAndLinesAreIgnored) {
    TJob job;
    job.AddScreen("only");
    TJobScreen untouched = *job.Screen(0);
    job.SetLine(0, 0, "x");
    job.SetLine(0, 9, "x");
    job.SetAlign(0, -1, laRight);
    job.SetScroll(0, 9, lsBackAndForth);
    for (int bad : {-1, 1, 1000}) {
        job.SetName(bad, "x");
        job.SetTimeout(bad, 5);
        job.SetShow(bad, false);
        job.SetOnce(bad, true);
        job.SetShown(bad, true);
        job.SetTransitionEffect(bad, 3);
        job.SetLine(bad, 1, "x");
        job.SetAlign(bad, 1, laCentre);
        EXPECT_EQ(job.GetName(bad), "");
        EXPECT_EQ(job.GetTimeout(bad), 0);
        EXPECT_FALSE(job.GetShow(bad));
        EXPECT_EQ(job.GetLine(bad, 1), "");
        EXPECT_EQ(job.GetAlign(bad, 1), 0);
        EXPECT_EQ(job.Screen(bad), nullptr);
    }
    EXPECT_EQ(job.GetLine(0, 9), "");
    EXPECT_EQ(job.GetScroll(0, 0), 0);
    job.ExchangeScreens(0, 1);
    job.DeleteScreen(1);
    job.DeleteScreen(-1);
    ASSERT_EQ(job.Count(), 1);
    EXPECT_EQ(*job.Screen(0), untouched);
}

TEST(JobFile, SaveAndLoadKeepEveryStoredFieldButShown) {
    TempDir dir;
    const TJob job = SampleJob();
    ASSERT_TRUE(job.SaveToFile(dir / "job.orv3"));
    TJob loaded;
    ASSERT_TRUE(loaded.LoadFromFile(dir / "job.orv3"));
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(*loaded.Screen(0), *job.Screen(0));
    TJobScreen second = *job.Screen(1);
    second.Shown = false;
    EXPECT_EQ(*loaded.Screen(1), second);
}

TEST(JobFile, SectionKeysAreWrittenInTableOrder) {
    TempDir dir;
    TJob job;
    job.AddScreen("s");
    job.SetTimeout(0, 10);
    job.SetLine(0, 1, "$time$");
    ASSERT_TRUE(job.SaveToFile(dir / "job.orv3"));
    std::string expected = "[s]\nTimeout=10\nLine1=$time$\nAlign1=0\nScroll1=0\n";
    for (int n = 2; n <= 8; ++n) {
        const std::string k = std::to_string(n);
        expected += "Line" + k + "=\nAlign" + k + "=0\nScroll" + k + "=0\n";
    }
    expected += "Show=1\nOnce=0\nTransitionEffect=0\n";
    EXPECT_EQ(ReadText(dir / "job.orv3"), expected);
}

TEST(JobFile, LoadingFollowsFileOrderAndReadRules) {
    TempDir dir;
    WriteText(dir / "job.orv3", "[B]\nShow=5\nAlign1=258\nScroll2=513\nTransitionEffect=265\n"
                                "Timeout=abc\nLine1=  \"  quoted  \"  \nUnknown=1\n"
                                "[A]\nTimeout=-3\nOnce=1\n");
    TJob job;
    job.AddScreen("replaced");
    ASSERT_TRUE(job.LoadFromFile(dir / "job.orv3"));
    ASSERT_EQ(job.Count(), 2);
    EXPECT_EQ(job.GetName(0), "B");
    EXPECT_EQ(job.GetName(1), "A");
    EXPECT_TRUE(job.GetShow(0));
    EXPECT_EQ(job.GetAlign(0, 1), laRight);
    EXPECT_EQ(job.GetScroll(0, 2), lsMoveRight);
    EXPECT_EQ(job.GetTransitionEffect(0), 9);
    EXPECT_EQ(job.GetTimeout(0), 0);
    EXPECT_EQ(job.GetLine(0, 1), "  quoted  ");
    // A missing "Show" reads as false, unlike a new screen.
    EXPECT_FALSE(job.GetShow(1));
    EXPECT_TRUE(job.GetOnce(1));
    EXPECT_EQ(job.GetTimeout(1), -3);
}

TEST(JobFile, MissingOrUnreadableFileLoadsAsEmptyJob) {
    TempDir dir;
    TJob job = SampleJob();
    EXPECT_FALSE(job.LoadFromFile(dir / "missing.orv3"));
    EXPECT_EQ(job.Count(), 0);
    job = SampleJob();
    EXPECT_FALSE(job.LoadFromFile(dir.Path())); // a folder
    EXPECT_EQ(job.Count(), 0);
    WriteText(dir / "garbage.orv3", std::string("\0\xff[\n=\n]]\n", 9));
    EXPECT_TRUE(job.LoadFromFile(dir / "garbage.orv3"));
    EXPECT_EQ(job.Count(), 0);
}

TEST(JobFile, NoRegularFileOrAnOversizedOneIsRefusedWithItsReason) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo.orv3").c_str(), 0600), 0); // stands in for /dev/zero
    WriteText(dir / "huge.orv3", "[One]\nLine1=" + std::string(kMaxJobFileBytes, 'x') + "\n");
    WriteText(dir / "big.orv3", "[One]\nLine1=" + std::string(kMaxJobFileBytes - 20, 'x') + "\n");
    TJob job = SampleJob();
    std::string error;
    EXPECT_FALSE(job.LoadFromFile(dir / "fifo.orv3", &error));
    EXPECT_EQ(error, "it is a FIFO, not a regular file");
    EXPECT_EQ(job.Count(), 0);
    job = SampleJob();
    EXPECT_FALSE(job.LoadFromFile(dir / "huge.orv3", &error));
    EXPECT_EQ(error, "it is larger than 4 MiB");
    EXPECT_EQ(job.Count(), 0);
    EXPECT_TRUE(job.LoadFromFile(dir / "big.orv3", &error));
    EXPECT_EQ(job.Count(), 1);
}

TEST(JobFile, SavingReplacesEverySectionOfTheFile) {
    TempDir dir;
    std::string old;
    for (int i = 0; i < 10; ++i) old += "[old " + std::to_string(i) + "]\nLine1=x\n";
    WriteText(dir / "job.orv3", old);
    TJob job;
    for (const char* name : {"one", "two", "three"}) job.AddScreen(name);
    ASSERT_TRUE(job.SaveToFile(dir / "job.orv3"));
    TJob loaded;
    loaded.LoadFromFile(dir / "job.orv3");
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded.GetName(0), "one");
    EXPECT_EQ(loaded.GetName(2), "three");
    EXPECT_EQ(ReadText(dir / "job.orv3").find("old"), std::string::npos);
}

TEST(JobFile, ScreensWithOneNameShareASectionAndTheLaterWins) {
    TempDir dir;
    TJob job;
    job.AddScreen("twin");
    job.AddScreen("other");
    job.AddScreen("twin");
    job.SetLine(0, 1, "first");
    job.SetTimeout(0, 5);
    job.SetLine(2, 1, "second");
    ASSERT_TRUE(job.SaveToFile(dir / "job.orv3"));
    TJob loaded;
    loaded.LoadFromFile(dir / "job.orv3");
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.GetName(0), "twin");
    EXPECT_EQ(loaded.GetLine(0, 1), "second");
    EXPECT_EQ(loaded.GetTimeout(0), 0);
    EXPECT_EQ(loaded.GetName(1), "other");
}

// Blanks at either end of a line are kept (written in quotes); line breaks become blanks.
TEST(JobFile, TextSurvivesSaveExceptLineBreaks) {
    TempDir dir;
    TJob job;
    job.AddScreen("a\nb");
    job.SetLine(0, 1, "   indented  ");
    job.SetLine(0, 2, "two\r\nrows\n[x]\nShow=0");
    job.SetLine(0, 3, "Ёлка ёж"_cp1251);
    ASSERT_TRUE(job.SaveToFile(dir / "job.orv3"));
    TJob loaded;
    loaded.LoadFromFile(dir / "job.orv3");
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.GetName(0), "a b");
    EXPECT_EQ(loaded.GetLine(0, 1), "   indented  ");
    EXPECT_EQ(loaded.GetLine(0, 2), "two  rows [x] Show=0");
    EXPECT_EQ(loaded.GetLine(0, 3), "Ёлка ёж"_cp1251);
    EXPECT_TRUE(loaded.GetShow(0));
}

TEST(JobFile, SavingWithoutScreensWritesNothing) {
    TempDir dir;
    WriteText(dir / "job.orv3", "[keep]\nLine1=x\n");
    TJob job;
    EXPECT_FALSE(job.SaveToFile(dir / "job.orv3"));
    EXPECT_FALSE(job.SaveToFile(dir / "new.orv3"));
    EXPECT_EQ(ReadText(dir / "job.orv3"), "[keep]\nLine1=x\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "new.orv3"));
    job.AddScreen("s");
    EXPECT_FALSE(job.SaveToFile(dir / "no/such/folder/job.orv3"));
}
