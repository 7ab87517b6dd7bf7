// The settings dialog of postwatch (Qt): the mailbox and its connection on one tab, the mask
// and delimiter of $mailDetails on the other.
#pragma once

#include "modules/postwatch/PostwatchDialogApi.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace orv {

class TPostwatchDialog : public QDialog {
    Q_OBJECT
public:
    explicit TPostwatchDialog(TPostwatchDialogData& data, QWidget* parent = nullptr);

    // Shows the dialog modally over the application's active window; 1 after "Запомнить".
    static int32_t Run(TPostwatchDialogData* data);

private:
    void Save();

    TPostwatchDialogData& data_;
    QLineEdit* edMailServer_ = nullptr;
    QLineEdit* edMailName_ = nullptr;
    QLineEdit* edMailPass_ = nullptr;
    QSpinBox* udMailTimeout_ = nullptr;
    QComboBox* cbSecurity_ = nullptr;
    QCheckBox* cbAcceptSelfSigned_ = nullptr;
    QLineEdit* edMailMask_ = nullptr;
    QLineEdit* edMailDelimiter_ = nullptr;
};

} // namespace orv
