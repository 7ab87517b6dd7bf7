// ui/headlines.so: the settings dialog of the news headlines module.
#include "modules/headlines/ui/HeadlinesDialog.h"

#include "abi/ConstUnit.h"
#include "base/ui/DialogText.h"
#include "base/ui/PluginDialogLanguage.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cstring>

namespace orv {

THeadlinesDialog::THeadlinesDialog(THeadlinesDialogData& dialogData, QWidget* parent)
    : QDialog(parent), data_(dialogData) {
    setWindowTitle(Utf8("Настройка..."));
    auto* layout = new QVBoxLayout(this);

    cbUseProxy_ = new QCheckBox(Utf8("Использовать соединение через прокси-сервер"), this);
    cbUseProxy_->setObjectName("cbUseProxy");
    cbUseProxy_->setChecked(dialogData.UseProxy != 0);
    layout->addWidget(cbUseProxy_);

    auto* refresh = new QHBoxLayout;
    refresh->addWidget(new QLabel(Utf8("Обновлять новости раз в"), this));
    UpDown1_ = new QSpinBox(this);
    UpDown1_->setObjectName("UpDown1");
    UpDown1_->setRange(1, 10000);
    UpDown1_->setValue(dialogData.RefreshHours);
    refresh->addWidget(UpDown1_);
    refresh->addWidget(new QLabel(Utf8("часов"), this));
    refresh->addStretch();
    layout->addLayout(refresh);

    auto* hint = new QLabel(Utf8("Адрес ленты новостей (RSS или Atom) или страницы сайта "
                                 "для каждого списка; пустой адрес оставляет список пустым."),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* form = new QFormLayout;
    const char* names[3] = {"edHardAddress", "edFreshAddress", "edReviewsAddress"};
    const char* captions[3] = {"Hardware-новости:", "Последние обзоры:", "Обзоры:"};
    for (int list = 0; list < 3; ++list) {
        edAddresses_[list] =
            new QLineEdit(QString::fromStdString(Cp1251ToUtf8(dialogData.Addresses[list])), this);
        edAddresses_[list]->setObjectName(names[list]);
        edAddresses_[list]->setMinimumWidth(360);
        form->addRow(Utf8(captions[list]), edAddresses_[list]);
    }
    layout->addLayout(form);

    AddDialogButtons(*this, *layout, "Ок", "Закрыть", [this] { Save(); });
    TranslatePluginDialog(*this);
}

void THeadlinesDialog::Save() {
    data_.UseProxy = cbUseProxy_->isChecked() ? 1 : 0;
    data_.RefreshHours = UpDown1_->value();
    for (int list = 0; list < 3; ++list)
        CopyCp1251(data_.Addresses[list], edAddresses_[list]->text().trimmed());
    accept();
}

int32_t THeadlinesDialog::Run(THeadlinesDialogData* data) {
    if (!data || !qApp) return 0;
    THeadlinesDialog dialog(*data, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

} // namespace orv

ORVANTA3_EXPORT int32_t RunHeadlinesDialog(THeadlinesDialogData* data) {
    return orv::THeadlinesDialog::Run(data);
}
