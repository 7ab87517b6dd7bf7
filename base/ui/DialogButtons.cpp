#include "base/ui/DialogButtons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace orv {

TDialogButtons MakeDialogButtons(QWidget* parent) {
    TDialogButtons buttons{};
    buttons.btnTry = new QPushButton(QString::fromUtf8("Попробовать"), parent);
    buttons.btnTry->setObjectName("btnTry");
    buttons.btnTry->setAutoDefault(false);
    buttons.btnOk = new QPushButton("Ok", parent);
    buttons.btnOk->setObjectName("btnOk");
    buttons.btnOk->setDefault(true);
    buttons.btnClose = new QPushButton(QString::fromUtf8("Закрыть"), parent);
    buttons.btnClose->setObjectName("btnClose");
    buttons.btnClose->setAutoDefault(false);
    buttons.row = new QHBoxLayout;
    buttons.row->addWidget(buttons.btnTry);
    buttons.row->addStretch(1);
    buttons.row->addWidget(buttons.btnOk);
    buttons.row->addWidget(buttons.btnClose);
    return buttons;
}

} // namespace orv
