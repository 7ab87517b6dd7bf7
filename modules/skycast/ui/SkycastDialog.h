// The settings dialog of skycast (Qt): the city code with its menu of cities, the proxy switch,
// the source and its server.
#pragma once

#include "modules/skycast/SkycastDialogApi.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;

namespace orv {

class TRunTimeText;

class TSkycastDialog : public QDialog {
    Q_OBJECT
public:
    explicit TSkycastDialog(TSkycastDialogData& data, QWidget* parent = nullptr);

    // Shows the dialog modally over the application's active window; 1 after "Запомнить".
    static int32_t Run(TSkycastDialogData* data);

private:
    void Save();

    TSkycastDialogData& data_;
    QLineEdit* edCity_ = nullptr;
    QPushButton* btnSelectCity_ = nullptr;
    QMenu* pmSelectCity_ = nullptr;
    QCheckBox* cbUseProxy_ = nullptr;
    QComboBox* cbSource_ = nullptr;
    QLineEdit* edServer_ = nullptr;
    TRunTimeText* badCode_ = nullptr; // the warning for a code that is not a number
};

} // namespace orv
