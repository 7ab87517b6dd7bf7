// The program's own pictures, painted from the project's 5 x 8 font: the start-up picture and
// the program icon. The build writes the icon files that are installed from the same code.
#pragma once

#include <QIcon>
#include <QImage>

namespace orv {

inline constexpr int kSplashWidth = 520;
inline constexpr int kSplashHeight = 340;

// 520 x 340: a lit LCD panel showing the program's name over a dark background; the lower
// band is left free for the progress and version texts.
QImage SplashPicture();

// A square picture of a small panel showing "O3", size x size pixels.
QImage ProgramIconImage(int size);

// The icon of the windows and the tray, in the usual sizes.
QIcon ProgramIcon();

} // namespace orv
