// The user values module's settings dialog, opened through Configure of the built library: the
// sources' table and the broker's fields read and written back to the section.
#include "base/Cp1251.h"
#include "base/IniFile.h"
#include "modules/valuetap/TapSources.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/ModuleDialogRig.h"
#include "tests/support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

using namespace orv;
using namespace orv::test;

TEST(ValueTapDialog, ListsTheSourcesAndSavesEdits) {
    TempDir docs;
    ScopedEnv documents("XDG_DOCUMENTS_DIR", docs.Path());
    WriteText(docs / "Orvanta3.ini",
              "[valuetap.so]\nActive=1\nSource3 kind=file\nSource3 name=load\n"
              "Source3 file=/proc/loadavg\nSource3 field=1\nSource5 kind=mqtt\nSource5 "
              "topic=home/+/state\nSource5 pointer=/temperature\nMQTT host=broker.test\n");
    TBuiltModule module("valuetap.so");
    ASSERT_TRUE(module.Loaded());

    const size_t steps = RunDialogSteps(
        [&] { EXPECT_EQ(module.Descriptor().Configure(), 0); }, {[](QWidget& dialog) {
            auto& table = Child<QTableWidget>(dialog, "tblSources");
            ASSERT_EQ(table.rowCount(), 2);
            EXPECT_EQ(table.item(0, 0)->text(), "3");
            EXPECT_EQ(table.item(0, 1)->text(), "load");
            EXPECT_EQ(table.item(0, 3)->text(), "/proc/loadavg");
            EXPECT_EQ(static_cast<QComboBox*>(table.cellWidget(1, 2))->currentText(), "mqtt");
            EXPECT_EQ(table.item(1, 4)->text(), "/temperature");
            EXPECT_EQ(Child<QLineEdit>(dialog, "edHost").text(), "broker.test");
            EXPECT_EQ(Child<QSpinBox>(dialog, "udPort").value(), 1883);
            EXPECT_EQ(Child<QLineEdit>(dialog, "edPass").echoMode(), QLineEdit::Password);

            Child<QPushButton>(dialog, "btnAddSource").click();
            ASSERT_EQ(table.rowCount(), 3);
            EXPECT_EQ(table.item(2, 0)->text(), "1") << "the first free number";
            table.item(2, 1)->setText("backup");
            table.item(2, 3)->setText("backup-status --short");
            table.setCurrentCell(0, 0);
            Child<QPushButton>(dialog, "btnRemoveSource").click();
            Child<QCheckBox>(dialog, "cbTls").setChecked(true);
            Child<QLineEdit>(dialog, "edUser").setText("panel");
            Child<QLineEdit>(dialog, "edPass").setText("Пароль");
            PressLater(dialog, "btnOk");
        }});
    EXPECT_EQ(steps, 1u);
    const TIniDocument ini = TIniFile(docs / "Orvanta3.ini").Read();
    const TValueTapSettings saved = ReadValueTapSettings(ini);
    ASSERT_EQ(saved.Sources.size(), 2u);
    EXPECT_EQ(saved.Sources[0].Number, 1);
    EXPECT_EQ(saved.Sources[0].Name, "backup");
    EXPECT_EQ(saved.Sources[0].Kind, TSourceKind::Command);
    EXPECT_EQ(saved.Sources[0].Target, "backup-status --short");
    EXPECT_EQ(saved.Sources[1].Number, 5);
    EXPECT_EQ(saved.Sources[1].Pointer, "/temperature");
    EXPECT_FALSE(ini.Find("valuetap.so", "Source3 file")) << "the removed source is gone";
    EXPECT_TRUE(saved.Broker.Tls);
    EXPECT_EQ(saved.Broker.Password, "Пароль"_cp1251);
    EXPECT_NE(ini.ReadString("valuetap.so", "MQTT pass", ""), saved.Broker.Password);
    EXPECT_EQ(ini.ReadString("valuetap.so", "Active", ""), "1");
}
