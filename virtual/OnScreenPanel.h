// What a character LCD control that paints itself shows in its X window, kept so that the
// thread which makes the frames can put them there itself, without waking the GUI thread.
//
// The control (GUI thread) gives it the window's surface and, after every change of look, the
// cells' places and the images of the characters shown, more as captions need them; any
// thread then shows captions, which puts the cells that changed straight to the window. Whole
// repaints (exposure, a new look) go through Paint, under the same lock as the puts, so that
// the window ends with the latest caption whichever comes first.
#pragma once

#include "virtual/X11Surface.h"

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QSize>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QPainter;

namespace orv {

// A run of neighbouring cells on a line: {line, first cell, last cell}.
using TCellRun = std::array<int, 3>;

// The runs of cells k (line by line, Chars to a line) for which changed(k) holds.
std::vector<TCellRun> ChangedRuns(int lines, int chars, const std::function<bool(size_t)>& changed);

// Character k of a caption as drawn: 0 beyond it or beyond the 255 bytes a control draws.
uint8_t CaptionCode(std::string_view caption, size_t k);

class TOnScreenPanel {
public:
    struct TLook {
        int Lines = 0;
        int Chars = 0;
        QSize Cell;
        QPoint FirstCell;  // where cell (0, 0) starts
        QSize Step;        // from one cell to the next on a line (width) and below (height)
        QRgb Background{}; // between the cells
        bool CellsShown = false;
        // By code, each Format_RGB32; null: not given yet (only the codes shown are drawn).
        std::array<QImage, 256> Cells;
        QPoint Origin(int line, int cell) const {
            return FirstCell + QPoint(cell * Step.width(), line * Step.height());
        }
    };

    // GUI thread.
    // The window put to; 0 while there is none.
    WId Window() const;
    void SetSurface(std::unique_ptr<TX11Surface> surface);
    void SetLook(TLook look);
    // Images of cells by code, into the look (replacing those given before).
    void AddCells(const std::vector<std::pair<uint8_t, QImage>>& cells);
    // draw(painter, caption) paints the region of the control into an image of its size,
    // which is put in its window; under the lock, so that no caption shown meanwhile is lost.
    void Paint(QSize size, const QRegion& region,
               const std::function<void(QPainter&, const std::string&)>& draw);
    // The control paints otherwise from now on, or goes: nothing is kept or put any more.
    // The caption kept last.
    std::string Close();

    // Any thread. Keeps caption and, once there are a window and a look, puts the cells that
    // changed. Keeps nothing when a changed cell shows a code whose image the look lacks
    // (AddCells first), once closed, and, unless mayWait, when it would wait: for another put
    // under way or for the server to read what it was sent. Captions numbered by sequence
    // (from 1 up) are shown in that order: one older than the last shown is dropped (Shown);
    // sequence 0 is always shown.
    enum class TShown { Shown, NeedsCells, Busy, Closed };
    TShown ShowCaption(std::string_view caption, bool mayWait, uint64_t sequence = 0);
    // GUI thread. Puts the cells that show code again (after AddCells gave its new image).
    void PutCode(uint8_t code);
    std::string Caption() const;

private:
    // Under mutex_.
    size_t RunBytes(const std::vector<TCellRun>& runs) const;
    void PutRuns(const std::vector<TCellRun>& runs);

    mutable std::mutex mutex_;
    std::unique_ptr<TX11Surface> surface_;
    TLook look_;
    bool lookKnown_ = false;
    bool closed_ = false;
    uint64_t shownSequence_ = 0;
    std::string caption_;
    QImage run_; // the cells of a run, as put
};

} // namespace orv
