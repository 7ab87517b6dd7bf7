// Where a new window goes so that it covers no other and stays on screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace orv {

// The top-left corner of a window of size beside frame (the frame of another window), gap
// pixels apart: to its right when it fits on available, else to its left, else below it; in
// every case moved inside available as far as it fits.
QPoint PlaceBeside(const QRect& frame, const QSize& size, const QRect& available, int gap);

// at moved so that a window of size there lies inside available; its top-left corner stays
// inside when the window is larger than the area.
QPoint KeepInside(const QPoint& at, const QSize& size, const QRect& available);

} // namespace orv
