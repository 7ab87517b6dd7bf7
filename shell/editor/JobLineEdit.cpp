#include "shell/editor/JobLineEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>

namespace orv {

TJobLineEdit::TJobLineEdit(int line, QWidget* parent) : QLineEdit(parent), line_(line) {
    setObjectName(QStringLiteral("edLine%1").arg(line));
    setAcceptDrops(true);
    setAutoFillBackground(true);
}

void TJobLineEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    emit Entered(line_);
}

void TJobLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    emit Left(line_, QApplication::focusWidget());
}

void TJobLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    if (!menu_) return QLineEdit::contextMenuEvent(event);
    setFocus(Qt::PopupFocusReason);
    menu_->exec(event->globalPos());
}

// A drop from elsewhere is inserted at the character under the pointer; a drag inside the
// line moves text as usual.
void TJobLineEdit::dropEvent(QDropEvent* event) {
    if (event->source() == this || !event->mimeData()->hasText())
        return QLineEdit::dropEvent(event);
    const QString text = event->mimeData()->text();
    const int at = cursorPositionAt(event->position().toPoint());
    deselect();
    setCursorPosition(at);
    insert(text);
    setFocus(Qt::MouseFocusReason);
    event->acceptProposedAction();
}

} // namespace orv
