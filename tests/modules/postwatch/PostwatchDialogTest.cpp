// The mailbox module's settings dialog, opened through Configure of the built library.
#include "base/IniFile.h"
#include "modules/postwatch/MailAccount.h"
#include "tests/support/BuiltModule.h"
#include "tests/support/ModuleDialogRig.h"
#include "tests/support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

using namespace orv;
using namespace orv::test;

TEST(PostwatchDialog, SavesTheSixKeysWithThePasswordScrambled) {
    TempDir docs;
    ScopedEnv documents("XDG_DOCUMENTS_DIR", docs.Path());
    WriteText(docs / "Orvanta3.ini", "[Mail]\nCheck timeout=-1\n");
    TBuiltModule module("postwatch.so");
    ASSERT_TRUE(module.Loaded());

    const size_t steps = RunDialogSteps(
        [&] { EXPECT_EQ(module.Descriptor().Configure(), 0); }, {[](QWidget& dialog) {
            EXPECT_EQ(Child<QLineEdit>(dialog, "edMailMask").text(),
                      QString::fromUtf8("%date% от %from%: %subject%"));
            EXPECT_EQ(Child<QLineEdit>(dialog, "edMailDelimiter").text(), "|");
            EXPECT_EQ(Child<QLineEdit>(dialog, "edMailPass").echoMode(), QLineEdit::Password);
            EXPECT_EQ(Child<QSpinBox>(dialog, "udMailTimeout").value(), 3) << "at least 3";
            Child<QLineEdit>(dialog, "edMailServer").setText("pop3s://mail.test");
            Child<QLineEdit>(dialog, "edMailName").setText("alice");
            Child<QLineEdit>(dialog, "edMailPass").setText("Пароль 1");
            Child<QSpinBox>(dialog, "udMailTimeout").setValue(15);
            Child<QLineEdit>(dialog, "edMailDelimiter").setText("");
            auto& security = Child<QComboBox>(dialog, "cbSecurity");
            security.setCurrentIndex(security.findData("starttls"));
            Child<QCheckBox>(dialog, "cbAcceptSelfSigned").setChecked(true);
            PressLater(dialog, "btnOk");
        }});
    EXPECT_EQ(steps, 1u);
    const TIniDocument ini = TIniFile(docs / "Orvanta3.ini").Read();
    const TMailSettings saved = ReadMailSettings(ini);
    EXPECT_EQ(saved.Server, "pop3s://mail.test");
    EXPECT_EQ(saved.User, "alice");
    EXPECT_EQ(saved.Password, "Пароль 1"_cp1251);
    EXPECT_NE(ini.ReadString("Mail", "Pass", ""), saved.Password) << "stored scrambled";
    EXPECT_EQ(saved.CheckTimeoutMin, 15);
    EXPECT_EQ(saved.Delimiter, ' ') << "an empty delimiter is a space";
    EXPECT_EQ(saved.Security, TMailSecurity::StartTls);
    EXPECT_TRUE(saved.AcceptSelfSigned);
}
