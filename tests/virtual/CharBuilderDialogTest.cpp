// The character matrix editor driven as a user would: dots, clear, invert, the number and the
// confirmation; every mask text it gives is read back by the engine's slot-definition command.
#include "engine/TagLanguage.h"
#include "base/Cp1251.h"
#include "tests/engine/EngineFakes.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/ModalDialog.h"
#include "virtual/ui/CharBuilderDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

constexpr char kLetterA[] = "'1;x00;x0E;x11;x11;x1F;x11;x11;x00'";

struct CharBuilder : ::testing::Test {
    QApplication& app = OffscreenApp();
    TfrmCharBuilder builder;

    // The dot of row 1..8 and bit 4 (leftmost) .. 0.
    QToolButton& Dot(int row, int bit) {
        return Child<QToolButton>(builder, qPrintable(QString("b%1%2").arg(row).arg(bit + 1)));
    }
    TGlyphRows Dots() {
        TGlyphRows rows{};
        for (int r = 0; r < 8; ++r)
            for (int bit = 0; bit < 5; ++bit)
                if (Dot(r + 1, bit).isChecked()) rows[r] |= static_cast<uint8_t>(1 << bit);
        return rows;
    }
    QString Text(const char* name) { return Child<QLineEdit>(builder, name).text(); }

    // What the engine defines when a module answers with this mask.
    TRecordingDriver::TDefine EngineReads(const std::string& mask) {
        TFakeCatalogue catalogue;
        TCharsets charsets;
        TRecordingDriver driver;
        charsets.SetDriver(&driver);
        TTagLanguage language{catalogue, charsets};
        TLCDTag tag;
        language.RunCommands(tag, "_MaskChar:" + mask);
        EXPECT_EQ(driver.Defines.size(), 1u) << mask;
        return driver.Defines.empty() ? TRecordingDriver::TDefine{-1, {}} : driver.Defines[0];
    }
    // The mask shows the dots, and the engine reads it into the same rows for the same slot.
    void ExpectMaskOfDots(const char* expected) {
        EXPECT_EQ(builder.MaskText(), expected);
        const auto defined = EngineReads(builder.MaskText());
        EXPECT_EQ(defined.Slot, Text("edNo").toInt() - 1);
        EXPECT_EQ(defined.Rows, Dots()) << expected;
    }
};

} // namespace

TEST_F(CharBuilder, DotsClearAndInvertGiveMaskTextsTheEngineReadsBack) {
    builder.Load(kLetterA);
    EXPECT_EQ(Text("edNo"), "1");
    EXPECT_EQ(Text("r5"), "x1F");
    ExpectMaskOfDots(kLetterA);

    Dot(3, 0).click(); // row 3: x11 -> x10
    Dot(8, 4).click(); // row 8: the leftmost dot
    Dot(1, 2).click(); // row 1: the middle dot
    EXPECT_EQ(Text("r3"), "x10");
    ExpectMaskOfDots("'1;x04;x0E;x10;x11;x1F;x11;x11;x10'");

    Child<QToolButton>(builder, "btnRevertCustomCharBuilder").click();
    ExpectMaskOfDots("'1;x1B;x11;x0F;x0E;x00;x0E;x0E;x0F'");

    Child<QToolButton>(builder, "btnClearCustomCharBuilder").click();
    ExpectMaskOfDots("'1;x00;x00;x00;x00;x00;x00;x00;x00'");
    Child<QToolButton>(builder, "btnRevertCustomCharBuilder").click();
    ExpectMaskOfDots("'1;x1F;x1F;x1F;x1F;x1F;x1F;x1F;x1F'");

    Child<QToolButton>(builder, "btnNumberUp").click();
    Child<QToolButton>(builder, "btnNumberUp").click();
    ExpectMaskOfDots("'3;x1F;x1F;x1F;x1F;x1F;x1F;x1F;x1F'");
}

TEST_F(CharBuilder, WhatTheTextLacksStartsAsNumberOneAndAnEmptyMatrix) {
    builder.Load("");
    EXPECT_EQ(builder.MaskText(), "'1;x00;x00;x00;x00;x00;x00;x00;x00'");
    builder.Load("'7;x1F;x0A'");
    EXPECT_EQ(builder.MaskText(), "'7;x1F;x0A;x00;x00;x00;x00;x00;x00'");
    builder.Load("'0;x01'");
    EXPECT_EQ(Text("edNo"), "1") << "the number stays within 1..8";
    for (int i = 0; i < 10; ++i) Child<QToolButton>(builder, "btnNumberDown").click();
    EXPECT_EQ(Text("edNo"), "1");
}

TEST_F(CharBuilder, OkGivesTheTextBackUnchangedAndRefusesANumberOutside1To8) {
    const char* diamond = "'3;x04;x0E;x1F;x0E;x04;x00;x00;x00'";
    builder.Load(diamond);
    EXPECT_EQ(Text("edNo"), "3");
    EXPECT_EQ(Dots(), (TGlyphRows{0x04, 0x0E, 0x1F, 0x0E, 0x04}));
    int result = -1;
    WhileModal([&] { result = builder.exec(); },
               [](QWidget& dialog) { Child<QPushButton>(dialog, "btnOk").click(); });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(builder.MaskText(), diamond);

    const std::pair<const char*, const char*> refused[] = {
        {"9", "Номер символа должен быть от 1 до 8!"},
        {"0", "Номер символа должен быть от 1 до 8!"},
        {"x", "Надо ввести номер символа от 1 до 8!"},
        {"", "Надо ввести номер символа от 1 до 8!"}};
    for (const auto& [number, message] : refused) {
        ClearShownMessages();
        bool stayedOpen = false;
        WhileModal([&] { result = builder.exec(); },
                   [&](QWidget& dialog) {
                       Child<QLineEdit>(dialog, "edNo").setText(number);
                       Child<QPushButton>(dialog, "btnOk").click();
                       stayedOpen = dialog.isVisible();
                       Child<QPushButton>(dialog, "btnCancel").click();
                   });
        EXPECT_TRUE(stayedOpen) << number;
        EXPECT_EQ(result, QDialog::Rejected);
        ASSERT_EQ(ShownMessages().size(), 1u) << number;
        EXPECT_EQ(Cp1251ToUtf8(ShownMessages()[0].text), message);
    }
}
