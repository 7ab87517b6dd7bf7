// The glyph list of the custom characters page: what may be added and deleted, and what the page
// hands back.
#include "engine/Charsets.h"
#include "base/IniFile.h"
#include "shell/settings/CustomCharsPage.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/ModalDialog.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::test;

namespace {

struct CustomCharsPage : ::testing::Test {
    QApplication& app = OffscreenApp();
    TCustomCharsPage page;
    QListWidget& list = Child<QListWidget>(page, "lbCustomChars");
    QPushButton& btnNew = Child<QPushButton>(page, "btnNewCustomChar");
    QPushButton& btnDelete = Child<QPushButton>(page, "btnDeleteCustomChar");

    // The table with the named glyphs given after the 24 built-in ones.
    static TCharsets WithNamed(std::initializer_list<std::string> names) {
        TIniDocument doc;
        TCharsets::WriteDefaultsIfEmpty(doc);
        for (const std::string& name : names)
            doc.WriteString("Named chars", name, "$00,$00,$00,$00,$00,$00,$00,$1F");
        TCharsets charsets;
        charsets.LoadFrom(doc);
        return charsets;
    }

    void AnswerDelete(QMessageBox::StandardButton answer) {
        WhileModal(
            [&] { btnDelete.click(); },
            [answer](QWidget& box) { dynamic_cast<QMessageBox&>(box).button(answer)->click(); });
    }

    void NewNamed(const char* name) {
        WhileModal([&] { btnNew.click(); },
                   [name](QWidget& dialog) {
                       auto& input = dynamic_cast<QInputDialog&>(dialog);
                       input.setTextValue(QString::fromUtf8(name));
                       input.accept();
                   });
    }
};

} // namespace

TEST_F(CustomCharsPage, OnlyGlyphsAfterTheThreeBuiltInSetsCanBeDeleted) {
    page.Fill(WithNamed({"arrow", "bell"}));
    list.setCurrentRow(23); // cust_8, the last built-in entry
    EXPECT_FALSE(btnDelete.isEnabled());
    list.setCurrentRow(24);
    ASSERT_TRUE(btnDelete.isEnabled());

    AnswerDelete(QMessageBox::No);
    EXPECT_EQ(list.count(), 26);
    AnswerDelete(QMessageBox::Yes);
    ASSERT_EQ(list.count(), 25);
    EXPECT_EQ(list.item(24)->text(), "bell") << "later entries move down";

    TCharsets taken;
    page.Take(taken);
    EXPECT_EQ(taken.GlyphCount(), 25);
    EXPECT_EQ(taken.FindGlyph("arrow"), 0);
    EXPECT_EQ(taken.FindGlyph("bell"), 25);
}

TEST_F(CustomCharsPage, ANewGlyphNeedsAFreshNameAndRoomInTheTable) {
    page.Fill(WithNamed({}));
    NewNamed("hb_0");
    NewNamed("");
    EXPECT_EQ(list.count(), 24) << "a name in the table or none adds nothing";
    NewNamed("щит");
    ASSERT_EQ(list.count(), 25);
    EXPECT_EQ(list.currentRow(), 24) << "the new glyph is selected";

    TCharsets full = WithNamed({});
    for (int i = 25; i <= kMaxGlyphCount; ++i) full.AddGlyph("g" + std::to_string(i));
    page.Fill(full);
    ClearShownMessages();
    btnNew.click(); // refused before any dialog opens
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_EQ(list.count(), kMaxGlyphCount);
}

TEST_F(CustomCharsPage, TheGlyphIsDrawnInTheCharacterMatrixEditorAndComesBackToBeApplied) {
    page.Fill(WithNamed({"arrow"}));
    list.setCurrentRow(24);
    auto& mask = Child<QLineEdit>(page, "edCustomCharMask");
    auto& btnApply = Child<QPushButton>(page, "btnApplyCustomChar");
    QString shown;
    WhileModal([&] { Child<QPushButton>(page, "btnDrawCustomChar").click(); },
               [&](QWidget& builder) {
                   shown = Child<QLineEdit>(builder, "edMask").text();
                   Child<QToolButton>(builder, "b15").click(); // top row, leftmost dot
                   Child<QPushButton>(builder, "btnOk").click();
               });
    EXPECT_EQ(shown, "'1;x00;x00;x00;x00;x00;x00;x00;x1F'");
    EXPECT_EQ(mask.text(), "x10;x00;x00;x00;x00;x00;x00;x1F");
    ASSERT_TRUE(btnApply.isEnabled());
    btnApply.click();
    TCharsets taken;
    page.Take(taken);
    EXPECT_EQ(taken.Glyph(25)->Rows, (TGlyphRows{0x10, 0, 0, 0, 0, 0, 0, 0x1F}));

    WhileModal([&] { Child<QPushButton>(page, "btnDrawCustomChar").click(); },
               [&](QWidget& builder) {
                   Child<QToolButton>(builder, "btnRevertCustomCharBuilder").click();
                   Child<QPushButton>(builder, "btnCancel").click();
               });
    EXPECT_EQ(mask.text(), "x10;x00;x00;x00;x00;x00;x00;x1F")
        << "a cancelled drawing changes nothing";
}
