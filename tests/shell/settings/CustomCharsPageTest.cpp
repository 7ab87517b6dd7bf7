// The glyph list of the custom characters page: what may be added and deleted, and what the page
// hands back.
#include "engine/Charsets.h"
#include "host/IniFile.h"
#include "shell/settings/CustomCharsPage.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/ModalDialog.h"

#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

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
        WhileModal([&] { btnDelete.click(); }, [answer](QWidget& box) {
            dynamic_cast<QMessageBox&>(box).button(answer)->click();
        });
    }

    void NewNamed(const char* name) {
        WhileModal([&] { btnNew.click(); }, [name](QWidget& dialog) {
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
