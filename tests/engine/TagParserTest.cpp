#include "engine/TagParser.h"

#include <gtest/gtest.h>

using namespace orv;
using Pieces = std::vector<std::string>;

TEST(LineSplit, EveryPieceCarriesTheLineNumberFirst) {
    EXPECT_EQ(SplitLineTemplate("Hello $foo$!", 2), (Pieces{"$Hello [2]$", "$foo[2]$", "$![2]$"}));
    EXPECT_EQ(SplitLineTemplate("$cpuUsage[,,10,3,bar]$", 3), (Pieces{"$cpuUsage[3,,,10,3,bar]$"}));
    EXPECT_EQ(SplitLineTemplate("$time[5,,,3]$%", 1), (Pieces{"$time[1,5,,,3]$", "$%[1]$"}));
    EXPECT_EQ(SplitLineTemplate("$US$$<$$>$", 1), (Pieces{"$US[1]$", "$<[1]$", "$>[1]$"}));
    EXPECT_TRUE(SplitLineTemplate("", 1).empty());
}

TEST(LineSplit, LoneAndTrailingDollarSignsBecomeEmptyTags) {
    EXPECT_EQ(SplitLineTemplate("$$", 1), (Pieces{"$[1]$"}));
    EXPECT_EQ(SplitLineTemplate("abc$", 4), (Pieces{"$abc[4]$", "$[4]$"}));
    EXPECT_EQ(SplitLineTemplate("x $open", 1), (Pieces{"$x [1]$", "$open[1]$"}));
    EXPECT_EQ(SplitLineTemplate("a[b]c", 1), (Pieces{"$a[b]c[1]$"}));
}

TEST(ElementText, HeadAndParameterPart) {
    auto parts = SplitElementText("$time[2,5]$");
    EXPECT_TRUE(parts.HasParams);
    EXPECT_EQ(parts.Head, "$time");
    EXPECT_EQ(parts.Params, "2,5");

    parts = SplitElementText("$[1]$");
    EXPECT_FALSE(parts.HasParams) << "a bracket right after the dollar sign is no parameter part";
    EXPECT_EQ(parts.Head, "$[1]");

    parts = SplitElementText("$a[3,x$");
    EXPECT_TRUE(parts.HasParams);
    EXPECT_EQ(parts.Params, "3,x") << "a missing ] ends the parameters at the final dollar sign";

    parts = SplitElementText("$a]b[1]$");
    EXPECT_EQ(parts.Params, "1") << "only a ] after the [ closes it";
}

TEST(Parameters, CommasBlanksQuotesAndEmptyItems) {
    using Items = std::vector<std::string>;
    EXPECT_EQ(SplitParameters("1,,r"), (Items{"1", "", "r"}));
    EXPECT_EQ(SplitParameters("1, 2 ,3"), (Items{"1", "2", "3"}));
    EXPECT_EQ(SplitParameters("a b"), (Items{"a", "b"}));
    EXPECT_EQ(SplitParameters("1,"), (Items{"1", ""}));
    EXPECT_EQ(SplitParameters(",,"), (Items{"", "", ""}));
    EXPECT_EQ(SplitParameters("1,\"x, \"\"y\"\"\",3"), (Items{"1", "x, \"y\"", "3"}));
    EXPECT_EQ(SplitParameters("1,\"open"), (Items{"1", "open"}));
    EXPECT_EQ(SplitParameters("1,'1;char_name'"), (Items{"1", "'1;char_name'"}));
    EXPECT_EQ(SplitParameters("1,\t\x01x"), (Items{"1", "x"}));
    EXPECT_TRUE(SplitParameters("").empty());
    EXPECT_TRUE(SplitParameters("   ").empty());
}
