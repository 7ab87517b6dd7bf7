// What settings dialogs share: texts between Windows-1251 records and the widgets, and the row
// of confirm and cancel buttons.
#pragma once

#include "base/FixedText.h"
#include "base/ui/QtCp1251.h"

#include <QBoxLayout>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include <algorithm>
#include <cstring>
#include <string>

namespace orv {

// text in Windows-1251, cut to fit, zero-terminated.
template <size_t N> void CopyCp1251(char (&target)[N], const QString& text) {
    CopyText(target, Utf8ToCp1251(text.toStdString()));
}

// An edit named name (for the tests and the language files) holding a Windows-1251 text.
inline QLineEdit* NamedEdit(const char* name, const char* text, QWidget* parent) {
    auto* edit = new QLineEdit(FromCp1251(text), parent);
    edit->setObjectName(name);
    return edit;
}

// "btnOk" (the default button, calls confirm) and "btnCancel" (rejects the dialog, as Esc
// does), right-aligned at the bottom of layout.
template <typename Confirm>
void AddDialogButtons(QDialog& dialog, QBoxLayout& layout, const char* okText,
                      const char* cancelText, Confirm confirm) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* btnOk = new QPushButton(Utf8(okText), &dialog);
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    auto* btnCancel = new QPushButton(Utf8(cancelText), &dialog);
    btnCancel->setObjectName("btnCancel");
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout.addLayout(buttons);
    QObject::connect(btnOk, &QPushButton::clicked, &dialog, confirm);
    QObject::connect(btnCancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    layout.setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace orv
