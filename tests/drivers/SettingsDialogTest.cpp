// The drivers' settings dialogs, opened through Configure of the built driver libraries on the
// offscreen Qt platform; the values chosen must reach the driver object and the settings file.
#include "abi/ConstUnit.h"
#include "base/IniFile.h"
#include "tests/support/FakeLcdd.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <functional>

using namespace orv;
using namespace orv::test;

namespace {

class TDriverLibrary {
public:
    explicit TDriverLibrary(const std::string& file)
        : handle_(::dlopen((std::string(ORVANTA3_OUTPUT_DIR) + "/plugins/hardware/" + file).c_str(),
                           RTLD_NOW | RTLD_LOCAL)) {
        if (!handle_) throw std::runtime_error(::dlerror());
        auto get = reinterpret_cast<TGetHardwareFunc>(::dlsym(handle_, kGetHardwareExport));
        descriptor = get();
    }
    ~TDriverLibrary() {
        descriptor->Release();
        ::dlclose(handle_);
    }
    THardwareDescriptor* descriptor;

private:
    void* handle_;
};

// Runs Configure; while its dialog is up, edit(dialog) sets the controls and presses a button.
void Configure(THardwareDescriptor& d, const std::function<void(QWidget&)>& edit) {
    WhileModal([&] { EXPECT_EQ(d.Configure(), 0); }, edit);
}

struct TSettingsFolder {
    explicit TSettingsFolder(const std::string& panel)
        : portio("ORVANTA3_PORTIO", "emu:" + panel + ":" + docs / "panel.txt") {}
    TempDir docs;
    ScopedEnv env{"XDG_DOCUMENTS_DIR", docs.Path()};
    ScopedEnv portio;
    TIniFile ini{docs / "Orvanta3.ini"};
};

// Lets the event loop run for ms.
void RunEvents(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TEST(TextportDialog, OkAppliesAndSavesTheFourKeys) {
    TSettingsFolder folder("hd44780:2x16");
    folder.ini.WriteString("textport.so", "Timing", "0");
    TDriverLibrary library("textport.so");
    ASSERT_EQ(library.descriptor->Init(), 0);
    TLCDBaseControl* control = library.descriptor->Control;

    Configure(*library.descriptor, [](QWidget& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(" Конфигурация..."));
        EXPECT_EQ(Child<QComboBox>(dialog, "cbPort").currentText(), "$378");
        EXPECT_EQ(Child<QComboBox>(dialog, "cbRows").currentText(), "2");
        EXPECT_EQ(Child<QComboBox>(dialog, "cbCols").currentText(), "16");
        EXPECT_EQ(Child<QComboBox>(dialog, "cbConnectionType").currentText(),
                  QString::fromUtf8("8 бит"));
        EXPECT_EQ(Child<QSlider>(dialog, "tbDelay").minimum(), 10000);
        EXPECT_EQ(Child<QSlider>(dialog, "tbDelay").maximum(), 1000000);
        Child<QComboBox>(dialog, "cbPort").setEditText("$278");
        Child<QComboBox>(dialog, "cbRows").setEditText("4");
        Child<QComboBox>(dialog, "cbCols").setEditText("20");
        Child<QSlider>(dialog, "tbDelay").setValue(20000);
        Child<QPushButton>(dialog, "btnOk").click();
    });
    EXPECT_EQ(library.descriptor->Control, control) << "the host re-creates it, not Configure";
    EXPECT_EQ(control->GetRowCount(), 4);
    EXPECT_EQ(control->GetColCount(), 20);
    EXPECT_EQ(folder.ini.ReadString("textport.so", "Port", ""), "$278");
    EXPECT_EQ(folder.ini.ReadInteger("textport.so", "Lines count", 0), 4);
    EXPECT_EQ(folder.ini.ReadInteger("textport.so", "Cols count", 0), 20);
    EXPECT_EQ(folder.ini.ReadInteger("textport.so", "Timing", 0), 20000);

    // Text that is no number: rows fall back to 2, 8 columns are saved but not taken by the
    // driver, a port that is no number is not saved.
    Configure(*library.descriptor, [](QWidget& dialog) {
        Child<QComboBox>(dialog, "cbPort").setEditText("LPT1");
        Child<QComboBox>(dialog, "cbRows").setEditText("two");
        Child<QComboBox>(dialog, "cbCols").setEditText("8");
        Child<QPushButton>(dialog, "btnOk").click();
    });
    EXPECT_EQ(control->GetRowCount(), 2);
    EXPECT_EQ(control->GetColCount(), 20);
    EXPECT_EQ(folder.ini.ReadInteger("textport.so", "Lines count", 0), 2);
    EXPECT_EQ(folder.ini.ReadInteger("textport.so", "Cols count", 0), 8);
    EXPECT_EQ(folder.ini.ReadString("textport.so", "Port", ""), "$278");

    // "Закрыть" changes nothing.
    Configure(*library.descriptor, [](QWidget& dialog) {
        Child<QComboBox>(dialog, "cbRows").setEditText("1");
        Child<QPushButton>(dialog, "btnClose").click();
    });
    EXPECT_EQ(folder.ini.ReadInteger("textport.so", "Lines count", 0), 2);
}

TEST(TextportDialog, TryModeWritesToThePanelWhileTheButtonIsDown) {
    TSettingsFolder folder("hd44780:2x16");
    TDriverLibrary library("textport.so");
    ASSERT_EQ(library.descriptor->Init(), 0);
    std::string shown;
    Configure(*library.descriptor, [&](QWidget& dialog) {
        auto& btnTry = Child<QPushButton>(dialog, "btnTry");
        EXPECT_TRUE(btnTry.isCheckable());
        btnTry.click();
        EXPECT_TRUE(btnTry.isChecked());
        for (int i = 0; i < 200 && shown.find("read this? ") == std::string::npos; ++i) {
            RunEvents(50);
            shown = ReadText(folder.docs / "panel.txt");
        }
        Child<QSlider>(dialog, "tbDelay").setValue(50000); // releases the button
        EXPECT_FALSE(btnTry.isChecked());
        Child<QPushButton>(dialog, "btnClose").click();
    });
    EXPECT_NE(shown.find("|read this? "), std::string::npos) << shown;
    EXPECT_TRUE(library.descriptor->Control->GetActive());
}

TEST(GraphportDialog, OkSavesPortAndTimingWithFixedSize) {
    TSettingsFolder folder("ks0108");
    TDriverLibrary library("graphport.so");
    ASSERT_EQ(library.descriptor->Init(), 0);
    Configure(*library.descriptor, [](QWidget& dialog) {
        EXPECT_EQ(dialog.findChild<QComboBox*>("cbRows"), nullptr);
        EXPECT_EQ(Child<QSlider>(dialog, "tbDelay").minimum(), 500);
        EXPECT_EQ(Child<QSlider>(dialog, "tbDelay").value(), 10000);
        Child<QComboBox>(dialog, "cbPort").setEditText("$3BC");
        Child<QSlider>(dialog, "tbDelay").setValue(700);
        Child<QPushButton>(dialog, "btnOk").click();
    });
    EXPECT_EQ(folder.ini.ReadString("graphport.so", "Port", ""), "$3BC");
    EXPECT_EQ(folder.ini.ReadInteger("graphport.so", "Timing", 0), 700);
    EXPECT_EQ(folder.ini.ReadInteger("graphport.so", "Lines count", 0), 8);
    EXPECT_EQ(folder.ini.ReadInteger("graphport.so", "Cols count", 0), 16);
    EXPECT_EQ(library.descriptor->Control->GetColCount(), 21);
}

TEST(LcddDialog, TryProbesTheServerAndOkSavesAndReconnects) {
    TSettingsFolder folder("hd44780:2x16");
    TFakeLcdd first(TFakeLcdd::TMode::Answer, 16, 2);
    TFakeLcdd second(TFakeLcdd::TMode::Answer, 20, 4);
    folder.ini.WriteString("lcdd.so", "Port", std::to_string(first.Port()));
    TDriverLibrary library("lcdd.so");
    ASSERT_EQ(library.descriptor->Init(), 0);
    ASSERT_TRUE(library.descriptor->Control->GetActive());

    Configure(*library.descriptor, [&](QWidget& dialog) {
        EXPECT_EQ(Child<QLineEdit>(dialog, "edServer").text(), "127.0.0.1");
        EXPECT_EQ(Child<QLineEdit>(dialog, "edPort").text(), QString::number(first.Port()));
        Child<QLineEdit>(dialog, "edPort").setText(QString::number(second.Port()));
        Child<QPushButton>(dialog, "btnTry").click();
        EXPECT_TRUE(Child<QLabel>(dialog, "lbResult").text().contains("20 x 4"))
            << Child<QLabel>(dialog, "lbResult").text().toStdString();
        Child<QPushButton>(dialog, "btnOk").click();
    });
    EXPECT_EQ(folder.ini.Read().ReadString("lcdd.so", "Port", ""), std::to_string(second.Port()));
    TLCDBaseControl* control = library.descriptor->Control;
    ASSERT_TRUE(control->GetActive()) << "active again after the dialog";
    EXPECT_EQ(control->GetColCount(), 20) << "now on the second server";
    EXPECT_EQ(second.Connections(), 2) << "the try and the driver";
}

TEST(CharPanelDialog, OkSavesTheFieldsAndTheI2cPanelTakesThem) {
    TSettingsFolder folder("hd44780:2x16");
    ScopedEnv i2c("ORVANTA3_I2C", "emu:hd44780:4x20:" + folder.docs / "i2c.txt");
    TDriverLibrary library("i2cpanel.so");
    ASSERT_EQ(library.descriptor->Init(), 0);
    TLCDBaseControl* control = library.descriptor->Control;
    ASSERT_TRUE(control->GetActive());
    EXPECT_EQ(control->GetRowCount(), 2);

    Configure(*library.descriptor, [&](QWidget& dialog) {
        EXPECT_EQ(Child<QComboBox>(dialog, "cbField0").currentText(), "/dev/i2c-1");
        EXPECT_EQ(Child<QComboBox>(dialog, "cbField1").currentText(), "0x27");
        Child<QComboBox>(dialog, "cbField1").setEditText("0x3F");
        Child<QComboBox>(dialog, "cbField3").setEditText("4");
        Child<QComboBox>(dialog, "cbField4").setEditText(" 20 ");
        Child<QPushButton>(dialog, "btnOk").click();
    });
    const TIniDocument saved = folder.ini.Read();
    EXPECT_EQ(saved.ReadString("i2cpanel.so", "Address", ""), "0x3F");
    EXPECT_EQ(saved.ReadString("i2cpanel.so", "Cols count", ""), "20");
    EXPECT_EQ(saved.ReadString("i2cpanel.so", "Wiring", ""), "common");
    EXPECT_EQ(library.descriptor->Control, control) << "the host's object stays";
    ASSERT_TRUE(control->GetActive()) << "active again after the dialog";
    EXPECT_EQ(control->GetRowCount(), 4);
    EXPECT_EQ(control->GetColCount(), 20);

    // "Закрыть" changes nothing.
    Configure(*library.descriptor, [&](QWidget& dialog) {
        Child<QComboBox>(dialog, "cbField3").setEditText("1");
        Child<QPushButton>(dialog, "btnClose").click();
    });
    EXPECT_EQ(folder.ini.Read().ReadString("i2cpanel.so", "Lines count", ""), "4");
    EXPECT_EQ(control->GetRowCount(), 4);
}
