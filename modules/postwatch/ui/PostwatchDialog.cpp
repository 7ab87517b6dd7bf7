// ui/postwatch.so: the settings dialog of the mailbox module.
#include "modules/postwatch/ui/PostwatchDialog.h"

#include "abi/ConstUnit.h"
#include "base/ui/DialogText.h"
#include "base/ui/PluginDialogLanguage.h"
#include "base/ui/WindowLanguage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstring>

namespace orv {

TPostwatchDialog::TPostwatchDialog(TPostwatchDialogData& dialogData, QWidget* parent)
    : QDialog(parent), data_(dialogData) {
    setWindowTitle(Utf8("Настройка..."));
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    layout->addWidget(tabs);

    auto* box = new QWidget(tabs);
    auto* boxForm = new QFormLayout(box);
    edMailServer_ = NamedEdit("edMailServer", dialogData.Server, box);
    edMailServer_->setPlaceholderText("pop.example.org, pop3s://pop.example.org:995");
    boxForm->addRow(Utf8("Адрес почтового POP3-сервера:"), edMailServer_);
    edMailName_ = NamedEdit("edMailName", dialogData.User, box);
    boxForm->addRow(Utf8("Имя для входа:"), edMailName_);
    edMailPass_ = NamedEdit("edMailPass", dialogData.Password, box);
    edMailPass_->setEchoMode(QLineEdit::Password);
    boxForm->addRow(Utf8("Пароль для входа:"), edMailPass_);
    auto* timeout = new QHBoxLayout;
    udMailTimeout_ = new QSpinBox(box);
    udMailTimeout_->setObjectName("udMailTimeout");
    udMailTimeout_->setRange(3, 10000);
    udMailTimeout_->setValue(dialogData.CheckTimeoutMin);
    timeout->addWidget(udMailTimeout_);
    timeout->addWidget(new QLabel(Utf8("мин."), box));
    timeout->addStretch();
    boxForm->addRow(Utf8("Проверять почту каждые:"), timeout);
    cbSecurity_ = new QComboBox(box);
    cbSecurity_->setObjectName("cbSecurity");
    cbSecurity_->addItem(Utf8("без шифрования (порт 110)"), "none");
    cbSecurity_->addItem(Utf8("STARTTLS (порт 110)"), "starttls");
    cbSecurity_->addItem(Utf8("POP3S, SSL/TLS (порт 995)"), "pop3s");
    cbSecurity_->setCurrentIndex(std::max(0, cbSecurity_->findData(QString(dialogData.Security))));
    boxForm->addRow(Utf8("Защита соединения:"), cbSecurity_);
    cbAcceptSelfSigned_ = new QCheckBox(Utf8("Принимать самоподписанный сертификат сервера"), box);
    cbAcceptSelfSigned_->setObjectName("cbAcceptSelfSigned");
    cbAcceptSelfSigned_->setChecked(dialogData.AcceptSelfSigned != 0);
    boxForm->addRow(cbAcceptSelfSigned_);
    tabs->addTab(box, Utf8("Почтовый ящик"));

    auto* output = new QWidget(tabs);
    auto* outputLayout = new QVBoxLayout(output);
    edMailMask_ = NamedEdit("edMailMask", dialogData.Mask, output);
    outputLayout->addWidget(edMailMask_);
    for (const char* legend : {"%date% - дата письма,", "%subject% - тема письма,",
                               "%from% - отправитель,", "%size% - размер письма"})
        outputLayout->addWidget(new QLabel(Utf8(legend), output));
    auto* delimiter = new QHBoxLayout;
    delimiter->addWidget(new QLabel(Utf8("Символ разделения нескольких писем:"), output));
    const char shown[2] = {dialogData.Delimiter[0], '\0'};
    edMailDelimiter_ = NamedEdit("edMailDelimiter", shown, output);
    edMailDelimiter_->setMaxLength(1);
    edMailDelimiter_->setFixedWidth(edMailDelimiter_->fontMetrics().horizontalAdvance("WW") + 12);
    delimiter->addWidget(edMailDelimiter_);
    delimiter->addStretch();
    outputLayout->addLayout(delimiter);
    outputLayout->addStretch();
    tabs->addTab(output, Utf8("Вывод"));

    AddDialogButtons(*this, *layout, "Запомнить", "Отмена", [this] { Save(); });
    TranslateItems(*cbSecurity_);
    TranslateItems(*tabs);
    TranslatePluginDialog(*this);
}

void TPostwatchDialog::Save() {
    CopyCp1251(data_.Server, edMailServer_->text().trimmed());
    CopyCp1251(data_.User, edMailName_->text());
    CopyCp1251(data_.Password, edMailPass_->text());
    data_.CheckTimeoutMin = udMailTimeout_->value();
    CopyCp1251(data_.Mask, edMailMask_->text());
    const std::string delimiter = Utf8ToCp1251(edMailDelimiter_->text().toStdString());
    data_.Delimiter[0] = delimiter.empty() ? ' ' : delimiter[0];
    data_.Delimiter[1] = '\0';
    CopyCp1251(data_.Security, cbSecurity_->currentData().toString());
    data_.AcceptSelfSigned = cbAcceptSelfSigned_->isChecked() ? 1 : 0;
    accept();
}

int32_t TPostwatchDialog::Run(TPostwatchDialogData* data) {
    if (!data || !qApp) return 0;
    TPostwatchDialog dialog(*data, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

} // namespace orv

ORVANTA3_EXPORT int32_t RunPostwatchDialog(TPostwatchDialogData* data) {
    return orv::TPostwatchDialog::Run(data);
}
