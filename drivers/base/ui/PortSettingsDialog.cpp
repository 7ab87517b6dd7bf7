#include "drivers/base/ui/PortSettingsDialog.h"

#include "base/ui/DialogButtons.h"
#include "base/ui/DialogText.h"
#include "base/ui/PluginDialogLanguage.h"
#include "base/ui/WindowLanguage.h"
#include "base/ui/QtCp1251.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <cstring>
#include <string>

namespace orv {

namespace {

QComboBox* EditableCombo(const char* name, const QStringList& items, const QString& text,
                         QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->addItems(items);
    combo->setEditText(text);
    return combo;
}

} // namespace

TPortSettingsDialog::TPortSettingsDialog(const TPortDialogLayout& layout,
                                         TPortDialogData& dialogData, QWidget* parent)
    : QDialog(parent), data_(dialogData) {
    setWindowTitle(QString::fromUtf8(" Конфигурация..."));
    auto* grid = new QGridLayout;
    int row = 0;

    if (layout.textPanel) {
        grid->addWidget(new QLabel(QString::fromUtf8("Вариант подключения:"), this), row, 0);
        cbConnectionType_ = new QComboBox(this);
        cbConnectionType_->setObjectName("cbConnectionType");
        cbConnectionType_->addItems({QString::fromUtf8("8 бит"), QString::fromUtf8("4 бит")});
        cbConnectionType_->setCurrentIndex(0); // the wiring is always 8-bit
        grid->addWidget(cbConnectionType_, row++, 1, 1, 3);
    }

    grid->addWidget(new QLabel(QString::fromUtf8("Порт:"), this), row, 0);
    cbPort_ =
        EditableCombo("cbPort", {"$378", "$278", "$3BC"}, FromCp1251(dialogData.Values.Port), this);
    grid->addWidget(cbPort_, row++, 1, 1, 3);

    if (layout.textPanel) {
        grid->addWidget(new QLabel(QString::fromUtf8("Размер экрана:"), this), row, 0);
        auto* size = new QHBoxLayout;
        size->addWidget(new QLabel(QString::fromUtf8("строк:"), this));
        cbRows_ =
            EditableCombo("cbRows", {"1", "2", "4"}, FromCp1251(dialogData.Values.Rows), this);
        size->addWidget(cbRows_);
        size->addWidget(new QLabel(QString::fromUtf8("x символов:"), this));
        cbCols_ = EditableCombo("cbCols", {"8", "16", "20", "24", "32", "40"},
                                FromCp1251(dialogData.Values.Cols), this);
        size->addWidget(cbCols_);
        grid->addLayout(size, row++, 1, 1, 3);
    }

    auto* timingLabel = new QLabel(
        QString::fromUtf8(
            "Тайминг (поск. задержка 1 мс слишком большая, она формируется опытным путем):"),
        this);
    timingLabel->setWordWrap(true);
    grid->addWidget(timingLabel, row++, 0, 1, 4);
    tbDelay_ = new QSlider(Qt::Horizontal, this);
    tbDelay_->setObjectName("tbDelay");
    tbDelay_->setRange(layout.delayMin, layout.delayMax);
    tbDelay_->setSingleStep(layout.delaySingleStep);
    tbDelay_->setPageStep(layout.delayPageStep);
    tbDelay_->setTickInterval(10000);
    tbDelay_->setTickPosition(QSlider::TicksBelow);
    tbDelay_->setValue(dialogData.Values.Timing);
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(new QLabel("min", this));
    delayRow->addWidget(tbDelay_, 1);
    delayRow->addWidget(new QLabel("max", this));
    grid->addLayout(delayRow, row++, 0, 1, 4);

    const TDialogButtons buttons = MakeDialogButtons(this);
    btnTry_ = buttons.btnTry;
    btnTry_->setCheckable(true);
    QPushButton* btnOk = buttons.btnOk;
    QPushButton* btnClose = buttons.btnClose;

    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addLayout(buttons.row);
    main->setSizeConstraint(QLayout::SetFixedSize); // fixed dialog border

    connect(btnOk, &QPushButton::clicked, this, [this] {
        EndTry();
        accept();
    });
    connect(btnClose, &QPushButton::clicked, this, [this] {
        EndTry();
        reject();
    }); // Esc rejects as well
    connect(btnTry_, &QPushButton::toggled, this, &TPortSettingsDialog::SetTrying);
    connect(tbDelay_, &QSlider::valueChanged, this, &TPortSettingsDialog::EndTry);
    if (layout.portChangeEndsTry)
        connect(cbPort_, &QComboBox::currentTextChanged, this, &TPortSettingsDialog::EndTry);
    connect(&tryTimer_, &QTimer::timeout, this, &TPortSettingsDialog::TryStep);
    connect(this, &QDialog::finished, this, &TPortSettingsDialog::EndTry);
    if (cbConnectionType_) TranslateItems(*cbConnectionType_);
    TranslatePluginDialog(*this);
}

TPortSettingsDialog::~TPortSettingsDialog() { EndTry(); }

TPortDialogValues TPortSettingsDialog::Values() const {
    TPortDialogValues values{};
    CopyCp1251(values.Port, cbPort_->currentText());
    CopyCp1251(values.Rows, cbRows_ ? cbRows_->currentText() : QString());
    CopyCp1251(values.Cols, cbCols_ ? cbCols_->currentText() : QString());
    values.Timing = tbDelay_->value();
    return values;
}

void TPortSettingsDialog::SetTrying(bool on) {
    if (!on) {
        tryTimer_.stop();
        if (trying_ && data_.Try.Stop) data_.Try.Stop(data_.Try.Context);
        trying_ = false;
        return;
    }
    if (!data_.Try.Start) {
        btnTry_->setChecked(false);
        return;
    }
    const TPortDialogValues values = Values();
    char error[256] = {};
    trying_ = true;
    if (data_.Try.Start(data_.Try.Context, &values, error, sizeof error) != 0) {
        btnTry_->setChecked(false); // ends the try, deactivating the try object
        QMessageBox::critical(this, "Error", FromCp1251(error));
        return;
    }
    tryCount_ = 0;
    tryTimer_.start(0);
}

void TPortSettingsDialog::TryStep() {
    const std::string text = "read this? " + std::to_string(tryCount_) + "       ";
    if (data_.Try.WriteText) data_.Try.WriteText(data_.Try.Context, text.data(), text.size());
    tryCount_ = tryCount_ >= 1000 ? 1 : tryCount_ + 1;
}

void TPortSettingsDialog::EndTry() {
    if (btnTry_ && btnTry_->isChecked())
        btnTry_->setChecked(false);
    else
        SetTrying(false);
}

int32_t TPortSettingsDialog::Run(const TPortDialogLayout& layout, TPortDialogData* data) {
    if (!data || !qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    TPortSettingsDialog dialog(layout, *data, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted) return 0;
    data->Values = dialog.Values();
    return 1;
}

} // namespace orv
