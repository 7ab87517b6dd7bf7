// Reading the system's files: lines of "key: value" texts and a file kept open between reads.
#include "modules/common/LineFields.h"
#include "modules/common/SourceFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orv;
using orv::test::TempDir;
using orv::test::WriteText;

TEST(LineFields, FindsTheFirstLineOfAKey) {
    constexpr std::string_view meminfo = "MemTotal:  2048 kB\nMemFree:\t  12 kB\nMemTotal: 1 kB";
    EXPECT_EQ(LineField(meminfo, "MemTotal", ':'), "2048 kB");
    EXPECT_EQ(LineField(meminfo, "MemFree", ':'), "12 kB");
    EXPECT_EQ(LineField(meminfo, "Mem", ':'), std::nullopt) << "the whole key";
    EXPECT_EQ(LineField("model name\t: AMD EPYC\n", "model name", ':'), "AMD EPYC");
    EXPECT_EQ(LineField("ID=debian\nNAME=\"Debian\"", "NAME", '='), "\"Debian\"");
    EXPECT_EQ(LineField("", "x", '='), std::nullopt);

    EXPECT_EQ(LeadingNumber("2048 kB"), 2048u);
    EXPECT_EQ(LeadingNumber("18446744073709551615"), UINT64_MAX);
    EXPECT_EQ(LeadingNumber("18446744073709551616"), std::nullopt) << "beyond 64 bits";
    EXPECT_EQ(LeadingNumber(" 1"), std::nullopt);
    EXPECT_EQ(LeadingNumber(""), std::nullopt);
}

TEST(SourceFile, ReadsTheWholeFileAfreshFromItsStart) {
    TempDir dir;
    const std::string path = dir / "stat";
    TSourceFile file(path);
    EXPECT_FALSE(file.Read()) << "not there yet";
    EXPECT_EQ(file.Text(), "");

    const std::string big(10000, 'x');
    WriteText(path, big);
    ASSERT_TRUE(file.Read()) << "looked for again";
    EXPECT_EQ(file.Text(), big) << "more than one buffer";
    WriteText(path, "short");
    ASSERT_TRUE(file.Read());
    EXPECT_EQ(file.Text(), "short");
    EXPECT_TRUE(file.Changed()) << "a file outside /proc cannot report changes";

    ASSERT_TRUE(file.ReadIfOlder(1000, 100));
    WriteText(path, "newer");
    EXPECT_TRUE(file.ReadIfOlder(1100, 100));
    EXPECT_EQ(file.Text(), "short") << "the copy is 100 ms old";
    EXPECT_TRUE(file.ReadIfOlder(1101, 100));
    EXPECT_EQ(file.Text(), "newer");
    EXPECT_TRUE(file.ReadIfOlder(50, 100));
    EXPECT_EQ(file.Text(), "newer") << "a clock that went back";
}

TEST(SourceFile, GeneratedFilesOfProc) {
    TSourceFile stat("/proc/self/stat");
    ASSERT_TRUE(stat.Read());
    EXPECT_GT(stat.Text().size(), 10u) << "a size of 0 does not stop the read";

    TSourceFile mounts("/proc/self/mounts");
    EXPECT_TRUE(mounts.Changed()) << "never read";
    ASSERT_TRUE(mounts.Read());
    EXPECT_FALSE(mounts.Text().empty());
    // Another program may mount something meanwhile: a few reads find a quiet moment.
    bool quiet = false;
    for (int attempt = 0; attempt < 5 && !quiet; ++attempt) {
        quiet = !mounts.Changed();
        if (!quiet) {
            ASSERT_TRUE(mounts.Read());
        }
    }
    EXPECT_TRUE(quiet) << "a read clears the change";
}
