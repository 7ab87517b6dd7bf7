#include "shell/editor/EditorGlyphs.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace orv {

namespace {

constexpr int kSize = 16;

QPixmap Blank() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

// Four bars of two lengths, pushed to the side (or the middle) the text goes to.
QIcon AlignGlyph(TLineAlign align) {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 2));
    for (int i = 0; i < 4; ++i) {
        const int length = i % 2 == 0 ? 12 : 7;
        const int y = 3 + 3 * i;
        int left = 2;
        if (align == laCentre) left = (kSize - length) / 2;
        if (align == laRight) left = kSize - 2 - length;
        painter.drawLine(left, y, left + length, y);
    }
    return QIcon(pixmap);
}

// Arrow heads in the direction the text moves: left, right, or both ways.
QIcon ScrollGlyph(TLineScroll scroll) {
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(2, 8, 14, 8);
    painter.setBrush(Qt::black);
    const QPolygon leftHead({QPoint(1, 8), QPoint(6, 4), QPoint(6, 12)});
    const QPolygon rightHead({QPoint(15, 8), QPoint(10, 4), QPoint(10, 12)});
    if (scroll != lsMoveRight) painter.drawPolygon(leftHead);
    if (scroll != lsMoveLeft) painter.drawPolygon(rightHead);
    return QIcon(pixmap);
}

} // namespace orv
