#include "base/IniFile.h"
#include "base/Cp1251.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orv;
using orv::test::TempDir;

TEST(IniRead, ValuesLoseBlanksAndOnePairOfQuotes) {
    const auto doc = TIniDocument::Parse("[Common]\r\n"
                                         "  Name =  spaced value  \r\n"
                                         "Quoted=\"  kept inside  \"\n"
                                         "Single='x'\n"
                                         "Double=\"\"twice\"\"\n"
                                         "Mixed=\"open'\n");
    EXPECT_EQ(doc.ReadString("Common", "Name", "-"), "spaced value");
    EXPECT_EQ(doc.ReadString("Common", "Quoted", "-"), "  kept inside  ");
    EXPECT_EQ(doc.ReadString("Common", "Single", "-"), "x");
    EXPECT_EQ(doc.ReadString("Common", "Double", "-"), "\"twice\"");
    EXPECT_EQ(doc.ReadString("Common", "Mixed", "-"), "\"open'");
    EXPECT_EQ(doc.ReadString("Common", "Missing", "dflt"), "dflt");
    EXPECT_EQ(doc.ReadString("Nowhere", "Name", "dflt"), "dflt");
}

TEST(IniRead, NamesMatchWithoutRegardToAsciiCase) {
    const auto doc = TIniDocument::Parse("[Virtual Screen]\nPIXEL on COLOR=5\n");
    EXPECT_EQ(doc.ReadInteger("virtual screen", "Pixel ON color", 0), 5);
    EXPECT_TRUE(doc.HasSection("VIRTUAL SCREEN"));
}

TEST(IniRead, IntegersAndBooleansFallBackToTheDefault) {
    const auto doc = TIniDocument::Parse("[s]\na=12\nb= -7 \nc=12abc\nd=\ne=99999999999\n"
                                         "t=5\nf=0\nx=yes\n");
    EXPECT_EQ(doc.ReadInteger("s", "a", 0), 12);
    EXPECT_EQ(doc.ReadInteger("s", "b", 0), -7);
    EXPECT_EQ(doc.ReadInteger("s", "c", 3), 3);
    EXPECT_EQ(doc.ReadInteger("s", "d", 3), 3);
    EXPECT_EQ(doc.ReadInteger("s", "e", 3), 3);
    EXPECT_TRUE(doc.ReadBool("s", "t", false));
    EXPECT_FALSE(doc.ReadBool("s", "f", true));
    EXPECT_TRUE(doc.ReadBool("s", "x", true));
    EXPECT_FALSE(doc.ReadBool("s", "x", false));
}

TEST(IniRead, SectionsAndKeysKeepFileOrder) {
    const auto doc = TIniDocument::Parse("; comment\n[B]\nz=1\na=2\nZ=3\n[A]\n[b]\nq=1\n");
    EXPECT_EQ(doc.Sections(), (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(doc.Keys("b"), (std::vector<std::string>{"z", "a"}));
    EXPECT_EQ(doc.ReadInteger("B", "z", 0), 1) << "the first of repeated keys wins";
}

TEST(IniWrite, ReplacesInPlaceAppendsAndKeepsComments) {
    auto doc = TIniDocument::Parse("; top\n[One]\nx=1\n\n[Two]\ny=2\n");
    doc.WriteString("ONE", "X", "10");
    doc.WriteString("One", "new", "n");
    doc.WriteInteger("Three", "z", -4);
    doc.WriteBool("Two", "flag", true);
    EXPECT_EQ(doc.Serialize(), "; top\n[One]\nX=10\nnew=n\n\n[Two]\ny=2\nflag=1\n[Three]\nz=-4\n");
}

TEST(IniWrite, LineBreaksCannotInjectKeysOrSections) {
    TIniDocument doc;
    doc.WriteString("Bad\n[Name]", "key\r\nx", "v\n[Evil]\ninjected=1");
    EXPECT_EQ(doc.Sections(), std::vector<std::string>{"Bad [Name]"});
    EXPECT_EQ(doc.ReadString("Bad [Name]", "key  x", ""), "v [Evil] injected=1");
    doc.WriteString("Bad\n[Name]", "key\r\nx", "second");
    EXPECT_EQ(doc.Keys("Bad [Name]").size(), 1u);
}

// Job lines, delimiters and paths are free text: what is written reads back as it was.
TEST(IniWrite, EveryValueReadsBackUnchanged) {
    TIniDocument doc;
    for (const std::string value : {"  indented", "trailing\t", " * ", "\"quoted\"", "'single'",
                                    "\"", "\"half", "plain", ""}) {
        doc.WriteString("Screen", "Line1", value);
        EXPECT_EQ(TIniDocument::Parse(doc.Serialize()).ReadString("Screen", "Line1", "?"), value);
    }
    doc.WriteString("Screen", "Line2", "plain");
    EXPECT_EQ(doc.Serialize(), "[Screen]\nLine1=\nLine2=plain\n") << "quotes only where needed";
}

TEST(IniWrite, EraseSectionAndDeleteKey) {
    auto doc = TIniDocument::Parse("[a]\nk=1\n[B]\nk=2\nm=3\n[A]\nk=4\n");
    doc.EraseSection("A");
    doc.DeleteKey("b", "K");
    EXPECT_EQ(doc.Serialize(), "[B]\nm=3\n");
}

TEST(IniWrite, KeepsWindows1251BytesAsTheyAre) {
    TempDir dir;
    TIniFile ini(dir / "t.ini");
    const std::string section = "\xFD\xEA\xF0\xE0\xED 1"; // "экран 1"
    ASSERT_TRUE(ini.WriteString(section, "Line1", "\xC2\xF0\xE5\xEC\xFF"));
    EXPECT_EQ(orv::test::ReadText(dir / "t.ini"),
              "[" + section + "]\nLine1=\xC2\xF0\xE5\xEC\xFF\n");
    EXPECT_EQ(ini.ReadString(section, "line1", ""), "\xC2\xF0\xE5\xEC\xFF");
}

TEST(IniFile, AFileWrittenInUtf8ReadsAsUtf8AndIsWrittenBackAsWindows1251) {
    TempDir dir;
    const std::string section = orv::Utf8ToCp1251("Экран");
    const std::string greeting = orv::Utf8ToCp1251("Tschüß – Пока");
    EXPECT_EQ(greeting, "Tsch?? \x96 \xCF\xEE\xEA\xE0"); // ü and ß have no Windows-1251 byte
    orv::test::WriteText(dir / "t.ini", "\xEF\xBB\xBF[Экран]\nLine1=Tschüß – Пока\n");
    TIniFile ini(dir / "t.ini");
    EXPECT_EQ(ini.ReadString(section, "Line1", ""), greeting);

    // A write turns the whole file into Windows-1251: no file holds two encodings.
    ASSERT_TRUE(ini.WriteString(section, "Line2", "\xC4\xE0")); // "Да"
    EXPECT_EQ(orv::test::ReadText(dir / "t.ini"),
              "[" + section + "]\nLine1=" + greeting + "\nLine2=\xC4\xE0\n");
    EXPECT_EQ(ini.ReadString(section, "Line1", ""), greeting);
}

TEST(IniRead, LineNumbersOfSectionsAndKeys) {
    const auto doc = TIniDocument::Parse("; settings\n[Common]\nA=1\n\n[Other]\r\nb = 2\n"
                                         "[common]\nC=3\n");
    EXPECT_EQ(doc.SectionLine("Common"), 2);
    EXPECT_EQ(doc.KeyLine("common", "a"), 3);
    EXPECT_EQ(doc.KeyLine("Other", "B"), 6);
    EXPECT_EQ(doc.KeyLine("Common", "C"), 0); // a repeated section is not read
    EXPECT_EQ(doc.KeyLine("Common", "missing"), 0);
    EXPECT_EQ(doc.SectionLine("Missing"), 0);
}

TEST(IniFile, MissingFileReadsAsDefaultsAndIsCreatedByTheFirstWrite) {
    TempDir dir;
    TIniFile ini(dir / "sub-missing.ini");
    EXPECT_EQ(ini.ReadInteger("Common", "Base timeout", 250), 250);
    EXPECT_TRUE(ini.Sections().empty());
    EXPECT_TRUE(ini.WriteInteger("Common", "Base timeout", 100));
    EXPECT_EQ(TIniFile(dir / "sub-missing.ini").ReadInteger("Common", "Base timeout", 250), 100);
}

TEST(IniFile, UnwritableFolderReportsFailureAndLeavesNoFile) {
    TIniFile ini("/nonexistent-folder/x.ini");
    EXPECT_FALSE(ini.WriteString("a", "b", "c"));
}

TEST(IniFile, WritesLeaveNoTemporaryFilesAndKeepThePermissions) {
    TempDir dir;
    const std::string path = dir / "p.ini";
    orv::test::WriteText(path, "[a]\nb=1\n");
    ::chmod(path.c_str(), 0640);
    TIniFile ini(path);
    ASSERT_TRUE(ini.WriteString("a", "c", "2"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
    EXPECT_EQ(entries, 1);
}

// Two processes write different keys of the same file at the same time; no key may be lost.
TEST(IniFile, ConcurrentWritersInTwoProcessesLoseNoKey) {
    TempDir dir;
    const std::string path = dir / "shared.ini";
    constexpr int kKeys = 150;
    pid_t children[2];
    for (int p = 0; p < 2; ++p) {
        children[p] = ::fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0) {
            TIniFile ini(path);
            bool ok = true;
            for (int k = 0; k < kKeys; ++k)
                ok = ini.WriteInteger(p == 0 ? "First" : "Second", "Key" + std::to_string(k), k) &&
                     ok;
            ::_exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto doc = TIniFile(path).Read();
    for (const char* section : {"First", "Second"}) {
        EXPECT_EQ(doc.Keys(section).size(), static_cast<size_t>(kKeys)) << section;
        for (int k = 0; k < kKeys; ++k)
            EXPECT_EQ(doc.ReadInteger(section, "Key" + std::to_string(k), -1), k) << section << k;
    }
}

// A writer that dies half-way leaves the previous file intact.
TEST(IniFile, AWriterKilledMidWriteLeavesThePreviousFile) {
    TempDir dir;
    const std::string path = dir / "crash.ini";
    TIniFile(path).WriteString("Keep", "me", "yes");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TIniFile(path).Update([](TIniDocument& doc) {
            doc.WriteString("Keep", "me", "changed");
            ::_exit(3); // dies before the file is replaced
        });
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(TIniFile(path).ReadString("Keep", "me", ""), "yes");
    EXPECT_TRUE(TIniFile(path).WriteString("Keep", "other", "1"))
        << "the lock died with the writer";
}
