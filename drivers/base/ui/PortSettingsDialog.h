// The settings dialog of the parallel-port panel drivers (Qt), with its try mode: while btnTry
// is down the driver's try object writes "read this? N" to row 1 on every pass of the event
// loop.
#pragma once

#include "drivers/base/PortDialogApi.h"

#include <QDialog>
#include <QTimer>

class QComboBox;
class QPushButton;
class QSlider;

namespace orv {

struct TPortDialogLayout {
    bool textPanel; // connection type, rows and columns shown
    int delayMin;   // tbDelay range and steps
    int delayMax;
    int delaySingleStep;
    int delayPageStep;
    bool portChangeEndsTry; // editing cbPort releases btnTry
};

class TPortSettingsDialog : public QDialog {
    Q_OBJECT
public:
    TPortSettingsDialog(const TPortDialogLayout& layout, TPortDialogData& data,
                        QWidget* parent = nullptr);
    ~TPortSettingsDialog() override;

    // The values shown now, as the driver reads them after "Ok".
    TPortDialogValues Values() const;

    // Shows the dialog modally over the application's active window; 1 after "Ok".
    static int32_t Run(const TPortDialogLayout& layout, TPortDialogData* data);

private:
    void SetTrying(bool on);
    void TryStep();
    void EndTry();

    TPortDialogData& data_;
    QComboBox* cbConnectionType_ = nullptr;
    QComboBox* cbPort_ = nullptr;
    QComboBox* cbRows_ = nullptr;
    QComboBox* cbCols_ = nullptr;
    QSlider* tbDelay_ = nullptr;
    QPushButton* btnTry_ = nullptr;
    QTimer tryTimer_;
    bool trying_ = false;
    int tryCount_ = 0;
};

} // namespace orv
