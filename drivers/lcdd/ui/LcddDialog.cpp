// ui/lcdd.so: the settings dialog of the LCDd driver: server and port, and btnTry, which says
// hello to that server and shows LCDd's display size or why it could not be reached.
#include "base/ui/DialogButtons.h"
#include "base/ui/DialogText.h"
#include "base/ui/PluginDialogLanguage.h"
#include "drivers/lcdd/LcddDialogApi.h"
#include "abi/ConstUnit.h"
#include "base/ui/QtCp1251.h"
#include "base/ui/WindowLanguage.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>
#include <string>

namespace {

using orv::CopyCp1251;
using orv::FromCp1251;

class TLcddDialog : public QDialog {
public:
    TLcddDialog(TLcddDialogData& dialogData, QWidget* parent) : QDialog(parent), data_(dialogData) {
        setWindowTitle(QString::fromUtf8(" Конфигурация..."));
        auto* grid = new QGridLayout;
        grid->addWidget(new QLabel(QString::fromUtf8("Сервер LCDd:"), this), 0, 0);
        edServer_ = new QLineEdit(FromCp1251(dialogData.Values.Server), this);
        edServer_->setObjectName("edServer");
        grid->addWidget(edServer_, 0, 1);
        grid->addWidget(new QLabel(QString::fromUtf8("Порт:"), this), 1, 0);
        edPort_ = new QLineEdit(FromCp1251(dialogData.Values.Port), this);
        edPort_->setObjectName("edPort");
        edPort_->setValidator(new QIntValidator(1, 65535, edPort_));
        grid->addWidget(edPort_, 1, 1);
        lbResult_ = new QLabel(this);
        lbResult_->setObjectName("lbResult");
        lbResult_->setWordWrap(true);
        grid->addWidget(lbResult_, 2, 0, 1, 2);

        const orv::TDialogButtons buttons = orv::MakeDialogButtons(this);
        auto* main = new QVBoxLayout(this);
        main->addLayout(grid);
        main->addLayout(buttons.row);

        connect(buttons.btnOk, &QPushButton::clicked, this, &QDialog::accept);
        connect(buttons.btnClose, &QPushButton::clicked, this, &QDialog::reject);
        connect(buttons.btnTry, &QPushButton::clicked, this, [this] { Probe(); });
        answered_ = new orv::TRunTimeText(*this, QString::fromUtf8("LCDd отвечает, дисплей "));
        orv::TranslatePluginDialog(*this);
    }

    TLcddDialogValues Values() const {
        TLcddDialogValues values{};
        CopyCp1251(values.Server, edServer_->text().trimmed());
        CopyCp1251(values.Port, edPort_->text().trimmed());
        return values;
    }

private:
    void Probe() {
        if (!data_.Probe.Run) return;
        const TLcddDialogValues values = Values();
        char answer[512] = {};
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const int32_t failed = data_.Probe.Run(data_.Probe.Context, &values, answer, sizeof answer);
        QApplication::restoreOverrideCursor();
        lbResult_->setText(failed ? FromCp1251(answer) : answered_->Text() + FromCp1251(answer));
    }

    TLcddDialogData& data_;
    QLineEdit* edServer_;
    QLineEdit* edPort_;
    QLabel* lbResult_;
    orv::TRunTimeText* answered_; // the start of the answer when LCDd answers
};

} // namespace

ORVANTA3_EXPORT int32_t RunLcddDialog(TLcddDialogData* data) {
    if (!data || !qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    TLcddDialog dialog(*data, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted) return 0;
    data->Values = dialog.Values();
    return 1;
}
