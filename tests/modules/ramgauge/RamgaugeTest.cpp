// ramgauge as the host sees it: the built library, its descriptor, and its answers for a fake
// /proc/meminfo; then against the real one.
#include "base/Cp1251.h"
#include "modules/common/LineFields.h"
#include "tests/support/ModuleOnFakeTree.h"

#include <gtest/gtest.h>

using namespace orv;
using orv::test::TBuiltModule;
using orv::test::TModuleOnFakeTree;

namespace {

enum : int32_t { tagMemPSize, tagMemPFree, tagMemVSize, tagMemVFree, tagMemUsing };

class Ramgauge : public ::testing::Test, public TModuleOnFakeTree {
protected:
    Ramgauge() : TModuleOnFakeTree("ramgauge.so") {}
    void SetUp() override {
        ASSERT_TRUE(Ready());
        LoadSettings();
        At(1000);
    }
    // A fake /proc/meminfo seen from a moment later than the last copy.
    void Meminfo(const std::string& text) {
        tree.Write("/proc/meminfo", text);
        At(now += 1000);
    }
    uint64_t now = 1000;
};

} // namespace

TEST_F(Ramgauge, DescriptorListsFiveTags) {
    const TPluginDescriptor& d = module.Descriptor();
    EXPECT_STREQ(d.Name, "Memory info");
    EXPECT_EQ(Cp1251ToUtf8(d.Description)
                  .rfind("Вывод информации об оперативной памяти компьютера\r\r", 0),
              0u);
    EXPECT_EQ(d.Id, 5);
    EXPECT_EQ(d.TagCount, 5);
    EXPECT_EQ(Cp1251ToUtf8(d.GroupCaption), "Память");
    EXPECT_EQ(Cp1251ToUtf8(d.TagHints[0]), "Вывод информации об использовании памяти компьютера");
    EXPECT_EQ(
        TBuiltModule::Texts(d.TagNames),
        TBuiltModule::Sixteen({"$memPSize", "$memPFree", "$memVSize", "$memVFree", "$memUsing"}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagCaptions),
              TBuiltModule::Sixteen({"физической всего", "физической свободно", "виртуальной всего",
                                     "виртуальной свободно", "использование памяти"}));
    EXPECT_EQ(TBuiltModule::Texts(d.TagExamples),
              TBuiltModule::Sixteen({"$memPSize$", "$memPFree$", "$memVSize$", "$memVFree$",
                                     "$memUsing[,,10,2,bar]$"}));
    EXPECT_EQ(Cp1251ToUtf8(d.TagHints[5]), "Выводит % использования памяти компьютера");
    EXPECT_STREQ(d.TagHints[6], "");
    EXPECT_TRUE(d.GetValue && d.LoadSettings);
    EXPECT_FALSE(d.Configure || d.Finalize);
}

TEST_F(Ramgauge, AmountsInBinaryStepsAndTheLoadInPercent) {
    Meminfo("MemTotal:        3145728 kB\nMemFree:          100000 kB\n"
            "MemAvailable:    1048576 kB\nBuffers:           20000 kB\n"
            "SwapTotal:       2097152 kB\nSwapFree:            1000 kB\n");
    EXPECT_EQ(Value(tagMemPSize), "3.00 Gb") << "3221225472 bytes, not cut to 32 bits";
    EXPECT_EQ(Value(tagMemPFree), "1024.00 Mb") << "the mega range includes 1 GiB";
    EXPECT_EQ(Value(tagMemVSize), "2.00 Gb");
    EXPECT_EQ(Value(tagMemVFree), "1000.00 kb");
    EXPECT_EQ(Value(tagMemUsing), "67") << "2 GiB of 3 in use";

    Meminfo("MemTotal:  1000 kB\nMemFree:  1 kB\nBuffers:  2 kB\nCached:  3 kB\n");
    EXPECT_EQ(Value(tagMemPFree), "6.00 kb") << "an old kernel without MemAvailable";
    EXPECT_EQ(Value(tagMemVSize), "0 b") << "no swap";
    EXPECT_EQ(Value(tagMemUsing), "99");
}

TEST_F(Ramgauge, UnreadableOrStrangeMeminfoShowsZeros) {
    EXPECT_EQ(Value(tagMemPSize), "0 b");
    EXPECT_EQ(Value(tagMemUsing), "0");
    Meminfo("MemTotal: lots\nMemAvailable: 99999999999999999999999 kB\nSwapFree: 5 kB\n");
    EXPECT_EQ(Value(tagMemPSize), "0 b");
    EXPECT_EQ(Value(tagMemPFree), "0 b");
    EXPECT_EQ(Value(tagMemVFree), "0 b") << "never more free swap than swap";
    EXPECT_EQ(Value(tagMemUsing), "0");
}

TEST_F(Ramgauge, OneCopyServesTheTagsOfATick) {
    Meminfo("MemTotal: 1048576 kB\nMemAvailable: 524288 kB\n");
    ASSERT_EQ(Value(tagMemUsing), "50");
    tree.Write("/proc/meminfo", "MemTotal: 1048576 kB\nMemAvailable: 262144 kB\n");
    At(now + 100);
    EXPECT_EQ(Value(tagMemUsing), "50") << "the copy is 100 ms old";
    At(now + 101);
    EXPECT_EQ(Value(tagMemUsing), "75");
}

TEST_F(Ramgauge, UnitWordsAndTheDecimalSeparatorComeFromLoadSettings) {
    Meminfo("MemTotal: 1536 kB\n");
    Settings(Utf8ToCp1251("[Shortcuts]\nMega=М\nByte=Б\n"));
    EXPECT_EQ(Value(tagMemPSize), "1.50 Mb");
    LoadSettings();
    EXPECT_EQ(Cp1251ToUtf8(Value(tagMemPSize)), "1.50 МБ");
}

TEST_F(Ramgauge, MinusOneClearsAndUnknownIndexesKeepThePreviousText) {
    Meminfo("MemTotal: 1536 kB\n");
    ASSERT_EQ(Value(tagMemPSize), "1.50 Mb");
    EXPECT_EQ(Value(7), "1.50 Mb");
    EXPECT_EQ(Value(5), "1.50 Mb");
    EXPECT_EQ(Value(-2), "1.50 Mb");
    EXPECT_EQ(Value(-1), "");
}

TEST_F(Ramgauge, TotalAgreesWithTheRealMeminfo) {
    UseMachineTree();
    const std::string meminfo = orv::test::ReadText("/proc/meminfo");
    const auto kb = LeadingNumber(LineField(meminfo, "MemTotal", ':').value_or(""));
    ASSERT_TRUE(kb);
    const std::string text = Value(tagMemPSize);
    const double shown = std::stod(text);
    const std::string unit = text.substr(text.find(' ') + 1);
    const double scale = unit == "Gb" ? 1 << 20 : unit == "Mb" ? 1 << 10 : unit == "kb" ? 1 : 0;
    ASSERT_GT(scale, 0) << text;
    EXPECT_NEAR(shown, static_cast<double>(*kb) / scale, 0.005) << text;
    const int load = std::stoi(Value(tagMemUsing));
    EXPECT_TRUE(load >= 0 && load <= 100) << load;
}
