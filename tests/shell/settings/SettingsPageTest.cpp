// The settings page over a real program core: what the pages save reads back into the same
// controls after a restart, modules turned on and off through the host, and a bad value that
// must not reach the file.
#include "host/Autostart.h"
#include "host/SettingKeys.h"
#include "host/Settings.h"
#include "base/ui/WindowLanguage.h"
#include "shell/settings/ColourButton.h"
#include "base/ui/NamedControl.h"
#include "tests/shell/settings/PageRig.h"
#include "tests/support/MessageCapture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <map>
#include <set>

using namespace orv;
using namespace orv::test;

namespace {

// Internal parts of compound controls (the line edit of a spin box) are not controls of their
// own.
bool IsPageControl(const QWidget& widget) {
    return !widget.objectName().isEmpty() && !widget.objectName().startsWith("qt_");
}

// What every control of the page shows, by control name. The glyph list adds the mask text of
// every glyph, the bar mapping the checked choice of every piece of both sets.
std::map<std::string, std::string> Shown(QWidget& page) {
    std::map<QString, QString> shown;
    for (QWidget* w : page.findChildren<QWidget*>()) {
        if (!IsPageControl(*w)) continue;
        const QString name = w->objectName();
        if (auto* c = qobject_cast<QCheckBox*>(w))
            shown[name] = c->isChecked() ? "on" : "off";
        else if (auto* e = qobject_cast<QLineEdit*>(w); e && name != "edCustomCharMask")
            shown[name] = e->text();
        else if (auto* s = qobject_cast<QSpinBox*>(w))
            shown[name] = QString::number(s->value());
        else if (auto* t = qobject_cast<QSlider*>(w))
            shown[name] = QString::number(t->value());
        else if (const auto colour = ButtonColour(*w))
            shown[name] = QString::number(*colour);
        else if (auto* x = qobject_cast<QComboBox*>(w); x && name != "cbMappingSet")
            shown[name] = x->currentText();
    }
    auto& glyphs = Child<QListWidget>(page, "lbCustomChars");
    for (int row = 0; row < glyphs.count(); ++row) {
        glyphs.setCurrentRow(row);
        shown["glyph " + glyphs.item(row)->text()] =
            Child<QLineEdit>(page, "edCustomCharMask").text();
    }
    auto& set = Child<QComboBox>(page, "cbMappingSet");
    for (int s = 0; s < set.count(); ++s) {
        set.setCurrentIndex(s);
        for (int k = 0; k < 8; ++k) {
            auto& piece = Child<QToolButton>(page, QString("btnMapping%1").arg(k).toUtf8());
            for (QAction* choice : piece.menu()->actions())
                if (choice->isChecked())
                    shown[set.currentText() + piece.toolTip()] = choice->text();
        }
    }
    std::map<std::string, std::string> text;
    for (const auto& [name, value] : shown) text[name.toStdString()] = value.toStdString();
    return text;
}

// Gives every plain control of the page a value other than the one it shows.
void ChangeEveryControl(QWidget& page) {
    int n = 0;
    for (QWidget* w : page.findChildren<QWidget*>()) {
        if (!IsPageControl(*w)) continue;
        ++n;
        const QString name = w->objectName();
        if (auto* c = qobject_cast<QCheckBox*>(w)) {
            c->setChecked(!c->isChecked());
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (name == "edProxyPort")
                e->setText("3128");
            else if (name != "edCustomCharMask")
                e->setText(QString::fromUtf8("текст %1").arg(n));
        } else if (auto* s = qobject_cast<QSpinBox*>(w)) {
            s->setValue(s->value() == s->minimum() + 1 ? s->minimum() + 2 : s->minimum() + 1);
        } else if (auto* t = qobject_cast<QSlider*>(w)) {
            t->setValue(t->value() == t->maximum() ? t->maximum() - 1 : t->maximum());
        } else if (ButtonColour(*w)) {
            SetButtonColour(static_cast<QPushButton&>(*w), 0x102030 * n);
        } else if (auto* x = qobject_cast<QComboBox*>(w); x && x->isEditable()) {
            x->setEditText(QString::fromUtf8("ед%1").arg(n));
        } else if (x && name == "cbLanguage") {
            x->setCurrentIndex(x->count() - 1); // the build tree's Orvanta3.lng offers one
        }
    }
}

} // namespace

using SettingsPage = TPageRig;

TEST_F(SettingsPage, WhatEveryPageSavesShowsAgainAfterARestart) {
    Start();
    ChangeEveryControl(*page);
    // A glyph of its own, drawn on the matrix; a bar glyph changed through its mask text; one
    // bar piece mapped to another character.
    WhileModal([&] { Click("btnNewCustomChar"); },
               [](QWidget& dialog) {
                   auto& input = dynamic_cast<QInputDialog&>(dialog);
                   input.setTextValue(QString::fromUtf8("стрелка"));
                   input.accept();
               });
    Control<QToolButton>("btnMatrix13").click();
    Control<QToolButton>("btnMatrix82").click();
    EXPECT_EQ(Control<QLineEdit>("edCustomCharMask").text(), "x04;x00;x00;x00;x00;x00;x00;x08");
    Click("btnApplyCustomChar");
    Control<QListWidget>("lbCustomChars").setCurrentRow(3);
    auto& mask = Control<QLineEdit>("edCustomCharMask");
    mask.setText("x1F;x00;x1F;x00;x1F;x00;x1F;x00");
    // As Return does; a key event would leave Qt a keyboard device that crashes the static
    // application's destruction at exit.
    emit mask.editingFinished();
    Click("btnApplyCustomChar");
    Control<QToolButton>("btnMapping2").menu()->actions().at(5)->trigger();
    // A data module turned on.
    const size_t chronos = SelectModule("chronos.so");
    Click("btnTurn");
    ASSERT_TRUE(core->Host().Module(chronos).Active);

    const auto shown = Shown(*page);
    QSignalSpy saved(page.get(), &TSettingsPage::Saved);
    page->Save();
    EXPECT_EQ(saved.count(), 1);
    Stop();

    EXPECT_TRUE(std::filesystem::exists(AutostartEntryPath())) << "autostart was ticked";
    Start();
    EXPECT_EQ(Shown(*page), shown);
    // The controls showed values of the file, not their own: every key the save writes left its
    // default.
    for (const TSettingKey& key : SettingKeys()) {
        if (key.Write == TSettingWrite::Save) {
            EXPECT_NE(SettingValue(key, core->Settings()), SettingDefault(key)) << key.Key;
        }
    }
    EXPECT_TRUE(core->Host().Module(SelectModule("chronos.so")).Active);
}

TEST_F(SettingsPage, TurnsModulesOnAndOffThroughTheHostAndOpensTheirDialogs) {
    Start();
    const size_t index = SelectModule("sensorlink.so");
    auto& turn = Control<QPushButton>("btnTurn");
    auto& configButton = Control<QPushButton>("btnConfig");
    EXPECT_EQ(turn.text(), QString::fromUtf8("Подключить"));
    EXPECT_FALSE(configButton.isEnabled()) << "a module that is off has no settings to open";

    turn.click();
    EXPECT_NE(core->Host().Module(index).DataModule(), nullptr) << "loaded at once";
    EXPECT_EQ(turn.text(), QString::fromUtf8("Отключить"));
    EXPECT_EQ(Control<QListWidget>("lbPlugins").currentItem()->data(Qt::UserRole).value<size_t>(),
              index)
        << "the row stays selected";
    ASSERT_TRUE(configButton.isEnabled());
    WhileModal([&] { configButton.click(); },
               [](QWidget& dialog) { Child<QPushButton>(dialog, "btnClose").click(); });

    page->Save();
    EXPECT_TRUE(ReadModuleActive(SettingsFile(), "sensorlink.so"));
    turn.click();
    EXPECT_FALSE(core->Host().Module(index).Loaded());
    EXPECT_EQ(turn.text(), QString::fromUtf8("Подключить"));
    EXPECT_TRUE(ReadModuleActive(SettingsFile(), "sensorlink.so")) << "written only by a save";
    page->Save();
    EXPECT_FALSE(ReadModuleActive(SettingsFile(), "sensorlink.so"));
}

// Every module's name fits in the list, in bold as a module that is on shows it.
TEST_F(SettingsPage, TheModuleListIsWideEnoughForEveryName) {
    Start();
    SelectModule("sensorlink.so"); // fills the list
    auto& list = Control<QListWidget>("lbPlugins");
    page->resize(700, 400);
    page->show();
    QTest::qWait(20);
    ASSERT_GT(list.count(), 3);
    for (int row = 0; row < list.count(); ++row) {
        QFont bold = list.font();
        bold.setBold(true);
        const int needed = 16 + QFontMetrics(bold).horizontalAdvance(list.item(row)->text());
        EXPECT_LE(needed, list.viewport()->width()) << list.item(row)->text().toStdString();
    }
}

TEST_F(SettingsPage, APortThatIsNotANumberStopsTheSaveBeforeAnythingChanges) {
    Start();
    const std::string file = ReadText(SettingsFile());
    const TSettingsValues running = core->Settings();
    ChangeEveryControl(*page);
    Control<QLineEdit>("edProxyPort").setText("80a");
    QSignalSpy saved(page.get(), &TSettingsPage::Saved);
    ClearShownMessages();

    page->Save();
    EXPECT_EQ(ReadText(SettingsFile()), file);
    EXPECT_EQ(static_cast<const TSettingsValues&>(core->Settings()), running);
    EXPECT_FALSE(std::filesystem::exists(AutostartEntryPath()));
    EXPECT_EQ(saved.count(), 0);
    ASSERT_EQ(ShownMessages().size(), 1u);
    EXPECT_NE(ShownMessages()[0].text.find("80a"), std::string::npos);

    Control<QLineEdit>("edProxyPort").setText("70000"); // out of range is no port either
    page->Save();
    EXPECT_EQ(ReadText(SettingsFile()), file);
}

TEST_F(SettingsPage, EveryTextOfThePagesCanBeTranslated) {
    Start();
    // The main window's language walk reaches the page's controls as this one does.
    const std::string lng = docs / "Orvanta3.lng";
    ASSERT_TRUE(WriteWindowLanguageTemplate(*page, "1_", lng));
    const TIniDocument templ = TIniFile(lng).Read();
    std::set<std::string> texts;
    for (const std::string& key : templ.Keys("RU")) texts.insert(*templ.Find("RU", key));

    for (QWidget* w : page->findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(w))
            text = label->text();
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            text = group->title();
        for (const QString& shown : {text, w->toolTip()}) {
            if (!shown.isEmpty()) {
                EXPECT_TRUE(texts.contains(ToCp1251(shown)))
                    << w->objectName().toStdString() << ": " << shown.toStdString();
            }
        }
    }

    // A translation of every text reaches the controls; a track bar shows its label's hint.
    TIniFile(lng).Update([&](TIniDocument& doc) {
        for (const std::string& key : templ.Keys("RU"))
            doc.WriteString("English", key, "EN " + *templ.Find("RU", key));
    });
    ApplyWindowLanguage(*page, "1_", "English", lng);
    EXPECT_TRUE(Control<QCheckBox>("cbAutoLoadJob").text().startsWith("EN "));
    EXPECT_TRUE(Control<QSlider>("tbVertSize").toolTip().startsWith("EN "));
}
