// The examples of the README and docs/ work as a user copies them: each driver's settings with
// the example job, and every tag the README names, on an emulated panel.
#include "tests/daemon/DaemonRun.h"

#include <regex>

using namespace orv::test;

namespace {

const std::string kSource = ORVANTA3_SOURCE_DIR;

// The contents of the ```ini blocks of a Markdown file.
std::vector<std::string> IniBlocks(const std::string& markdown) {
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

// The contents of the blocks that open with fence (such as "```orv3\n") in text.
std::vector<std::string> FencedBlocks(const std::string& text, const std::string& fence) {
    std::vector<std::string> blocks;
    for (size_t start = text.find(fence); start != std::string::npos;
         start = text.find(fence, start)) {
        start += fence.size();
        const size_t end = text.find("```", start);
        blocks.push_back(text.substr(start, end - start));
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
    for (const std::string& example : settings) {
        const bool graphic = example.find("[graphport.so]") != std::string::npos;
        portio = graphic ? "emu:ks0108:" + state : "emu:hd44780:4x20:" + state;
        WriteText(docs / "Orvanta3.ini", example);
        const TRun run = Run("--job '" + docs / "job.orv3" + "' --seconds 2 --tty=text");
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("Orvanta3"), std::string::npos) << run.out;
        EXPECT_TRUE(std::regex_search(run.out, kClock)) << run.out;
        for (const char* bare : {"time", "date", "dayofweek", "uptime"})
            EXPECT_EQ(run.out.find(bare), std::string::npos) << bare << " unknown:\n" << run.out;
        const std::string width = graphic ? std::string(21, ' ') : std::string(20, ' ');
        EXPECT_NE(run.out.find("|" + width + "|"), std::string::npos) << "panel width";
    }
}

// Each module's section of docs/settings.md: its settings lines added to the 4 x 20 text panel's
// example, its job checked clean and, for the modules that reach no server, run on the panel.
TEST_F(DocsExamples, EachModuleExampleChecksCleanAndRuns) {
    const std::string markdown = ReadText(kSource + "/docs/settings.md");
    const std::string panel = IniBlocks(markdown).at(0);
    const size_t modules = markdown.find("\n## Every module\n");
    ASSERT_NE(modules, std::string::npos);
    int sections = 0;
    for (size_t at = markdown.find("\n### ", modules); at != std::string::npos;) {
        const size_t next = markdown.find("\n### ", at + 1);
        const std::string section = markdown.substr(at, next - at);
        at = next;
        const std::string module = section.substr(5, section.find('\n', 5) - 5);
        const auto settings = FencedBlocks(section, "```ini module\n");
        ASSERT_EQ(settings.size(), 1u) << module;
        EXPECT_NE(settings[0].find("[" + module + "]\nActive=1\n"), std::string::npos) << module;
        ++sections;
        WriteText(docs / "Orvanta3.ini", panel + settings[0]);
        const auto jobs = FencedBlocks(section, "```orv3\n");
        WriteText(docs / "job.orv3", jobs.empty() ? "[One]\nLine1=just text\nShow=1\n" : jobs[0]);
        const TRun check = Run("--check '" + docs / "job.orv3" + "'");
        EXPECT_EQ(check.exitCode, 0) << module << "\n" << check.out << check.err;
        const TRun list = Run("--list-modules");
        EXPECT_NE(list.out.find("\t" + module + "\ton\t"), std::string::npos)
            << module << " is not on\n"
            << list.out;
        const bool reachesServers =
            module == "postwatch.so" || module == "headlines.so" || module == "skycast.so";
        if (jobs.empty() || reachesServers) continue;
        const TRun run = Run("--job '" + docs / "job.orv3" + "' --seconds 2 --tty=text");
        EXPECT_EQ(run.exitCode, 0) << module << "\n" << run.err;
        EXPECT_EQ(run.err, "") << module;
        EXPECT_EQ(run.out.find("$"), std::string::npos) << module << ": a tag shown as text\n"
                                                        << run.out;
    }
    EXPECT_GE(sections, 17);
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
    for (const auto& name : names)
        EXPECT_EQ(run.out.find(name), std::string::npos) << name << " unknown:\n" << run.out;
    EXPECT_TRUE(std::regex_search(run.out, kClock)) << "the time tag shows a time:\n" << run.out;
}

} // namespace
