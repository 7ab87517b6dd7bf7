// ui/valuetap.so: the settings dialog of the user values module.
#include "modules/valuetap/ui/ValueTapDialog.h"

#include "abi/ConstUnit.h"
#include "base/ui/DialogText.h"
#include "base/ui/PluginDialogLanguage.h"
#include "base/ui/WindowLanguage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <set>

namespace orv {

namespace {

enum TColumn {
    colNumber,
    colName,
    colKind,
    colTarget,
    colPointer,
    colLine,
    colField,
    colPeriod,
    colTimeout,
    colMaxBytes,
    colMaxAge,
    colFolder,
    kColumnCount
};

constexpr const char* kHeaders[kColumnCount] = {"№",
                                                "Имя",
                                                "Вид",
                                                "Команда, файл или тема",
                                                "JSON-указатель",
                                                "Строка",
                                                "Поле",
                                                "Период, с",
                                                "Тайм-аут, с",
                                                "Байт не более",
                                                "Возраст не более, с",
                                                "Рабочая папка"};
constexpr const char* kKinds[] = {"command", "file", "mqtt"};

} // namespace

TValueTapDialog::TValueTapDialog(TValueTapDialogData& dialogData, QWidget* parent)
    : QDialog(parent), data_(dialogData) {
    setWindowTitle(Utf8("Свои значения: настройка"));
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    layout->addWidget(tabs);

    auto* sources = new QWidget(tabs);
    auto* sourcesLayout = new QVBoxLayout(sources);
    tblSources_ = new QTableWidget(0, kColumnCount, sources);
    tblSources_->setObjectName("tblSources");
    QStringList headers;
    for (const char* header : kHeaders) headers << Utf8(header);
    tblSources_->setHorizontalHeaderLabels(headers);
    tblSources_->verticalHeader()->hide();
    tblSources_->setMinimumWidth(900);
    for (int32_t i = 0; i < std::clamp(dialogData.SourceCount, 0, 32); ++i)
        AddRow(dialogData.Sources[i]);
    tblSources_->resizeColumnsToContents();
    sourcesLayout->addWidget(tblSources_);
    auto* rowButtons = new QHBoxLayout;
    auto* btnAdd = new QPushButton(Utf8("Добавить"), sources);
    btnAdd->setObjectName("btnAddSource");
    auto* btnRemove = new QPushButton(Utf8("Удалить"), sources);
    btnRemove->setObjectName("btnRemoveSource");
    rowButtons->addWidget(btnAdd);
    rowButtons->addWidget(btnRemove);
    rowButtons->addStretch();
    sourcesLayout->addLayout(rowButtons);
    connect(btnAdd, &QPushButton::clicked, this, &TValueTapDialog::AddSource);
    connect(btnRemove, &QPushButton::clicked, this, &TValueTapDialog::RemoveSource);
    tabs->addTab(sources, Utf8("Источники"));

    auto* broker = new QWidget(tabs);
    auto* form = new QFormLayout(broker);
    edHost_ = NamedEdit("edHost", dialogData.Host, broker);
    edHost_->setPlaceholderText("mqtt.example.org");
    form->addRow(Utf8("Брокер MQTT:"), edHost_);
    udPort_ = new QSpinBox(broker);
    udPort_->setObjectName("udPort");
    udPort_->setRange(1, 65535);
    udPort_->setValue(dialogData.Port);
    form->addRow(Utf8("Порт:"), udPort_);
    cbTls_ = new QCheckBox(Utf8("Шифрование TLS"), broker);
    cbTls_->setObjectName("cbTls");
    cbTls_->setChecked(dialogData.Tls != 0);
    form->addRow(cbTls_);
    edCaFile_ = NamedEdit("edCaFile", dialogData.CaFile, broker);
    form->addRow(Utf8("Файл сертификата CA:"), edCaFile_);
    edUser_ = NamedEdit("edUser", dialogData.User, broker);
    form->addRow(Utf8("Пользователь:"), edUser_);
    edPass_ = NamedEdit("edPass", dialogData.Password, broker);
    edPass_->setEchoMode(QLineEdit::Password);
    form->addRow(Utf8("Пароль:"), edPass_);
    edPassFile_ = NamedEdit("edPassFile", dialogData.PasswordFile, broker);
    form->addRow(Utf8("или файл с паролем:"), edPassFile_);
    tabs->addTab(broker, "MQTT");

    AddDialogButtons(*this, *layout, "Сохранить", "Отмена", [this] { Save(); });
    TranslateItems(*tabs);
    TranslateItems(*tblSources_);
    TranslatePluginDialog(*this);
}

void TValueTapDialog::AddRow(const TValueTapSourceData& source) {
    const int row = tblSources_->rowCount();
    tblSources_->insertRow(row);
    auto text = [&](int column, const QString& value) {
        tblSources_->setItem(row, column, new QTableWidgetItem(value));
    };
    text(colNumber, QString::number(source.Number));
    text(colName, FromCp1251(source.Name));
    auto* kind = new QComboBox(tblSources_);
    for (const char* name : kKinds) kind->addItem(name);
    kind->setCurrentIndex(std::max(0, kind->findText(source.Kind)));
    tblSources_->setCellWidget(row, colKind, kind);
    text(colTarget, FromCp1251(source.Target));
    text(colPointer, FromCp1251(source.Pointer));
    text(colLine, QString::number(source.Line));
    text(colField, QString::number(source.Field));
    text(colPeriod, QString::number(source.PeriodSec));
    text(colTimeout, QString::number(source.TimeoutSec));
    text(colMaxBytes, QString::number(source.MaxBytes));
    text(colMaxAge, QString::number(source.MaxAgeSec));
    text(colFolder, FromCp1251(source.Folder));
}

void TValueTapDialog::AddSource() {
    std::set<int> taken;
    for (int row = 0; row < tblSources_->rowCount(); ++row)
        taken.insert(tblSources_->item(row, colNumber)->text().toInt());
    TValueTapSourceData source{};
    source.Number = 1;
    while (taken.count(source.Number)) ++source.Number;
    if (source.Number > 32) return;
    std::strcpy(source.Kind, "command");
    source.Line = 1;
    source.PeriodSec = 60;
    source.TimeoutSec = 10;
    source.MaxBytes = 4096;
    AddRow(source);
    tblSources_->setCurrentCell(tblSources_->rowCount() - 1, colTarget);
}

void TValueTapDialog::RemoveSource() {
    const int row = tblSources_->currentRow();
    if (row >= 0) tblSources_->removeRow(row);
}

void TValueTapDialog::Save() {
    data_.SourceCount = 0;
    for (int row = 0; row < tblSources_->rowCount() && data_.SourceCount < 32; ++row) {
        TValueTapSourceData& d = data_.Sources[data_.SourceCount++];
        d = {};
        auto cell = [&](int column) {
            const QTableWidgetItem* item = tblSources_->item(row, column);
            return item ? item->text().trimmed() : QString();
        };
        d.Number = cell(colNumber).toInt();
        CopyCp1251(d.Kind,
                   static_cast<QComboBox*>(tblSources_->cellWidget(row, colKind))->currentText());
        CopyCp1251(d.Name, cell(colName));
        CopyCp1251(d.Target, cell(colTarget));
        CopyCp1251(d.Pointer, cell(colPointer));
        CopyCp1251(d.Folder, cell(colFolder));
        d.Line = cell(colLine).toInt();
        d.Field = cell(colField).toInt();
        d.PeriodSec = cell(colPeriod).toInt();
        d.TimeoutSec = cell(colTimeout).toInt();
        d.MaxBytes = cell(colMaxBytes).toInt();
        d.MaxAgeSec = cell(colMaxAge).toInt();
    }
    CopyCp1251(data_.Host, edHost_->text().trimmed());
    data_.Port = udPort_->value();
    data_.Tls = cbTls_->isChecked() ? 1 : 0;
    CopyCp1251(data_.CaFile, edCaFile_->text().trimmed());
    CopyCp1251(data_.User, edUser_->text());
    CopyCp1251(data_.Password, edPass_->text());
    CopyCp1251(data_.PasswordFile, edPassFile_->text().trimmed());
    accept();
}

int32_t TValueTapDialog::Run(TValueTapDialogData* data) {
    if (!data || !qApp) return 0;
    TValueTapDialog dialog(*data, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

} // namespace orv

ORVANTA3_EXPORT int32_t RunValueTapDialog(TValueTapDialogData* data) {
    return orv::TValueTapDialog::Run(data);
}
