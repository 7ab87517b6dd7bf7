// ui/sensorlink.so: the settings dialog of sensorlink (TfrmMBMSettings).
#include "modules/sensorlink/SensorlinkDialogApi.h"

#include "abi/ConstUnit.h"
#include "base/ui/DialogText.h"
#include "base/ui/PluginDialogLanguage.h"
#include "base/ui/QtCp1251.h"
#include "base/ui/WindowLanguage.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>
#include <string>

namespace {

using orv::FromCp1251;

class TfrmMBMSettings : public QDialog {
public:
    TfrmMBMSettings(const TSensorlinkDialogData& dialogData, QWidget* parent) : QDialog(parent) {
        setWindowTitle("MBM settings...");
        cbRunMBM_ =
            new QCheckBox(QString::fromUtf8("Пробовать запустить Motherboard Monitor"), this);
        cbRunMBM_->setObjectName("cbRunMBM");
        cbRunMBM_->setChecked(dialogData.TryToRun != 0);

        auto* label = new QLabel(QString::fromUtf8("Путь к файлу MBM5.exe"), this);
        edPathMBM_ = new QLineEdit(FromCp1251(dialogData.Path), this);
        edPathMBM_->setObjectName("edPathMBM");
        edPathMBM_->setMinimumWidth(320);
        label->setBuddy(edPathMBM_);
        auto* btnBrowse = new QPushButton("...", this);
        btnBrowse->setObjectName("btnBrowse");
        btnBrowse->setAutoDefault(false);
        // Decided once, when the dialog opens.
        edPathMBM_->setEnabled(cbRunMBM_->isChecked());
        btnBrowse->setEnabled(cbRunMBM_->isChecked());

        auto* btnOk = new QPushButton(QString::fromUtf8("Ок"), this);
        btnOk->setObjectName("btnOk");
        btnOk->setDefault(true);
        auto* btnClose = new QPushButton(QString::fromUtf8("Закрыть"), this);
        btnClose->setObjectName("btnClose");
        btnClose->setAutoDefault(false);

        auto* pathRow = new QHBoxLayout;
        pathRow->addWidget(edPathMBM_, 1);
        pathRow->addWidget(btnBrowse);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(btnOk);
        buttons->addWidget(btnClose);
        auto* main = new QVBoxLayout(this);
        main->addWidget(cbRunMBM_);
        main->addWidget(label);
        main->addLayout(pathRow);
        main->addLayout(buttons);
        main->setSizeConstraint(QLayout::SetFixedSize); // fixed dialog border

        connect(btnBrowse, &QPushButton::clicked, this, &TfrmMBMSettings::Browse);
        connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
        connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
        programFilter_ =
            new orv::TRunTimeText(*this, QString::fromUtf8("Все файлы (*);;Файлы *.exe (*.exe)"));
        orv::TranslatePluginDialog(*this);
    }

    void Store(TSensorlinkDialogData& dialogData) const {
        dialogData.TryToRun = cbRunMBM_->isChecked() ? 1 : 0;
        orv::CopyCp1251(dialogData.Path, edPathMBM_->text());
    }

private:
    // Programs on Linux have no ".exe": every file is offered, the ".exe" filter second.
    void Browse() {
        const QString name = QFileDialog::getOpenFileName(this, QString(), edPathMBM_->text(),
                                                          programFilter_->Text());
        if (!name.isEmpty() && QFileInfo::exists(name)) edPathMBM_->setText(name);
    }

    QCheckBox* cbRunMBM_ = nullptr;
    QLineEdit* edPathMBM_ = nullptr;
    orv::TRunTimeText* programFilter_ = nullptr;
};

} // namespace

ORVANTA3_EXPORT int32_t RunSensorlinkDialog(TSensorlinkDialogData* data) {
    if (!data || !qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    TfrmMBMSettings dialog(*data, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted) return 0;
    dialog.Store(*data);
    return 1;
}
