#include "shell/settings/ModuleListDelegate.h"

#include "host/modulehost/ModuleHost.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace orv {

namespace {

constexpr int kIconSize = 16;
constexpr int kTextGap = 6;

// The module's icon, drawn here for want of image lists: a panel for a driver, a disc for a
// data module (its hue from the module's group Id), a crescent for a screen saver; grey while off.
QPixmap ModuleIcon(const TShortPluginInfo& entry) {
    QPixmap icon(kIconSize, kIconSize);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    QColor colour(Qt::gray);
    if (entry.Active) {
        switch (entry.Kind()) {
        case TModuleKind::Driver: colour = QColor(40, 90, 200); break;
        case TModuleKind::ScreenSaver: colour = QColor(200, 120, 30); break;
        case TModuleKind::Data: {
            const TDataModule* data = entry.DataModule();
            const int id = data ? data->Descriptor().Id : 0;
            colour = QColor::fromHsv((id * 47) % 360, 170, 190);
            break;
        }
        }
    }
    p.setPen(colour.darker(140));
    p.setBrush(colour);
    switch (entry.Kind()) {
    case TModuleKind::Driver: p.drawRect(1, 4, 13, 8); break;
    case TModuleKind::Data: p.drawEllipse(2, 2, 11, 11); break;
    case TModuleKind::ScreenSaver: {
        QPainterPath moon;
        moon.addEllipse(1, 1, 13, 13);
        QPainterPath bite;
        bite.addEllipse(6, -1, 11, 11);
        p.drawPath(moon.subtracted(bite));
        break;
    }
    }
    return icon;
}

} // namespace

void TModuleListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const size_t tableIndex = index.data(kModuleIndexRole).value<size_t>();
    const QRect r = option.rect;
    painter->save();
    if (tableIndex >= host_.Modules().size()) { // a separator
        painter->fillRect(r, option.palette.base());
        painter->setPen(QColor(128, 128, 128));
        const int y = r.top() + r.height() / 2;
        painter->drawLine(r.left() + 4, y, r.right() + 1 - 8, y);
        painter->restore();
        return;
    }
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(r, selected ? option.palette.highlight() : option.palette.base());
    const TShortPluginInfo& entry = host_.Module(tableIndex);
    painter->drawPixmap(r.left(), r.top(), ModuleIcon(entry));
    QFont font = option.font;
    font.setBold(entry.Active);
    painter->setFont(font);
    painter->setPen(selected ? option.palette.highlightedText().color()
                             : option.palette.text().color());
    const QRect text(r.left() + kIconSize + kTextGap, r.top() + 1, r.width() - kIconSize - kTextGap,
                     r.height() - 1);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QSize TModuleListDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), kIconSize + 2));
    // The name in bold (as a module that is on shows) after the icon.
    QFont bold = option.font;
    bold.setBold(true);
    const int textWidth =
        QFontMetrics(bold).horizontalAdvance(index.data(Qt::DisplayRole).toString());
    size.setWidth(std::max(size.width(), kIconSize + kTextGap + textWidth + kTextGap));
    return size;
}

} // namespace orv
