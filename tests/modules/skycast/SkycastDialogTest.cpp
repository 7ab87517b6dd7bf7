// The weather module's settings dialog, opened through Configure of the built library.
#include "base/IniFile.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/ModuleDialogRig.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

using namespace orv;
using namespace orv::test;

TEST(SkycastDialog, CodeIsCheckedAndTheMenuFillsIt) {
    TempDir docs;
    ScopedEnv documents("XDG_DOCUMENTS_DIR", docs.Path());
    TBuiltModule module("skycast.so");
    ASSERT_TRUE(module.Loaded());
    const TIniFile ini(docs / "Orvanta3.ini");

    const size_t steps = RunDialogSteps(
        [&] { EXPECT_EQ(module.Descriptor().Configure(), -1); },
        {[](QWidget& dialog) {
             EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Настройка..."));
             EXPECT_EQ(Child<QLineEdit>(dialog, "edCity").text(), "42");
             EXPECT_TRUE(Child<QCheckBox>(dialog, "cbUseProxy").isChecked());
             Child<QLineEdit>(dialog, "edCity").setText("12a");
             PressLater(dialog, "btnOk");
         },
         [](QWidget& box) {
             ASSERT_TRUE(qobject_cast<QMessageBox*>(&box));
             EXPECT_EQ(static_cast<QMessageBox&>(box).text(),
                       QString::fromUtf8("Вы ввели код неправильно!!!"));
             QTimer::singleShot(0, &box, [&box] { static_cast<QMessageBox&>(box).accept(); });
         },
         [](QWidget& dialog) {
             // Still open: pick Минск from the menu, the export source and a server.
             QMenu& menu = Child<QMenu>(dialog, "pmSelectCity");
             QAction* minsk = nullptr;
             for (QAction* group : menu.actions())
                 if (group->text() == QString::fromUtf8("Беларусь"))
                     for (QAction* city : group->menu()->actions())
                         if (city->text() == QString::fromUtf8("Минск")) minsk = city;
             ASSERT_TRUE(minsk);
             minsk->trigger();
             EXPECT_EQ(Child<QLineEdit>(dialog, "edCity").text(), "93");
             auto& source = Child<QComboBox>(dialog, "cbSource");
             source.setCurrentIndex(source.findData("export"));
             Child<QLineEdit>(dialog, "edServer").setText("http://127.0.0.1:8080");
             Child<QCheckBox>(dialog, "cbUseProxy").setChecked(false);
             PressLater(dialog, "btnOk");
         }});
    EXPECT_EQ(steps, 3u);
    EXPECT_EQ(ini.ReadInteger("Weather", "City code", 0), 93);
    EXPECT_FALSE(ini.ReadBool("Weather", "Use proxy-server", true));
    EXPECT_EQ(ini.ReadString("Weather", "Source", ""), "export");
    EXPECT_EQ(ini.ReadString("Weather", "Server", ""), "http://127.0.0.1:8080");

    // "Закрыть" keeps the file.
    RunDialogSteps([&] { module.Descriptor().Configure(); }, {[](QWidget& dialog) {
                       EXPECT_EQ(Child<QLineEdit>(dialog, "edCity").text(), "93");
                       Child<QLineEdit>(dialog, "edCity").setText("1");
                       PressLater(dialog, "btnCancel");
                   }});
    EXPECT_EQ(ini.ReadInteger("Weather", "City code", 0), 93);
}

TEST(SkycastDialog, TakesItsTextsFromTheModuleLanguageFile) {
    TempDir docs;
    ScopedEnv documents("XDG_DOCUMENTS_DIR", docs.Path());
    TIniFile(docs / "Orvanta3.ini").WriteString("Common", "Language", "English");
    TBuiltModule module("skycast.so"); // the shipped skycast.lng lies beside it
    ASSERT_TRUE(module.Loaded());
    const size_t steps =
        RunDialogSteps([&] { module.Descriptor().Configure(); }, {[](QWidget& dialog) {
                           EXPECT_EQ(dialog.windowTitle(), "Settings...");
                           EXPECT_EQ(Child<QCheckBox>(dialog, "cbUseProxy").text(),
                                     "Connect through the proxy server");
                           EXPECT_EQ(Child<QPushButton>(dialog, "btnOk").text(), "Save");
                           PressLater(dialog, "btnCancel");
                       }});
    EXPECT_EQ(steps, 1u);
}
