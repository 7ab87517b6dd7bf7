// How a row of the module list is drawn: a separator as a grey line, a module as its icon and
// its name, bold while the module is on.
#pragma once

#include <QStyledItemDelegate>

namespace orv {

class TModuleHost;

// Item data of a row: the table index, or TModuleListItem::kSeparator.
constexpr int kModuleIndexRole = Qt::UserRole;

class TModuleListDelegate : public QStyledItemDelegate {
public:
    TModuleListDelegate(const TModuleHost& host, QObject* parent)
        : QStyledItemDelegate(parent), host_(host) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const TModuleHost& host_;
};

} // namespace orv
