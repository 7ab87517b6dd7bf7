#include "base/ui/WheelNeedsFocus.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QWheelEvent>

namespace orv {

namespace {

QWidget* WheelValueControl(QObject* object) {
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(object)) return spin;
    if (auto* combo = qobject_cast<QComboBox*>(object)) return combo;
    return nullptr;
}

} // namespace

TWheelNeedsFocus::TWheelNeedsFocus(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
    // Controls made before this object get the focus rule now.
    for (QWidget* widget : QApplication::allWidgets())
        if (QWidget* control = WheelValueControl(widget);
            control && control->focusPolicy() == Qt::WheelFocus)
            control->setFocusPolicy(Qt::StrongFocus);
}

TWheelNeedsFocus::~TWheelNeedsFocus() { qApp->removeEventFilter(this); }

bool TWheelNeedsFocus::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Polish && type != QEvent::Wheel) return false;
    QWidget* control = WheelValueControl(watched);
    if (!control) return false;
    if (type == QEvent::Polish) {
        if (control->focusPolicy() == Qt::WheelFocus) control->setFocusPolicy(Qt::StrongFocus);
        return false;
    }
    if (control->hasFocus()) return false;
    // Passed on up to the first widget that takes it (the page's scroll area), as Qt does for a
    // wheel that a widget ignores.
    const auto& wheel = static_cast<const QWheelEvent&>(*event);
    for (QWidget* holder = control->parentWidget(); holder; holder = holder->parentWidget()) {
        QWheelEvent passed(holder->mapFromGlobal(wheel.globalPosition()), wheel.globalPosition(),
                           wheel.pixelDelta(), wheel.angleDelta(), wheel.buttons(),
                           wheel.modifiers(), wheel.phase(), wheel.inverted(), wheel.source());
        passed.setAccepted(false);
        QCoreApplication::sendEvent(holder, &passed);
        if (passed.isAccepted() || holder->isWindow()) break;
    }
    return true;
}

} // namespace orv
