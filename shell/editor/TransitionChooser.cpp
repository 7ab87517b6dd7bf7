#include "shell/editor/TransitionChooser.h"

#include "base/ui/QtCp1251.h"
#include "engine/Transitions.h"
#include "host/ProgramMessages.h"

#include <QAbstractItemView>
#include <QFontMetrics>

#include <algorithm>

namespace orv {

namespace {

constexpr int kTransitionCount = msgLastTransition - msgFirstTransition + 1;

} // namespace

TTransitionChooser::TTransitionChooser(QWidget* parent) : QComboBox(parent) {
    setObjectName("cbTransition");
    for (int i = 0; i < kTransitionCount; ++i) {
        addItem(QString());
        if (!Selectable(i)) setItemData(i, QColor(128, 128, 128), Qt::ForegroundRole);
    }
    ShowNames();
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && !Selectable(index)) setCurrentIndex(0);
    });
}

void TTransitionChooser::ShowNames() {
    for (int i = 0; i < kTransitionCount; ++i)
        setItemText(i, FromCp1251(Message(msgFirstTransition + i)));
}

bool TTransitionChooser::Selectable(int index) { return IsTransitionImplemented(index); }

// The list is as wide as its longest item plus 10 pixels, never narrower than the box.
void TTransitionChooser::showPopup() {
    const QFontMetrics metrics(view()->font());
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    view()->setMinimumWidth(std::max(widest + 10, width()));
    QComboBox::showPopup();
}

} // namespace orv
