// valuetap's pieces without a running source: command lines, JSON pointers on hostile input,
// and the settings as the dialog record carries them.
#include "modules/valuetap/SourceText.h"
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "modules/valuetap/CommandRun.h"
#include "modules/valuetap/TapDialogRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace orv;

namespace {

using TWords = std::vector<std::string>;

TEST(ValueTapText, CommandLinesSplitWithoutAShell) {
    EXPECT_EQ(SplitCommandLine("  df  -h\t/ "), TWords({"df", "-h", "/"}));
    EXPECT_EQ(SplitCommandLine(R"(sh -c 'echo $HOME; ls' "a \"b\" \\c" d\ e '')"),
              TWords({"sh", "-c", "echo $HOME; ls", "a \"b\" \\c", "d e", ""}));
    EXPECT_EQ(SplitCommandLine("echo 'open"), std::nullopt);
    EXPECT_EQ(SplitCommandLine("echo \"open\\\""), std::nullopt);
    EXPECT_EQ(SplitCommandLine(""), TWords{});
}

TEST(ValueTapText, PointersLinesAndFieldsOnHostileInput) {
    EXPECT_EQ(PickJson(R"({"a":[1,{"b":null}],"c":{"d":"x"}})", "/a/1"), R"({"b":null})");
    EXPECT_EQ(PickJson(R"({"a":[1,2]})", "/a/5"), std::nullopt);
    EXPECT_EQ(PickJson(R"({"a":1})", "a"), std::nullopt) << "not a pointer";
    EXPECT_EQ(PickJson(R"({"a":1)", "/a"), std::nullopt) << "cut short";
    EXPECT_EQ(PickJson(std::string(100000, '[') + std::string(100000, ']'), "/0"), std::nullopt)
        << "deep nesting is refused, not recursed into";
    EXPECT_EQ(PickJson(R"({"s":"[[[[{{{"})", "/s"), "[[[[{{{") << "brackets inside strings";

    EXPECT_EQ(PickLine("a\r\nb c\n", 2, 2), "c");
    EXPECT_EQ(PickLine("a\n", 3, 0), "");
    EXPECT_EQ(PickLine("  x   y ", 1, 2), "y");
    EXPECT_EQ(PickLine("x", 1, 3), "");

    TSourceDef source;
    source.Pointer = "/v";
    source.Field = 2;
    EXPECT_EQ(SourceValueText(source, R"({"v":"\u0441\u0435\u0442\u044c 42 _MaskChar:1"})"),
              Utf8ToCp1251("42"));
    source.Field = 3;
    EXPECT_EQ(SourceValueText(source, R"({"v":"a b _MaskChar:1;x1F"})"), "_MaskChar:1;x1F")
        << "text as it came; the module answers it marked as outside text";
}

TEST(ValueTapText, DialogRecordKeepsTheSettingsAndDropsWhatCannotRun) {
    TIniDocument ini = TIniDocument::Parse(
        "[valuetap.so]\nActive=1\nSource2 kind=file\nSource2 file=/proc/loadavg\nSource2 "
        "field=1\nSource2 period=0\nSource5 kind=command\nSource5 name=backup\nSource5 "
        "command=backup-status --short\nSource5 max bytes=999999999\nSource7 kind=nonsense\n"
        "Source7 command=rm -rf /\nSource8 kind=mqtt\nSource9 kind=mqtt\nSource9 topic=a/#\n"
        "MQTT host=broker\nMQTT port=99999\nMQTT user=me\n");
    TValueTapSettings settings = ReadValueTapSettings(ini);
    ASSERT_EQ(settings.Sources.size(), 3u) << "no kind, or no target: not a source";
    EXPECT_EQ(settings.Sources[0].PeriodSec, 1) << "bounded";
    EXPECT_EQ(settings.Sources[1].MaxBytes, kMaxSourceBytes);
    EXPECT_EQ(settings.Broker.Port, 1883);
    EXPECT_EQ(FindSource(settings.Sources, "BACKUP"), &settings.Sources[1]);
    EXPECT_EQ(FindSource(settings.Sources, "7"), nullptr);

    settings.Broker.Password = "pa ss ";
    auto data = std::make_unique<TValueTapDialogData>();
    ToDialogData(settings, *data);
    ASSERT_EQ(data->SourceCount, 3);
    data->Sources[data->SourceCount] = data->Sources[0]; // the same number twice
    data->Sources[data->SourceCount++].Target[0] = 'X';
    std::strcpy(data->Sources[0].Kind, "shell"); // an unknown kind
    TValueTapSettings back;
    FromDialogData(*data, back);
    ASSERT_EQ(back.Sources.size(), 3u);
    EXPECT_EQ(back.Sources[0].Target[0], 'X') << "source 2 came back once, from its second entry";
    EXPECT_EQ(back.Sources[1].Name, "backup");

    WriteValueTapSettings(ini, back);
    EXPECT_EQ(ini.ReadString("valuetap.so", "Active", ""), "1") << "other keys stay";
    EXPECT_FALSE(ini.Find("valuetap.so", "Source7 command")) << "old source keys go";
    EXPECT_NE(ini.ReadString("valuetap.so", "MQTT pass", ""), "pa ss ") << "stored scrambled";
    const TValueTapSettings reread = ReadValueTapSettings(TIniDocument::Parse(ini.Serialize()));
    EXPECT_EQ(reread.Broker.Password, "pa ss ");
    EXPECT_EQ(reread.Sources.size(), 3u);
    EXPECT_EQ(reread.Sources[2].Target, "a/#");
}

} // namespace
