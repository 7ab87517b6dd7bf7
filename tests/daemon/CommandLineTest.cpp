#include "daemon/CommandLine.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {
TDaemonOptions Ok(std::vector<std::string> args) {
    auto result = ParseDaemonCommandLine(args);
    EXPECT_TRUE(std::holds_alternative<TDaemonOptions>(result));
    return std::holds_alternative<TDaemonOptions>(result) ? std::get<TDaemonOptions>(result)
                                                          : TDaemonOptions{};
}
std::string Error(std::vector<std::string> args) {
    auto result = ParseDaemonCommandLine(args);
    return std::holds_alternative<std::string>(result) ? std::get<std::string>(result) : "";
}
} // namespace

TEST(DaemonCommandLine, AcceptsEveryOptionInBothForms) {
    auto o = Ok({"--job", "a b.orv3", "--seconds=5", "--tty=dots"});
    EXPECT_EQ(o.jobPath, "a b.orv3");
    EXPECT_EQ(o.seconds, 5);
    EXPECT_EQ(o.tty, TTtyMode::Dots);
    o = Ok({"--job=x.orv3", "--seconds", "60", "--tty"});
    EXPECT_EQ(o.jobPath, "x.orv3");
    EXPECT_EQ(o.seconds, 60);
    EXPECT_EQ(o.tty, TTtyMode::Text);
    o = Ok({});
    EXPECT_TRUE(o.jobPath.empty());
    EXPECT_FALSE(o.seconds);
    EXPECT_EQ(o.tty, TTtyMode::Off);
    EXPECT_TRUE(Ok({"--help"}).help);
    EXPECT_TRUE(Ok({"--version"}).version);
}

TEST(DaemonCommandLine, RefusesBadInputWithOneLine) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--seconds", "0"},
                                                                  {"--seconds", "-3"},
                                                                  {"--seconds=5x"},
                                                                  {"--seconds"},
                                                                  {"--job"},
                                                                  {"--job="},
                                                                  {"--tty=braille"},
                                                                  {"job.orv3"},
                                                                  {"--frobnicate"}}) {
        const std::string error = Error(args);
        EXPECT_FALSE(error.empty()) << args[0];
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST(DaemonCommandLine, SaysWhatIsWrongWithAValue) {
    EXPECT_EQ(Error({"--seconds", "99999999999"}),
              "--seconds can be at most 2147483647, not 99999999999");
    EXPECT_EQ(Ok({"--seconds", "2147483647"}).seconds, 2147483647);
    // An option word is not the file or number of the option before it.
    EXPECT_EQ(Error({"--job", "--tty"}).rfind("--job needs a file name", 0), 0u);
    EXPECT_EQ(Error({"--job", "-h"}).rfind("--job needs a file name", 0), 0u);
    EXPECT_EQ(Error({"--seconds", "--tty"}), "--seconds needs a number");
    EXPECT_EQ(Ok({"--job=--odd.orv3"}).jobPath, "--odd.orv3");
    EXPECT_EQ(Ok({"--job", "-"}).jobPath, "-");
}

TEST(DaemonCommandLine, TakesTheSettingsFileAndTheTraceSwitch) {
    auto o = Ok({"--config", "/etc/orvanta3/Orvanta3.ini", "--verbose"});
    EXPECT_EQ(o.configPath, "/etc/orvanta3/Orvanta3.ini");
    EXPECT_TRUE(o.verbose);
    o = Ok({"--config=-odd.ini", "-v"});
    EXPECT_EQ(o.configPath, "-odd.ini");
    EXPECT_TRUE(o.verbose);
    EXPECT_FALSE(Ok({}).verbose);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--config"}, {"--config="}, {"--config", "--verbose"}})
        EXPECT_NE(Error(args), "") << args.front();
}

TEST(DaemonCommandLine, ListTagsAndCheckTakeNoRun) {
    EXPECT_TRUE(Ok({"--list-tags"}).listTags);
    EXPECT_EQ(Ok({"--check", "my job.orv3"}).checkJobPath, "my job.orv3");
    EXPECT_EQ(Ok({"--check=-odd.orv3"}).checkJobPath, "-odd.orv3");
    EXPECT_NE(Error({"--check"}), "");
    EXPECT_NE(Error({"--check", "--list-tags"}), ""); // an option word is no file name
    EXPECT_TRUE(Ok({"--list-modules"}).listModules);
    EXPECT_EQ(Ok({"--init", "/etc/orvanta3/Orvanta3.ini"}).initPath, "/etc/orvanta3/Orvanta3.ini");
    EXPECT_EQ(Ok({"--init=-odd.ini"}).initPath, "-odd.ini");
    EXPECT_NE(Error({"--init"}), "");
    EXPECT_NE(Error({"--init", "--list-modules"}), "");
}
