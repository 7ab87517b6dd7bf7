// The settings dialog of headlines (Qt): the proxy switch, the download period and the
// addresses of the three lists.
#pragma once

#include "modules/headlines/HeadlinesDialogApi.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace orv {

class THeadlinesDialog : public QDialog {
    Q_OBJECT
public:
    explicit THeadlinesDialog(THeadlinesDialogData& data, QWidget* parent = nullptr);

    // Shows the dialog modally over the application's active window; 1 after "Ок".
    static int32_t Run(THeadlinesDialogData* data);

private:
    void Save();

    THeadlinesDialogData& data_;
    QCheckBox* cbUseProxy_ = nullptr;
    QSpinBox* UpDown1_ = nullptr;
    QLineEdit* edAddresses_[3] = {};
};

} // namespace orv
