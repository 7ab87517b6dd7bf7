// tvTags: one group per data module that is on, one node per tag. Clicking a node shows its
// hint, double-clicking a tag node asks for its example to be edited, and a tag node dragged
// elsewhere carries its example as plain text. Without any group it shows a hint with a button
// that asks for the module list.
#pragma once

#include "host/modulehost/ModuleCatalogue.h"

#include <QTreeWidget>

class QLabel;
class QPushButton;

namespace orv {

class TTagTree final : public QTreeWidget {
    Q_OBJECT
public:
    explicit TTagTree(QWidget* parent = nullptr);

    // Clears the tree and fills it with groups (texts Windows-1251).
    void Fill(const std::vector<TTagGroup>& groups);

    // The example (UTF-8) of a tag node; empty for a group node or none.
    static QString Example(const QTreeWidgetItem* item);

    // The texts of the hint shown while the tree is empty (UTF-8).
    void SetEmptyHint(const QString& text, const QString& button);
    bool EmptyHintShown() const;

signals:
    void ModulesRequested(); // the hint's button
    void HintChosen(const QString& hint);
    void ExampleChosen(const QString& example); // a double click on a tag node

protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceEmptyHint();

    QWidget* emptyHint_;
    QLabel* emptyText_;
    QPushButton* emptyButton_;
};

} // namespace orv
