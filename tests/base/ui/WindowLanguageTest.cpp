#include "base/ui/WindowLanguage.h"

#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace orv::test {
namespace {

// A window with one control of every kind, built top-down as the program's windows are.
struct TSampleWindow {
    QApplication& app = OffscreenApp(); // before the first widget
    QDialog window;
    QCheckBox* cbFirst;
    QLabel* label;
    QLineEdit* edPlain;
    QLabel* attached;
    QLineEdit* edLabeled;
    QToolButton* tool;
    QPushButton* btnPush;
    QGroupBox* group;
    QCheckBox* cbInGroup;
    QComboBox* combo;
    QMenu* menu;
    QAction* mnItem;
    QMenu* subMenu;
    QComboBox* choices; // items that are window texts
    TRunTimeText* answer;

    TSampleWindow() {
        window.setWindowTitle("Окно");
        auto* layout = new QVBoxLayout(&window);
        cbFirst = new QCheckBox("Флажок", &window);
        cbFirst->setToolTip("Подсказка флажка");
        label = new QLabel("Надпись", &window);
        edPlain = new QLineEdit("value", &window);
        edPlain->setToolTip("Поле");
        attached = new QLabel("Имя:", &window);
        edLabeled = new QLineEdit(&window);
        attached->setBuddy(edLabeled);
        tool = new QToolButton(&window);
        tool->setToolTip("Инструмент");
        btnPush = new QPushButton("Посмотреть", &window);
        group = new QGroupBox("Группа", &window);
        cbInGroup = new QCheckBox("Внутри", group);
        combo = new QComboBox(&window);
        combo->addItems({"one", "two"});
        combo->setToolTip("Список");
        menu = new QMenu(&window);
        mnItem = menu->addAction("Следующий");
        mnItem->setToolTip("Следующий экран");
        subMenu = menu->addMenu("Экран");
        choices = new QComboBox(&window);
        choices->addItems({"первый", "второй"});
        TranslateItems(*choices);
        for (QWidget* w : {static_cast<QWidget*>(cbFirst), static_cast<QWidget*>(label),
                           static_cast<QWidget*>(edPlain), static_cast<QWidget*>(attached),
                           static_cast<QWidget*>(edLabeled), static_cast<QWidget*>(tool),
                           static_cast<QWidget*>(btnPush), static_cast<QWidget*>(group),
                           static_cast<QWidget*>(combo)})
            layout->addWidget(w);
        answer = new TRunTimeText(window, "Ответ: ");
    }

    // Every text that a language can change, in one list.
    QStringList Texts() const {
        return {window.windowTitle(), cbFirst->text(),   cbFirst->toolTip(), label->text(),
                edPlain->toolTip(),   attached->text(),  tool->toolTip(),    btnPush->text(),
                group->title(),       cbInGroup->text(), combo->toolTip(),   mnItem->text(),
                mnItem->toolTip(),    subMenu->title(),  answer->Text()};
    }
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(WindowLanguage, TemplateKeysFollowTheKindAndPositionOfEachControl) {
    TempDir dir;
    const std::string path = dir.Path() + "/Orvanta3.lng";
    { std::ofstream(path) << "[Old]\nkey=value\n"; }
    TSampleWindow sample;
    ASSERT_TRUE(WriteWindowLanguageTemplate(sample.window, "7_", path));

    const TIniDocument file = TIniDocument::Parse(ReadFile(path));
    EXPECT_EQ(file.Sections(), std::vector<std::string>{"RU"}); // the old file is gone
    // Widgets and actions count, the layout does not: the check box is at position 0.
    EXPECT_EQ(file.ReadString("RU", "7_10001", ""), "Флажок"_cp1251);
    EXPECT_EQ(file.ReadString("RU", "7_10002", ""), "Подсказка флажка"_cp1251);
    EXPECT_EQ(file.ReadString("RU", "7_1", ""), "Окно"_cp1251);
    // A text shown only at run time is numbered apart from the controls.
    EXPECT_EQ(file.ReadString("RU", "7_100001", ""), "Ответ: "_cp1251);
    // An edit shows no text of its own; the buddy label's text goes under the edit's key.
    EXPECT_FALSE(file.Find("RU", "7_30021"));
    EXPECT_EQ(file.ReadString("RU", "7_30022", ""), "Поле"_cp1251);
    EXPECT_EQ(file.ReadString("RU", "7_40041", ""), "Имя:"_cp1251);
    EXPECT_FALSE(file.Find("RU", "7_20031")); // not a label of its own
    // Empty parts are not written: the labeled edit and the push button have no tooltip, and
    // an action's tooltip that Qt derives from its text is no tooltip.
    EXPECT_FALSE(file.Find("RU", "7_40042"));
    for (const std::string& key : file.Keys("RU"))
        EXPECT_NE(file.ReadString("RU", key, ""), "") << key;
    int menuItems = 0;
    for (const std::string& key : file.Keys("RU")) menuItems += key.starts_with("7_8");
    EXPECT_EQ(menuItems, 3); // "Следующий" with its tooltip, and the submenu's title
}

TEST(WindowLanguage, TemplateAppliedToAFreshWindowRoundTripsEveryKind) {
    TempDir dir;
    const std::string path = dir.Path() + "/skycast.lng";
    TSampleWindow original;
    ASSERT_TRUE(WriteWindowLanguageTemplate(original.window, "7_", path));

    // The translator's work: every text of the template gets a mark, in a section of its own.
    const TIniDocument templ = TIniDocument::Parse(ReadFile(path));
    TIniFile(path).Update([&](TIniDocument& file) {
        for (const std::string& key : templ.Keys("RU"))
            file.WriteString("Русский"_cp1251, key, "П:"_cp1251 + templ.ReadString("RU", key, ""));
    });

    TSampleWindow translated;
    ApplyWindowLanguage(translated.window, "7_", "Русский"_cp1251, path);
    const QStringList before = original.Texts(), after = translated.Texts();
    ASSERT_EQ(before.size(), after.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        EXPECT_EQ(after[i].toStdString(), before[i].isEmpty() ? "" : "П:" + before[i].toStdString())
            << i;
    EXPECT_EQ(translated.combo->itemText(1), "two"); // items are not window texts
    EXPECT_EQ(translated.edPlain->text(), "value");
    // Marked items are, all under one key; a translation with another count of them is not
    // taken, and the built-in language brings them back.
    EXPECT_EQ(translated.choices->itemText(0).toStdString(), "П:первый");
    EXPECT_EQ(translated.choices->itemText(1).toStdString(), "второй");
    std::string itemsKey;
    for (const std::string& key : templ.Keys("RU"))
        if (templ.ReadString("RU", key, "") == "первый|второй"_cp1251) itemsKey = key;
    ASSERT_TRUE(itemsKey.starts_with("7_7") && itemsKey.ends_with("3")) << itemsKey;
    TIniFile(path).WriteString("English", itemsKey, "first|second|third");
    ApplyWindowLanguage(translated.window, "7_", "English", path);
    EXPECT_EQ(translated.choices->itemText(0).toStdString(), "П:первый");
    ApplyWindowLanguage(translated.window, "7_", "", path);
    EXPECT_EQ(translated.choices->itemText(0).toStdString(), "первый");
}

TEST(WindowLanguage, MissingKeysKeepThePreviousLanguageAndEmptyLanguageBringsBackTheBuiltIn) {
    TempDir dir;
    const std::string path = dir.Path() + "/Orvanta3.lng";
    {
        std::ofstream(path) << "[English]\n3_10001=Check\n3_20011=Caption\n"
                               "[Deutsch]\n3_10001=Haken\n";
    }
    TSampleWindow sample;
    const QStringList builtIn = sample.Texts();
    ApplyWindowLanguage(sample.window, "3_", "English", path);
    EXPECT_EQ(sample.cbFirst->text(), "Check");
    EXPECT_EQ(sample.label->text(), "Caption");
    ApplyWindowLanguage(sample.window, "3_", "Deutsch", path);
    EXPECT_EQ(sample.cbFirst->text(), "Haken");
    EXPECT_EQ(sample.label->text(), "Caption"); // absent key: the English text stays
    EXPECT_EQ(sample.cbFirst->toolTip().toStdString(), "Подсказка флажка");

    const QStringList kept = sample.Texts();
    ApplyWindowLanguage(sample.window, "3_", "Français", path); // no such section
    ApplyWindowLanguage(sample.window, "3_", "English", dir.Path() + "/none.lng"); // no file
    ApplyWindowLanguage(sample.window, "1_", "English", path); // other window's keys
    EXPECT_EQ(sample.Texts(), kept);

    // The built-in language: every text as the window was made, then English again.
    ApplyWindowLanguage(sample.window, "3_", "", path);
    EXPECT_EQ(sample.Texts(), builtIn);
    ApplyWindowLanguage(sample.window, "3_", "English", path);
    EXPECT_EQ(sample.cbFirst->text(), "Check");
    EXPECT_EQ(sample.label->text(), "Caption");
}

TEST(WindowLanguage, TemplateSwitchIsTheFirstArgumentOnly) {
    char program[] = "orvanta3", windows[] = "/create_lang_file", dashed[] = "--create-lang-file",
         other[] = "--job";
    char* first[] = {program, windows, nullptr};
    char* linuxForm[] = {program, dashed, nullptr};
    char* second[] = {program, other, windows, nullptr};
    EXPECT_TRUE(LanguageTemplateRequested(2, first));
    EXPECT_TRUE(LanguageTemplateRequested(2, linuxForm));
    EXPECT_FALSE(LanguageTemplateRequested(3, second));
    EXPECT_FALSE(LanguageTemplateRequested(1, first));
    EXPECT_TRUE(LanguageTemplateRequested(QStringList{"orvanta3", "/create_lang_file"}));
    EXPECT_FALSE(LanguageTemplateRequested(QStringList{"orvanta3", "/create_lang_file2"}));
}

} // namespace
} // namespace orv::test
