// The button row of the drivers' settings dialogs: btnTry on the left, btnOk (the default) and
// btnClose on the right.
#pragma once

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace orv {

struct TDialogButtons {
    QHBoxLayout* row;
    QPushButton* btnTry;
    QPushButton* btnOk;
    QPushButton* btnClose;
};

TDialogButtons MakeDialogButtons(QWidget* parent);

} // namespace orv
