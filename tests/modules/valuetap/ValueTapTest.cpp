// valuetap as the host sees it: the built library with command and file sources defined in
// its settings section, asked for its values the way the display thread asks.
#include "abi/CommandWords.h"
#include "base/Cp1251.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace orv;
using namespace orv::test;

namespace {

enum : int32_t { tagUserValue, tagUserValueEnum, tagUserValueName };

class ValueTap : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module.Loaded()); }
    void TearDown() override {
        // Stops every source of this test before its folder goes.
        WriteText(docs / "Orvanta3.ini", "");
        module.Descriptor().LoadSettings();
    }

    void Load(const std::string& section) {
        WriteText(docs / "Orvanta3.ini", "[valuetap.so]\n" + section);
        ASSERT_EQ(module.Descriptor().LoadSettings(), 0);
    }
    std::string Value(const std::string& source) {
        return Cp1251ToUtf8(module.Value(tagUserValue, Utf8ToCp1251(source).c_str()));
    }
    // Asks until the source gives expected (the first request starts a command).
    bool WaitForValue(const std::string& source, const std::string& expected,
                      std::chrono::seconds timeout = std::chrono::seconds(30)) {
        return WaitUntil([&] { return Value(source) == expected; }, timeout);
    }

    TempDir docs;
    ScopedEnv settings{"ORVANTA3_SETTINGS", docs / "Orvanta3.ini"};
    TBuiltModule module{"valuetap.so"};
};

TEST_F(ValueTap, CommandsPrintFailHangFloodAndStaySilent) {
    const std::string script = docs / "print.sh";
    WriteText(script,
              "#!/bin/sh\necho \"first line\"\necho \"load: 0.42 1.5 $PWD ${SECRET:-clean}\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    WriteText(docs / "work/.keep", "");
    ::setenv("SECRET", "leaked", 1);
    Load("Source1 kind=command\nSource1 name=Load\nSource1 command=" + script +
         "\nSource1 line=2\nSource1 folder=" + (docs / "work") +
         "\nSource2 kind=command\nSource2 command=/bin/sh -c 'echo \"$0\" \"$1\"' 'a b' \"c\\\"d\""
         "\nSource3 kind=command\nSource3 name=broken\nSource3 command=/bin/sh -c 'echo partial; "
         "exit 3'"
         "\nSource4 kind=command\nSource4 name=hang\nSource4 command=sleep 600\nSource4 timeout=1"
         "\nSource5 kind=command\nSource5 name=flood\nSource5 command=yes 0123456789"
         "\nSource5 max bytes=100\nSource5 field=1"
         "\nSource6 kind=command\nSource6 name=silent\nSource6 command=true"
         "\nSource7 kind=command\nSource7 name=nosuch\nSource7 command=no-such-program-here"
         "\nSource8 kind=command\nSource8 name=ten\nSource8 command=head -c 10000000 /dev/zero"
         "\nSource9 kind=command\nSource9 name=field\nSource9 command=echo 'a  b   c'\nSource9 "
         "field=3\n");
    ::unsetenv("SECRET");

    // Nothing is known before the first run: the screen that starts with it is skipped.
    EXPECT_EQ(Value("load"), "#skip") << "names ignore ASCII case";
    EXPECT_TRUE(WaitForValue("load", "load: 0.42 1.5 " + (docs / "work") + " clean"))
        << Value("load") << ": line 2, run in its folder with a clean environment";
    EXPECT_TRUE(WaitForValue("1", Value("Load"))) << "the number names the same source";
    EXPECT_TRUE(WaitForValue("2", "a b c\"d")) << "quoted words, no shell of ours";
    Value("broken");
    EXPECT_FALSE(WaitForValue("broken", "partial", std::chrono::seconds(3)));
    EXPECT_EQ(Value("broken"), "#skip") << "a failed command's output is not shown";
    EXPECT_TRUE(WaitForValue("flood", "0123456789")) << "yes stops at the closed pipe";
    EXPECT_TRUE(WaitForValue("silent", "")) << "no output is an empty value, not a failure";
    EXPECT_TRUE(WaitForValue("nosuch", "#skip"));
    EXPECT_TRUE(WaitForValue("ten", "")) << "10 MB of zero bytes end as blanks, cut to its bound";
    EXPECT_TRUE(WaitForValue("field", "c"));

    // A hanging command is killed at its time-out (its thread would otherwise still wait).
    const auto started = std::chrono::steady_clock::now();
    Value("hang");
    EXPECT_TRUE(WaitUntil([&] { return std::system("pgrep -x -f 'sleep 600' >/dev/null") != 0; },
                          std::chrono::seconds(30)))
        << "sleep 600 still runs";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
    EXPECT_EQ(Value("hang"), "#skip");

    // Sources no setting defines show nothing; the enumeration lists the defined ones.
    EXPECT_EQ(Value("10"), "");
    EXPECT_EQ(Value("0"), "") << "a tag without brackets";
    EXPECT_EQ(Value("unknown"), "");
    EXPECT_EQ(module.Value(tagUserValueEnum), std::string("#enum9"));
    EXPECT_EQ(module.Value(tagUserValueName, "0"), std::string("Load"));
    EXPECT_EQ(module.Value(tagUserValueName, "1"), std::string("2"));
    EXPECT_EQ(module.Value(tagUserValueName, "9"), std::string(""));
}

TEST_F(ValueTap, FilesFollowWritesAndRenamesAndOutsideTextStaysText) {
    const std::string value = docs / "data/value.txt";
    const std::string json = docs / "data/reading.json";
    WriteText(value, "21.5\nsecond\n");
    WriteText(json, R"({"sensor":{"temperature":19.25,"label":"Комната \u0436"}})");
    Load("Source1 kind=file\nSource1 name=value\nSource1 file=" + value +
         "\nSource1 period=3600\nSource2 kind=file\nSource2 file=" + value +
         "\nSource2 line=2\nSource2 period=3600\nSource3 kind=file\nSource3 file=" + json +
         "\nSource3 pointer=/sensor/temperature\nSource3 period=3600\nSource4 kind=file\n"
         "Source4 name=label\nSource4 file=" +
         json +
         "\nSource4 pointer=/sensor/label\n"
         "Source5 kind=file\nSource5 name=missing\nSource5 file=" +
         (docs / "data/none") + "\nSource6 kind=file\nSource6 name=nopointer\nSource6 file=" +
         json + "\nSource6 pointer=/sensor/none\n");
    EXPECT_TRUE(WaitForValue("value", "21.5"));
    EXPECT_TRUE(WaitForValue("2", "second"));
    EXPECT_TRUE(WaitForValue("3", "19.25"));
    EXPECT_TRUE(WaitForValue("label", "Комната ж")) << "UTF-8 becomes the panel's charset";
    EXPECT_TRUE(WaitForValue("missing", "#skip"));
    EXPECT_TRUE(WaitForValue("nopointer", "#skip"));

    // Rewritten in place: inotify brings it long before the hour's period.
    {
        std::FILE* f = std::fopen(value.c_str(), "r+");
        ASSERT_TRUE(f);
        std::fputs("22.0", f);
        std::fclose(f);
    }
    EXPECT_TRUE(WaitForValue("value", "22.0")) << Value("value");
    // Replaced by rename, as editors and careful writers do.
    WriteText(docs / "data/value.new", "_SetFlash:_4Clock #skip\n");
    std::filesystem::rename(docs / "data/value.new", value);
    EXPECT_TRUE(WaitForValue("value", "_SetFlash:_4Clock #skip")) << Value("value");
    EXPECT_EQ(module.RawValue(tagUserValue, "value").front(), kOutsideTextMark)
        << "answered as outside text, which the engine never carries out";
    WriteText(docs / "data/value.new", "#enum3\x01\x07tail\n");
    std::filesystem::rename(docs / "data/value.new", value);
    EXPECT_TRUE(WaitForValue("value", "#enum3  tail"))
        << "a mark at the front stays text, control codes become blanks: " << Value("value");
    std::filesystem::remove(value);
    EXPECT_TRUE(WaitForValue("value", "#skip"));
    WriteText(value, "back\n");
    EXPECT_TRUE(WaitForValue("value", "back"));

    // Settings loaded again replace the sources; the old ones stop.
    Load("Source3 kind=file\nSource3 name=value\nSource3 file=" + json + "\n");
    EXPECT_EQ(Value("2"), "");
    EXPECT_TRUE(
        WaitForValue("value", R"({"sensor":{"temperature":19.25,"label":"Комната \u0436"}})"))
        << Value("value");
}

} // namespace
