// edLine1..edLine8: a line editor of the job editor. It reports when it gains or loses the
// focus, shows the editor's own context menu, and takes a tag dragged from the tag tree at the
// drop point (the tree's drag carries the tag's example as plain text).
#pragma once

#include <QLineEdit>
#include <QMenu>
#include <QPointer>

namespace orv {

class TJobLineEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit TJobLineEdit(int line, QWidget* parent = nullptr);

    int Line() const { return line_; }
    void SetContextMenu(QMenu* menu) { menu_ = menu; }

signals:
    void Entered(int line);
    void Left(int line, QWidget* next);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    const int line_;
    QPointer<QMenu> menu_;
};

} // namespace orv
