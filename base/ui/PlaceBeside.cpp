#include "base/ui/PlaceBeside.h"

#include <algorithm>

namespace orv {

QPoint PlaceBeside(const QRect& frame, const QSize& size, const QRect& available, int gap) {
    QPoint at(frame.right() + 1 + gap, frame.top());
    if (at.x() + size.width() > available.right() + 1) {
        at.setX(frame.left() - gap - size.width());
        if (at.x() < available.left()) at = QPoint(frame.left(), frame.bottom() + 1 + gap);
    }
    return KeepInside(at, size, available);
}

QPoint KeepInside(const QPoint& at, const QSize& size, const QRect& available) {
    const int right = std::max(available.left(), available.right() + 1 - size.width());
    const int bottom = std::max(available.top(), available.bottom() + 1 - size.height());
    return {std::clamp(at.x(), available.left(), right),
            std::clamp(at.y(), available.top(), bottom)};
}

} // namespace orv
