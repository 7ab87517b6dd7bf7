// The settings dialog of valuetap (Qt): the sources in a table on one tab, the MQTT broker on
// the other.
#pragma once

#include "modules/valuetap/ValueTapDialogApi.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace orv {

class TValueTapDialog : public QDialog {
    Q_OBJECT
public:
    explicit TValueTapDialog(TValueTapDialogData& data, QWidget* parent = nullptr);

    // Shows the dialog modally over the application's active window; 1 after "Сохранить".
    static int32_t Run(TValueTapDialogData* data);

private:
    void AddRow(const TValueTapSourceData& source);
    void AddSource();
    void RemoveSource();
    void Save();

    TValueTapDialogData& data_;
    QTableWidget* tblSources_ = nullptr;
    QLineEdit* edHost_ = nullptr;
    QSpinBox* udPort_ = nullptr;
    QCheckBox* cbTls_ = nullptr;
    QLineEdit* edCaFile_ = nullptr;
    QLineEdit* edUser_ = nullptr;
    QLineEdit* edPass_ = nullptr;
    QLineEdit* edPassFile_ = nullptr;
};

} // namespace orv
