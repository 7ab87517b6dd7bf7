#include "engine/JobCheck.h"
#include "base/Cp1251.h"
#include "tests/engine/EngineFakes.h"

#include <gtest/gtest.h>

using namespace orv;
using orv::test::TFakeCatalogue;

namespace {

std::vector<TCheckFinding> Check(const std::string& job) {
    TFakeCatalogue catalogue;
    catalogue.Declare("clock", {"$time", "$nowSec"});
    return CheckJob(TIniDocument::Parse(job), catalogue);
}

// "line: text" of each finding.
std::vector<std::string> Lines(const std::vector<TCheckFinding>& findings) {
    std::vector<std::string> lines;
    for (const auto& f : findings) lines.push_back(std::to_string(f.Line) + ": " + f.Text);
    return lines;
}

bool Mentions(const TCheckFinding& finding, const std::string& text) {
    return finding.Text.find(text) != std::string::npos;
}

} // namespace

TEST(JobCheck, AGoodJobHasNoFindings) {
    EXPECT_TRUE(Check("[Clock]\nTimeout=10\nLine1=It is $time[5,,,3]$ now\n"
                      "Line2=$nowSec[,,16,4,bar]$ $nowSec[,r,,4]$ $nowSec$\nAlign1=1\nShow=1\n"
                      "Line3=plain text, 100% sure\n")
                    .empty());
}

TEST(JobCheck, UnknownTagsAreNamedWithTheLineOfTheirKey) {
    const auto findings = Check("; my job\n[One]\nShow=1\nLine1=$time$\n\n[Two]\n"
                                "Line1=ok\nLine2=$tme[5]$ and $nowSecs$\n");
    ASSERT_EQ(findings.size(), 2u) << testing::PrintToString(Lines(findings));
    EXPECT_EQ(findings[0].Line, 8);
    EXPECT_TRUE(Mentions(findings[0], "[Two] Line2: unknown tag $tme"));
    EXPECT_EQ(findings[1].Line, 8);
    EXPECT_TRUE(Mentions(findings[1], "unknown tag $nowSecs"));
}

TEST(JobCheck, ParametersTheDisplayCannotUseAreReported) {
    const auto findings = Check("[S]\nLine1=$time[5,0]$\nLine2=$time[,x,-3]$\n"
                                "Line3=$time[,,,9]$\nLine4=$time[,,,,blink]$\n"
                                "Line5=$time[,,,,,extra]$\nLine6=$time[5\n"
                                "Line7=$time[,21,,4,flash]$\n");
    std::vector<int> lines;
    for (const auto& f : findings) lines.push_back(f.Line);
    EXPECT_EQ(lines, (std::vector<int>{2, 3, 3, 4, 5, 6, 7, 7, 8}))
        << testing::PrintToString(Lines(findings));
    EXPECT_TRUE(Mentions(findings[0], "the column \"0\""));
    EXPECT_TRUE(Mentions(findings[0], "not shown"));
    EXPECT_TRUE(Mentions(findings[1], "the column \"x\""));
    EXPECT_TRUE(Mentions(findings[2], "the width \"-3\""));
    EXPECT_TRUE(Mentions(findings[3], "the refresh \"9\""));
    EXPECT_TRUE(Mentions(findings[4], "the format \"blink\""));
    EXPECT_TRUE(Mentions(findings[5], "\"extra\" after the format"));
    EXPECT_TRUE(Mentions(findings[6], "no closing $"));
    EXPECT_TRUE(Mentions(findings[7], "no closing ]"));
    EXPECT_TRUE(Mentions(findings[8], "the column \"21\""));
}

TEST(JobCheck, ScreenKeysThatAreNoNumbersAndNamesInWindows1251) {
    const auto findings =
        Check("[" + Utf8ToCp1251("Часы") + "]\nTimeout=ten\nAlign2=centre\nShow=1\n");
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].Line, 2);
    EXPECT_EQ(findings[0].Text, "[Часы] Timeout=ten is not a number; 0 is used");
    EXPECT_EQ(findings[1].Line, 3);
}
