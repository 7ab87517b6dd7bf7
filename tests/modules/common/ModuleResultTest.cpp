#include "host/ModuleLibrary.h"
#include "modules/common/ModuleResult.h"
#include "modules/common/PluginDescriptor.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(ModuleResult, EachAnswerReplacesTheLastAndMinusOneClears) {
    TModuleResult result;
    EXPECT_STREQ(result.Keep(), "");
    const char* first = result.Set("14:05:09");
    EXPECT_STREQ(first, "14:05:09");
    EXPECT_EQ(result.Keep(), first) << "an unknown tag keeps the previous answer";
    EXPECT_STREQ(result.Set(std::string(300, 'x')), std::string(300, 'x').c_str());
    EXPECT_STREQ(result.Clear(), "");

    EXPECT_EQ(TagIndexOf(3), 3);
    EXPECT_EQ(TagIndexOf(static_cast<int32_t>(0x7FFF0003)), 3) << "upper half undefined";
    EXPECT_EQ(TagIndexOf(0xFFFF), kClearResultIndex);
}

namespace {
const char* NoValue(int32_t, const char*) { return ""; }

constinit TPluginDescriptor gTwoTags = MakePluginDescriptor(
    {.Name = "Test",
     .Description = "d",
     .Id = 7,
     .GroupCaption = "g",
     .GroupHint = "gh",
     .GetValue = NoValue},
    {{.Name = "$a", .Caption = "A", .Example = "$a$", .Hint = "ha"}, {.Name = "$b"}});
} // namespace

TEST(PluginDescriptor, UnlistedEntriesAreEmptyStringsAndTheLoaderAcceptsIt) {
    EXPECT_EQ(gTwoTags.Id, 7);
    EXPECT_EQ(gTwoTags.TagCount, 2);
    EXPECT_STREQ(gTwoTags.TagHints[0], "gh");
    EXPECT_STREQ(gTwoTags.TagCaptions[0], "");
    EXPECT_STREQ(gTwoTags.TagNames[0], "");
    EXPECT_STREQ(gTwoTags.TagNames[1], "$a");
    EXPECT_STREQ(gTwoTags.TagHints[1], "ha");
    EXPECT_STREQ(gTwoTags.TagNames[2], "$b");
    EXPECT_STREQ(gTwoTags.TagCaptions[2], "");
    for (int k = 3; k <= kMaxTags; ++k) {
        ASSERT_NE(gTwoTags.TagNames[k], nullptr);
        EXPECT_STREQ(gTwoTags.TagNames[k], "");
    }
    EXPECT_EQ(gTwoTags.LoadSettings, nullptr);
    EXPECT_EQ(gTwoTags.Configure, nullptr);
    EXPECT_EQ(gTwoTags.Finalize, nullptr);
    std::string error;
    EXPECT_TRUE(CheckDescriptor(gTwoTags, &error)) << error;
}
