#include "drivers/base/ui/CharPanelDialog.h"

#include "base/ui/DialogButtons.h"
#include "base/Cp1251.h"
#include "base/ui/DialogText.h"
#include "base/ui/PluginDialogLanguage.h"
#include "base/ui/QtCp1251.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <vector>

namespace orv {

int32_t RunCharPanelDialog(TCharPanelDialogData* data) {
    if (!data || !qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QString::fromUtf8(" Конфигурация..."));
    auto* form = new QFormLayout;
    std::vector<QComboBox*> boxes;
    const size_t count = std::min(data->Count, kCharPanelDialogFields);
    for (size_t i = 0; i < count; ++i) {
        const TCharPanelDialogField& field = data->Fields[i];
        auto* box = new QComboBox(&dialog);
        box->setEditable(true);
        box->setObjectName(QString("cbField%1").arg(i));
        if (field.Choices && *field.Choices) box->addItems(FromCp1251(field.Choices).split('\n'));
        box->setEditText(FromCp1251(field.Value));
        form->addRow(new QLabel(FromCp1251(field.Label ? field.Label : ""), &dialog), box);
        boxes.push_back(box);
    }
    const TDialogButtons buttons = MakeDialogButtons(&dialog);
    buttons.btnTry->hide(); // the panel shows the values once the dialog is closed
    auto* main = new QVBoxLayout(&dialog);
    main->addLayout(form);
    main->addLayout(buttons.row);
    QObject::connect(buttons.btnOk, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(buttons.btnClose, &QPushButton::clicked, &dialog, &QDialog::reject);
    TranslatePluginDialog(dialog);
    if (dialog.exec() != QDialog::Accepted) return 0;
    for (size_t i = 0; i < count; ++i) {
        CopyCp1251(data->Fields[i].Value, boxes[i]->currentText().trimmed());
    }
    return 1;
}

} // namespace orv
