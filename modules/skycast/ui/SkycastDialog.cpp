// ui/skycast.so: the settings dialog of the weather module.
#include "modules/skycast/ui/SkycastDialog.h"

#include "abi/ConstUnit.h"
#include "base/ui/DialogText.h"
#include "base/TextUtil.h"
#include "modules/skycast/SkycastCities.h"
#include "base/ui/PluginDialogLanguage.h"
#include "base/ui/WindowLanguage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

namespace orv {

TSkycastDialog::TSkycastDialog(TSkycastDialogData& dialogData, QWidget* parent)
    : QDialog(parent), data_(dialogData) {
    setWindowTitle(Utf8("Настройка..."));
    auto* layout = new QVBoxLayout(this);

    auto* hint =
        new QLabel(Utf8("Если Вашего города нет в списке, найдите его страницу на сайте погодного "
                        "сервиса: число после \"cyid=\" в адресе этой страницы и есть код города. "
                        "Прогноз Open-Meteo знает места городов из списка."),
                   this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(Utf8("Код Вашего города:"), this), 0, 0);
    auto* city = new QHBoxLayout;
    edCity_ = new QLineEdit(FromCp1251(dialogData.CityCode), this);
    edCity_->setObjectName("edCity");
    city->addWidget(edCity_);
    btnSelectCity_ = new QPushButton(Utf8("..."), this);
    btnSelectCity_->setObjectName("btnSelectCity");
    btnSelectCity_->setFixedWidth(btnSelectCity_->fontMetrics().horizontalAdvance("...") + 16);
    city->addWidget(btnSelectCity_);
    grid->addLayout(city, 0, 1);

    grid->addWidget(new QLabel(Utf8("Источник данных:"), this), 1, 0);
    cbSource_ = new QComboBox(this);
    cbSource_->setObjectName("cbSource");
    cbSource_->addItem(Utf8("прогноз Open-Meteo"), "open-meteo");
    cbSource_->addItem(Utf8("погодный экспорт (cyid)"), "export");
    cbSource_->setCurrentIndex(std::strcmp(dialogData.Source, "export") == 0 ? 1 : 0);
    grid->addWidget(cbSource_, 1, 1);

    grid->addWidget(new QLabel(Utf8("Адрес сервера (пусто - стандартный):"), this), 2, 0);
    edServer_ = new QLineEdit(FromCp1251(dialogData.Server), this);
    edServer_->setObjectName("edServer");
    edServer_->setPlaceholderText("http://127.0.0.1:8080");
    grid->addWidget(edServer_, 2, 1);
    layout->addLayout(grid);

    cbUseProxy_ = new QCheckBox(Utf8("Использовать соединение через прокси-сервер"), this);
    cbUseProxy_->setObjectName("cbUseProxy");
    cbUseProxy_->setChecked(dialogData.UseProxy != 0);
    layout->addWidget(cbUseProxy_);

    pmSelectCity_ = new QMenu(this);
    pmSelectCity_->setObjectName("pmSelectCity");
    QMenu* group = nullptr;
    const char* groupName = nullptr;
    for (const TCity& c : Cities()) {
        if (!groupName || std::strcmp(groupName, c.Group) != 0) {
            groupName = c.Group;
            group = pmSelectCity_->addMenu(Utf8(c.Group));
        }
        const int32_t code = c.Code;
        group->addAction(Utf8(c.Name), this,
                         [this, code] { edCity_->setText(QString::number(code)); });
    }
    connect(btnSelectCity_, &QPushButton::clicked, this,
            [this] { pmSelectCity_->popup(QCursor::pos()); });

    AddDialogButtons(*this, *layout, "Запомнить", "Закрыть", [this] { Save(); });

    TranslateItems(*cbSource_);
    badCode_ = new TRunTimeText(*this, Utf8("Вы ввели код неправильно!!!"));
    TranslatePluginDialog(*this, dialogData.Language, dialogData.LanguageFile);
}

void TSkycastDialog::Save() {
    if (!ParseInt32(edCity_->text().toStdString())) {
        QMessageBox::warning(this, windowTitle(), badCode_->Text());
        return;
    }
    CopyCp1251(data_.CityCode, edCity_->text().trimmed());
    data_.UseProxy = cbUseProxy_->isChecked() ? 1 : 0;
    CopyCp1251(data_.Source, cbSource_->currentData().toString());
    CopyCp1251(data_.Server, edServer_->text().trimmed());
    accept();
}

int32_t TSkycastDialog::Run(TSkycastDialogData* data) {
    if (!data || !qApp) return 0;
    TSkycastDialog dialog(*data, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

} // namespace orv

ORVANTA3_EXPORT int32_t RunSkycastDialog(TSkycastDialogData* data) {
    return orv::TSkycastDialog::Run(data);
}
