// The headlines module's settings dialog, opened through Configure of the built library.
#include "base/IniFile.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/ModuleDialogRig.h"
#include "tests/support/TempDir.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>

using namespace orv;
using namespace orv::test;

TEST(HeadlinesDialog, SavesTheProxySwitchThePeriodAndTheAddresses) {
    TempDir docs;
    ScopedEnv documents("XDG_DOCUMENTS_DIR", docs.Path());
    TBuiltModule module("headlines.so");
    ASSERT_TRUE(module.Loaded());

    const size_t steps = RunDialogSteps(
        [&] { EXPECT_EQ(module.Descriptor().Configure(), 0); }, {[](QWidget& dialog) {
            EXPECT_EQ(Child<QSpinBox>(dialog, "UpDown1").value(), 5);
            EXPECT_EQ(Child<QSpinBox>(dialog, "UpDown1").minimum(), 1);
            EXPECT_FALSE(Child<QLineEdit>(dialog, "edHardAddress").text().isEmpty())
                << "a feed that works today";
            Child<QCheckBox>(dialog, "cbUseProxy").setChecked(false);
            Child<QSpinBox>(dialog, "UpDown1").setValue(2);
            Child<QLineEdit>(dialog, "edHardAddress").setText("http://127.0.0.1:1/rss");
            Child<QLineEdit>(dialog, "edFreshAddress").setText(" http://127.0.0.1:1/ ");
            Child<QLineEdit>(dialog, "edReviewsAddress").setText("");
            PressLater(dialog, "btnOk");
        }});
    EXPECT_EQ(steps, 1u);
    const TIniFile ini(docs / "Orvanta3.ini");
    EXPECT_FALSE(ini.ReadBool("headlines.so", "Use proxy-server", true));
    EXPECT_EQ(ini.ReadInteger("headlines.so", "Refresh timeout", 0), 2);
    EXPECT_EQ(ini.ReadString("headlines.so", "Hard address", ""), "http://127.0.0.1:1/rss");
    EXPECT_EQ(ini.ReadString("headlines.so", "Fresh address", ""), "http://127.0.0.1:1/");
    EXPECT_EQ(ini.ReadString("headlines.so", "Reviews address", "x"), "");
}
