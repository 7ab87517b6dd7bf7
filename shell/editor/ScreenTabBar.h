// tcJobControl: one tab per screen. Dragging a tab onto another asks for the two to be swapped;
// a right click on a tab offers "Переименовать".
#pragma once

#include <QTabBar>

namespace orv {

class TScreenTabBar final : public QTabBar {
    Q_OBJECT
public:
    explicit TScreenTabBar(QWidget* parent = nullptr);

signals:
    // A tab was dragged from source and dropped on target (two different tabs).
    void SwapRequested(int source, int target);
    void RenameRequested(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool pressed_ = false;  // the left button went down on the tab row
    bool dragging_ = false; // and the pointer has moved since
    int dragSource_ = -1;
};

} // namespace orv
