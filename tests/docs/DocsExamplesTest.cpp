// The examples of the README and docs/ work as a user copies them: each driver's settings with
// the example job, and every tag the README names, on an emulated panel.
#include "tests/daemon/DaemonRun.h"

#include <regex>

using namespace orv::test;

namespace {

const std::string kSource = ORVANTA3_SOURCE_DIR;

// The contents of the ```ini blocks of a Markdown file.
std::vector<std::string> IniBlocks(const std::string &markdown) {
    std::vector<std::string> blocks;
    const std::string open = "```ini\n", close = "```";
    for (size_t start = markdown.find(open); start != std::string::npos;
         start = markdown.find(open, start)) {
        start += open.size();
        const size_t end = markdown.find(close, start);
        blocks.push_back(markdown.substr(start, end - start));
        start = end;
    }
    return blocks;
}

const std::regex kClock("[0-9]{2}:[0-9]{2}:[0-9]{2}");

using DocsExamples = DaemonTest;

TEST_F(DocsExamples, EachDriverExampleShowsTheExampleJob) {
    const auto jobs = IniBlocks(ReadText(kSource + "/docs/job-file.md"));
    ASSERT_EQ(jobs.size(), 1u);
    WriteText(docs / "job.orv3", jobs[0]);
    const auto settings = IniBlocks(ReadText(kSource + "/docs/settings.md"));
    ASSERT_EQ(settings.size(), 2u);
    for (const std::string &example : settings) {
        const bool graphic = example.find("[graphport.so]") != std::string::npos;
        portio = graphic ? "emu:ks0108:" + state : "emu:hd44780:4x20:" + state;
        WriteText(docs / "Orvanta3.ini", example);
        const TRun run = Run("--job '" + docs / "job.orv3" + "' --seconds 2 --tty=text");
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("Orvanta3"), std::string::npos) << run.out;
        EXPECT_TRUE(std::regex_search(run.out, kClock)) << run.out;
        for (const char *bare : {"time", "date", "dayofweek", "uptime"})
            EXPECT_EQ(run.out.find(bare), std::string::npos) << bare << " unknown:\n" << run.out;
        const std::string width = graphic ? std::string(21, ' ') : std::string(20, ' ');
        EXPECT_NE(run.out.find("|" + width + "|"), std::string::npos) << "panel width";
    }
}

TEST_F(DocsExamples, EveryTagTheReadmeNamesIsFilledIn) {
    const std::string readme = ReadText(kSource + "/README.md");
    const std::regex tag("`(\\$([A-Za-z]+)(\\[[^\\]`]*\\])?\\$)`");
    std::string job = "[Tags]\nShow=1\n";
    std::vector<std::string> names;
    int line = 0;
    for (auto it = std::sregex_iterator(readme.begin(), readme.end(), tag);
         it != std::sregex_iterator() && line < 8; ++it) {
        job += "Line" + std::to_string(++line) + "=" + (*it)[1].str() + "\n";
        names.push_back((*it)[2].str());
    }
    ASSERT_GE(names.size(), 2u);
    WriteText(docs / "job.orv3", job);
    const TRun run = Run("--job '" + docs / "job.orv3" + "' --seconds 2 --tty=text");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (const auto &name : names)
        EXPECT_EQ(run.out.find(name), std::string::npos) << name << " unknown:\n" << run.out;
    EXPECT_TRUE(std::regex_search(run.out, kClock)) << "the time tag shows a time:\n" << run.out;
}

} // namespace
