#include "host/modulehost/HostMessages.h"

#include "host/Cp1251.h"
#include "host/modulehost/ErrorReport.h"
#include "tests/host/modulehost/TestSupport.h"

#include <gtest/gtest.h>

namespace orv::test {
namespace {

TEST(HostMessages, BuiltInTextsTranslationAndTemplate) {
    ResetMessages();
    EXPECT_EQ(MessageKey(1), "9_00001");
    EXPECT_EQ(MessageKey(19), "9_00019");
    EXPECT_EQ(Message(msgErrorCaption), "Ошибка"_cp1251);
    EXPECT_EQ(Message(msgScreenSaverInitError), "Ошибка при иницализации screensaver-модуля!"_cp1251);
    EXPECT_EQ(Message(msgNewScreenPrefix), "экран "_cp1251);
    EXPECT_EQ(Message(0), "");
    EXPECT_EQ(Message(20), "");

    const auto file = TIniDocument::Parse("[EN]\n9_00010=Error\n9_00017=Turn off\n");
    ApplyMessages(file, "");
    EXPECT_EQ(Message(msgErrorCaption), "Ошибка"_cp1251);
    ApplyMessages(file, "EN");
    EXPECT_EQ(Message(msgErrorCaption), "Error");
    EXPECT_EQ(Message(msgTurnOff), "Turn off");
    EXPECT_EQ(Message(msgTurnOn), "Подключить"_cp1251); // absent key keeps its text

    TIniDocument out;
    WriteMessagesTemplate(out);
    EXPECT_EQ(out.Keys("RU").size(), 19u);
    EXPECT_EQ(out.ReadString("RU", "9_00010", ""), "Error");
    ResetMessages();
    EXPECT_EQ(BuiltInMessage(msgTurnOff), "Отключить"_cp1251);
    EXPECT_EQ(Message(msgTurnOff), "Отключить"_cp1251);
}

TEST(HostMessages, ErrorsGoToTheProgramsMessageBoxWithTheTranslatedCaption) {
    ClearShownMessages();
    ReportError("text");
    SetMessage(msgErrorCaption, "Error");
    ReportError("other");
    ResetMessages();
    const auto shown = ShownMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].Caption, "Ошибка"_cp1251);
    EXPECT_EQ(shown[0].Flags, mbError);
    EXPECT_EQ(shown[1].Text, "other");
    EXPECT_EQ(shown[1].Caption, "Error");
}

} // namespace
} // namespace orv::test
