#include "host/ProgramMessages.h"

#include "base/Cp1251.h"
#include "base/LanguageFile.h"
#include "host/modulehost/ErrorReport.h"
#include "tests/host/modulehost/TestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace orv::test {
namespace {

TEST(ProgramMessages, BuiltInTextsTranslationAndTemplate) {
    TProgramMessages messages;
    EXPECT_EQ(MessageKey(1), "9_00001");
    EXPECT_EQ(MessageKey(19), "9_00019");
    EXPECT_EQ(MessageIdOfKey("9_00019"), msgNewScreenPrefix);
    EXPECT_EQ(MessageIdOfKey(MessageKey(kLastMessage + 1)), 0);
    EXPECT_EQ(messages.Text(msgErrorCaption), "Ошибка"_cp1251);
    EXPECT_EQ(messages.Text("9_00016"), "Ошибка при иницализации screensaver-модуля!"_cp1251);
    EXPECT_EQ(messages.Text(msgNewScreenPrefix), "экран "_cp1251);
    EXPECT_EQ(messages.Text(0), "");
    EXPECT_EQ(messages.Text(kLastMessage + 1), "");

    const auto file = TIniDocument::Parse("[EN]\n9_00010=Error\n9_00017=Turn off\n");
    messages.Apply(file, "");
    EXPECT_EQ(messages.Text(msgErrorCaption), "Ошибка"_cp1251);
    messages.Apply(file, "EN");
    EXPECT_EQ(messages.Text(msgErrorCaption), "Error");
    EXPECT_EQ(messages.Text(msgTurnOff), "Turn off");
    EXPECT_EQ(messages.Text(msgTurnOn), "Подключить"_cp1251); // absent key keeps its text

    TIniDocument out;
    messages.WriteTemplate(out);
    EXPECT_EQ(out.Keys("RU").size(), static_cast<size_t>(kLastMessage));
    EXPECT_EQ(out.ReadString("RU", "9_00010", ""), "Error");
    messages.Reset();
    EXPECT_EQ(messages.Text(msgTurnOff), "Отключить"_cp1251);
}

TEST(ProgramMessages, FileTemplateKeepsTheWindowTextsAndAppliesBack) {
    TempDir dir;
    const std::string path = dir.Path() + "/Orvanta3.lng";
    TProgramMessages messages;
    messages.Apply(path, "RU"); // no file: nothing happens
    EXPECT_EQ(messages.Text(msgModules), "Модули"_cp1251);

    { std::ofstream(path) << "[RU]\n1_20001=window text\n"; }
    ASSERT_TRUE(messages.WriteTemplate(path));
    EXPECT_EQ(TIniFile(path).ReadString("RU", "1_20001", ""), "window text");
    EXPECT_EQ(TIniFile(path).ReadString("RU", "9_00006", ""), "Модули"_cp1251);
    EXPECT_EQ(LanguageNames(path), std::vector<std::string>{"RU"});
    TProgramMessages readBack; // the template gives the built-in texts back, blanks included
    readBack.Set(msgSavedAs, "x");
    readBack.Set(msgNewScreenPrefix, "y");
    readBack.Apply(path, "RU");
    EXPECT_EQ(readBack.Text(msgSavedAs), "как "_cp1251);
    EXPECT_EQ(readBack.Text(msgNewScreenPrefix), "экран "_cp1251);

    TIniFile(path).WriteString("English", "9_00006", "Modules");
    EXPECT_EQ(LanguageNames(path), (std::vector<std::string>{"RU", "English"}));
    messages.Apply(path, "English");
    EXPECT_EQ(messages.Text(msgModules), "Modules");
    EXPECT_EQ(messages.Text(msgTurnOn), "Подключить"_cp1251);
    EXPECT_TRUE(LanguageNames(dir.Path() + "/missing.lng").empty());
}

TEST(ProgramMessages, ShippedEnglishTranslatesEveryMessage) {
    const std::string path = ORVANTA3_OUTPUT_DIR "/Orvanta3.lng";
    const auto languages = LanguageNames(path);
    ASSERT_NE(std::find(languages.begin(), languages.end(), "English"), languages.end());
    const TProgramMessages builtIn;
    TProgramMessages messages;
    messages.Apply(path, "English");
    for (int id = kFirstMessage; id <= kLastMessage; ++id)
        EXPECT_NE(messages.Text(id), builtIn.Text(id)) << MessageKey(id);
    EXPECT_EQ(messages.Text(msgSavedAs), "as ");
}

TEST(ProgramMessages, ErrorsGoToTheProgramsMessageBoxWithTheTranslatedCaption) {
    ClearShownMessages();
    ReportError("text");
    ProgramMessages().Set(msgErrorCaption, "Error");
    ReportError("other");
    ProgramMessages().Reset();
    const auto shown = ShownMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].Caption, "Ошибка"_cp1251);
    EXPECT_EQ(shown[0].Flags, mbError);
    EXPECT_EQ(shown[1].Text, "other");
    EXPECT_EQ(shown[1].Caption, "Error");
}

} // namespace
} // namespace orv::test
