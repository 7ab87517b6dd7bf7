// A tag taken apart into the editor's items and written back.
#include "engine/TagParameters.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

TTagParameters Items(std::string name, std::string argument, std::string left, std::string width,
                     bool refreshOn, int refreshIndex, int format) {
    return {std::move(name), std::move(argument), std::move(left), std::move(width),
            refreshOn,       refreshIndex,        format};
}

void ExpectItems(const TTagParameters& actual, const TTagParameters& expected) {
    EXPECT_EQ(actual.Name, expected.Name);
    EXPECT_EQ(actual.Argument, expected.Argument);
    EXPECT_EQ(actual.Left, expected.Left);
    EXPECT_EQ(actual.Width, expected.Width);
    EXPECT_EQ(actual.RefreshOn, expected.RefreshOn);
    EXPECT_EQ(actual.RefreshIndex, expected.RefreshIndex);
    EXPECT_EQ(actual.FormatIndex, expected.FormatIndex);
}

} // namespace

TEST(TagParameters, ItemsAreReadByPositionWithNoneForEmptyOnes) {
    ExpectItems(ReadTagParameters("$time$"), Items("$time$", "-1", "-1", "-1", false, 1, 0));
    ExpectItems(ReadTagParameters("$time[5,,,3]$"), Items("$time$", "5", "-1", "-1", true, 2, 0));
    ExpectItems(ReadTagParameters("$cpuUsage[,r,10,4,digit_bar]$"),
                Items("$cpuUsage$", "-1", "r", "10", true, 3, 4));
    ExpectItems(
        ReadTagParameters("$MaskChar['1;x00;x0E;x11;x11;x1F;x11;x11;x00',,,,anim_char]$"),
        Items("$MaskChar$", "'1;x00;x0E;x11;x11;x1F;x11;x11;x00'", "-1", "-1", false, 1, 6));
    // No closing bracket: the name, and no items at all.
    ExpectItems(ReadTagParameters("$time[5"), Items("$time$", "-1", "-1", "-1", false, 1, 0));
    ExpectItems(ReadTagParameters("$a]b[1]$"), Items("$a]b$", "-1", "-1", "-1", false, 1, 0));
}

TEST(TagParameters, RefreshAndFormatOutsideTheirListsReadAsOffAndText) {
    for (const char* tag : {"$a[,,,0]$", "$a[,,,5]$", "$a[,,,x]$", "$a[,,,-2]$"})
        EXPECT_FALSE(ReadTagParameters(tag).RefreshOn) << tag;
    EXPECT_EQ(ReadTagParameters("$a[,,,,Bar]$").FormatIndex, 0) << "format words are exact";
    EXPECT_EQ(ReadTagParameters("$a[,,,,bar,x]$").FormatIndex, 0);
    EXPECT_EQ(ReadTagParameters("$a[1,2,3,4,simple_bar]$").FormatIndex, 3);
}

TEST(TagParameters, ATrailingLoneCommaLeavesNoStrayItem) {
    const TTagParameters p = ReadTagParameters("$a[7,]$");
    EXPECT_EQ(p.Argument, "7");
    EXPECT_EQ(p.Left, "-1");
    EXPECT_EQ(BuildTagText(p), "$a[7]$");
}

TEST(TagParameters, RebuildingDropsEmptyTrailingItemsAndUnsetValues) {
    EXPECT_EQ(BuildTagText(Items("$time$", "-1", "-1", "-1", false, 1, 0)), "$time$");
    EXPECT_EQ(BuildTagText(Items("$time$", "", "", "", false, 1, 0)), "$time$");
    EXPECT_EQ(BuildTagText(Items("$time$", "5", "-1", "-1", true, 2, 0)), "$time[5,,,3]$");
    EXPECT_EQ(BuildTagText(Items("$time$", "5", "0", "0", false, 1, 0)), "$time[5]$")
        << "left 0 and width 0 are dropped";
    EXPECT_EQ(BuildTagText(Items("$time$", "-1", "3", "abc", false, 1, 1)), "$time[,3,,,flash]$")
        << "a width that is no number is dropped";
    EXPECT_EQ(BuildTagText(Items("$time$", "0", "r", "12", true, 0, 2)), "$time[0,r,12,1,bar]$");
    EXPECT_EQ(BuildTagText(Items("$time$", "-1", "-1", "-1", true, 3, 0)), "$time[,,,4]$");
}

TEST(TagParameters, ReadingThenBuildingGivesTheTagBack) {
    for (const char* tag :
         {"$time$", "$time[5,,,3]$", "$date[1]$", "$nowSec[,,16,4,bar]$", "$cpuUsage[,,10,3,bar]$",
          "$unknown[2,r]$", "$AnimChars['1;hb_0;hb_5',,,4,anim_char]$", "$x[,,,,anim]$"})
        EXPECT_EQ(BuildTagText(ReadTagParameters(tag)), tag);
}
