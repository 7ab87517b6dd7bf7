// The file dialog for job files, the same wherever a job file is chosen: one filter name, the
// start in the folder of the current file (or a given folder), and the whole dialog, title bar
// included, on the screen even when its parent sits in a corner.
#pragma once

#include <QString>

class QWidget;

namespace orv {

struct TJobFileQuestion {
    bool Save = false;
    QString Current;      // the file chosen now; empty: none
    QString Folder;       // where to start without a current file
    QString FilterName;   // the name of the "*.orv3" filter, as translated now
    QString AllFilesName; // empty: no "all files" filter
};

// The chosen file; empty when the user cancels.
QString AskJobFile(QWidget* parent, const TJobFileQuestion& question);

// Moves a top-level widget of the given size so that it is centred over parent's window and
// lies wholly within that screen's available area, with room for a title bar above it.
void PlaceOnScreen(QWidget& dialog, const QWidget* parent);

} // namespace orv
