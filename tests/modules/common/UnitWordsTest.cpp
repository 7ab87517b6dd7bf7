#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "modules/common/UnitWords.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace orv;
using orv::test::ScopedEnv;
using orv::test::TempDir;
using orv::test::WriteText;

TEST(UnitWords, EmptyUntilReadAndDefaultsWithoutASettingsFile) {
    TempDir docs;
    ScopedEnv env("XDG_DOCUMENTS_DIR", docs.Path());
    TUnitWords words;
    EXPECT_EQ(words[TUnitWord::Hour], "");
    EXPECT_EQ(words[TUnitWord::Hertz], "");

    words.ReadAll();
    const char* expected[][2] = {{"Bit", "b"},  {"Byte", "b"},    {"Kilo", "k"},   {"Mega", "M"},
                                 {"Giga", "G"}, {"PerSec", "ps"}, {"Hertz", "Hz"}, {"Hour", "h"},
                                 {"Min", "m"},  {"Sec", "s"}};
    for (size_t i = 0; i < kUnitWordCount; ++i) {
        const auto word = static_cast<TUnitWord>(i);
        EXPECT_STREQ(UnitWordKey(word), expected[i][0]);
        EXPECT_EQ(words[word], expected[i][1]) << expected[i][0];
        EXPECT_EQ(TUnitWords::Defaults()[word], expected[i][1]);
    }
}

TEST(UnitWords, ReadsOnlyTheKeysAskedForFromTheSettingsFile) {
    TempDir docs;
    ScopedEnv env("XDG_DOCUMENTS_DIR", docs.Path());
    WriteText(docs / "Orvanta3.ini", "[Common]\nHour=x\n"
                                     "[shortcuts]\n"
                                     "HOUR = \" ч \"\n"
                                     "Min=\n"
                                     "Kilo=K\n");
    TUnitWords words;
    words.Read({TUnitWord::Hour, TUnitWord::Min, TUnitWord::Sec});
    // The file is UTF-8, so the word reads as its Windows-1251 form.
    EXPECT_EQ(words[TUnitWord::Hour], Utf8ToCp1251(" ч "))
        << "names without case, one pair of quotes removed";
    EXPECT_EQ(words[TUnitWord::Min], "") << "an empty value is kept empty";
    EXPECT_EQ(words[TUnitWord::Sec], "s") << "missing key: default";
    EXPECT_EQ(words[TUnitWord::Kilo], "") << "not asked for";

    // A later read replaces what it reads and nothing else.
    TIniFile(docs / "Orvanta3.ini").WriteString("Shortcuts", "Min", "min");
    words.Read({TUnitWord::Min});
    EXPECT_EQ(words[TUnitWord::Min], "min");
    EXPECT_EQ(words[TUnitWord::Hour], Utf8ToCp1251(" ч "));
}

TEST(UnitWords, AnUnreadableSettingsFileGivesTheDefaults) {
    TempDir docs;
    ScopedEnv env("XDG_DOCUMENTS_DIR", docs.Path());
    std::filesystem::create_directory(docs / "Orvanta3.ini");
    TUnitWords words;
    words.Read({TUnitWord::Giga, TUnitWord::PerSec});
    EXPECT_EQ(words[TUnitWord::Giga], "G");
    EXPECT_EQ(words[TUnitWord::PerSec], "ps");
}
