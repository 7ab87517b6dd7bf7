// Spin boxes and combo boxes that change only when the user means it: they take the mouse wheel
// only while they have the keyboard focus (a wheel over them no longer gives it); otherwise the
// wheel goes on to what holds them, so a page scrolls past them unchanged.
#pragma once

#include <QObject>

namespace orv {

class TWheelNeedsFocus final : public QObject {
public:
    // Watches every widget of the application while it lives.
    explicit TWheelNeedsFocus(QObject* parent = nullptr);
    ~TWheelNeedsFocus() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace orv
