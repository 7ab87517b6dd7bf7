#include "shell/editor/ScreenTabBar.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

namespace orv {

TScreenTabBar::TScreenTabBar(QWidget* parent) : QTabBar(parent) {
    setObjectName("tcJobControl");
    setExpanding(false);
    setMovable(false);
}

void TScreenTabBar::mousePressEvent(QMouseEvent* event) {
    QTabBar::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    dragging_ = false;
    dragSource_ = -1;
}

// The source is the tab under the pointer when the drag first moves.
void TScreenTabBar::mouseMoveEvent(QMouseEvent* event) {
    QTabBar::mouseMoveEvent(event);
    if (!pressed_ || dragging_) return;
    dragging_ = true;
    dragSource_ = tabAt(event->position().toPoint());
    if (dragSource_ >= 0) setCursor(Qt::DragMoveCursor);
}

void TScreenTabBar::mouseReleaseEvent(QMouseEvent* event) {
    QTabBar::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const bool dropped = pressed_ && dragging_;
    pressed_ = dragging_ = false;
    unsetCursor();
    const int target = tabAt(event->position().toPoint());
    if (dropped && dragSource_ >= 0 && target >= 0 && target != dragSource_)
        emit SwapRequested(dragSource_, target);
    dragSource_ = -1;
}

// Offered only for a click on the tab control itself.
void TScreenTabBar::contextMenuEvent(QContextMenuEvent* event) {
    const int index = tabAt(event->pos());
    if (index < 0) return;
    QMenu menu(this);
    menu.setObjectName("pmTabs");
    QAction* rename = menu.addAction(QStringLiteral("Переименовать"));
    rename->setObjectName("mnRename");
    if (menu.exec(event->globalPos()) == rename) emit RenameRequested(index);
}

} // namespace orv
