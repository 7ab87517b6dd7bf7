// The settings dialog of sensorlink, opened through Configure of the built module on the
// offscreen Qt platform: what the user confirms reaches section MBM5 of the settings file.
#include "abi/ConstUnit.h"
#include "base/IniFile.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/TempDir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

using namespace orv;
using namespace orv::test;

namespace {

class SensorlinkDialog : public ::testing::Test {
protected:
    // Runs Configure; while its dialog is up, edit(dialog) looks at the controls and presses a
    // button.
    void Configure(const std::function<void(QWidget&)>& edit) {
        WhileModal([&] { EXPECT_EQ(module.Descriptor().Configure(), 0); }, edit);
    }

    TIniFile Settings() const { return TIniFile(docs / "Orvanta3.ini"); }

    TempDir docs;
    ScopedEnv documents{"XDG_DOCUMENTS_DIR", docs.Path()};
    TBuiltModule module{"sensorlink.so"};
};

} // namespace

TEST_F(SensorlinkDialog, OkWritesTheCheckBoxAndThePath) {
    WriteText(docs / "Orvanta3.ini", "[MBM5]\nTry to run=1\nPath=/opt/mbm\n");
    Configure([](QWidget& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "MBM settings...");
        EXPECT_TRUE(Child<QCheckBox>(dialog, "cbRunMBM").isChecked());
        auto& path = Child<QLineEdit>(dialog, "edPathMBM");
        EXPECT_EQ(path.text(), "/opt/mbm");
        EXPECT_TRUE(path.isEnabled());
        path.setText("/usr/sbin/fancontrol");
        Child<QCheckBox>(dialog, "cbRunMBM").setChecked(false);
        EXPECT_TRUE(path.isEnabled()) << "enabled or not is decided when the dialog opens";
        Child<QPushButton>(dialog, "btnOk").click();
    });
    EXPECT_FALSE(Settings().ReadBool("MBM5", "Try to run", true));
    EXPECT_EQ(Settings().ReadString("MBM5", "Path", ""), "/usr/sbin/fancontrol");
}

TEST_F(SensorlinkDialog, CloseLeavesTheSettingsAsTheyWere) {
    WriteText(docs / "Orvanta3.ini", "[MBM5]\nTry to run=0\nPath=/opt/mbm\n");
    Configure([](QWidget& dialog) {
        EXPECT_FALSE(Child<QCheckBox>(dialog, "cbRunMBM").isChecked());
        EXPECT_FALSE(Child<QLineEdit>(dialog, "edPathMBM").isEnabled());
        EXPECT_FALSE(Child<QPushButton>(dialog, "btnBrowse").isEnabled());
        Child<QLineEdit>(dialog, "edPathMBM").setText("/elsewhere");
        Child<QPushButton>(dialog, "btnClose").click();
    });
    EXPECT_EQ(Settings().Read().Serialize(), "[MBM5]\nTry to run=0\nPath=/opt/mbm\n");
}
