#include "virtual/OnScreenPanel.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace orv {

namespace {

constexpr size_t kMaxCaptionBytes = 255;

} // namespace

std::vector<TCellRun> ChangedRuns(int lines, int chars,
                                  const std::function<bool(size_t)>& changed) {
    std::vector<TCellRun> runs;
    for (int line = 0; line < lines; ++line) {
        const size_t first = static_cast<size_t>(line) * chars;
        for (int cell = 0; cell < chars; ++cell) {
            if (!changed(first + cell)) continue;
            int last = cell;
            while (last + 1 < chars && changed(first + last + 1)) ++last;
            runs.push_back({line, cell, last});
            cell = last;
        }
    }
    return runs;
}

uint8_t CaptionCode(std::string_view caption, size_t k) {
    return k < std::min(caption.size(), kMaxCaptionBytes) ? static_cast<uint8_t>(caption[k]) : 0;
}

WId TOnScreenPanel::Window() const {
    std::lock_guard lock(mutex_);
    return surface_ ? surface_->Window() : 0;
}

void TOnScreenPanel::SetSurface(std::unique_ptr<TX11Surface> surface) {
    std::lock_guard lock(mutex_);
    surface_ = std::move(surface);
}

void TOnScreenPanel::SetLook(TLook look) {
    std::lock_guard lock(mutex_);
    look_ = std::move(look);
    lookKnown_ = true;
}

void TOnScreenPanel::AddCells(const std::vector<std::pair<uint8_t, QImage>>& cells) {
    std::lock_guard lock(mutex_);
    for (const auto& [code, image] : cells) look_.Cells[code] = image;
}

std::string TOnScreenPanel::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    surface_.reset();
    return caption_;
}

std::string TOnScreenPanel::Caption() const {
    std::lock_guard lock(mutex_);
    return caption_;
}

void TOnScreenPanel::Paint(QSize size, const QRegion& region,
                           const std::function<void(QPainter&, const std::string&)>& draw) {
    std::lock_guard lock(mutex_);
    if (!surface_ || region.isEmpty()) return;
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    draw(painter, caption_);
    painter.end();
    for (const QRect& part : region) surface_->Put(image, part, part.topLeft());
    surface_->Flush();
}

TOnScreenPanel::TShown TOnScreenPanel::ShowCaption(std::string_view caption, bool mayWait,
                                                   uint64_t sequence) {
    std::unique_lock lock(mutex_, std::defer_lock);
    if (mayWait)
        lock.lock();
    else if (!lock.try_lock())
        return TShown::Busy;
    if (closed_) return TShown::Closed;
    if (sequence != 0 && sequence < shownSequence_) return TShown::Shown; // overtaken
    if (caption != caption_ && surface_ && lookKnown_) {
        const auto runs = ChangedRuns(look_.Lines, look_.Chars, [&](size_t k) {
            return CaptionCode(caption_, k) != CaptionCode(caption, k);
        });
        for (const auto& [line, first, last] : runs)
            for (int cell = first; cell <= last; ++cell)
                if (look_.Cells[CaptionCode(caption, size_t(line) * look_.Chars + cell)].isNull())
                    return TShown::NeedsCells;
        if (!mayWait && !surface_->TakesWithoutWaiting(RunBytes(runs))) return TShown::Busy;
        caption_ = caption;
        PutRuns(runs);
    } else {
        caption_ = caption; // without a window yet, drawn whole when it comes
    }
    if (sequence != 0) shownSequence_ = sequence;
    return TShown::Shown;
}

void TOnScreenPanel::PutCode(uint8_t code) {
    std::lock_guard lock(mutex_);
    if (surface_ && lookKnown_)
        PutRuns(ChangedRuns(look_.Lines, look_.Chars,
                            [&](size_t k) { return CaptionCode(caption_, k) == code; }));
}

size_t TOnScreenPanel::RunBytes(const std::vector<TCellRun>& runs) const {
    size_t bytes = 0;
    for (const auto& [line, first, last] : runs)
        bytes += size_t(look_.Origin(line, last).x() + look_.Cell.width() -
                        look_.Origin(line, first).x()) *
                 size_t(look_.Cell.height()) * 4;
    return bytes;
}

void TOnScreenPanel::PutRuns(const std::vector<TCellRun>& runs) {
    if (runs.empty() || !look_.CellsShown) return;
    const QSize cell = look_.Cell;
    for (const auto& [line, first, last] : runs) {
        const QPoint origin = look_.Origin(line, first);
        const int width = look_.Origin(line, last).x() + cell.width() - origin.x();
        if (run_.width() < width || run_.height() != cell.height())
            run_ = QImage(std::max(width, run_.width()), cell.height(), QImage::Format_RGB32);
        run_.fill(look_.Background);
        for (int k = first; k <= last; ++k) {
            const QImage& image =
                look_.Cells[CaptionCode(caption_, static_cast<size_t>(line) * look_.Chars + k)];
            if (image.size() != cell || image.format() != QImage::Format_RGB32)
                continue; // not given
            const size_t left = static_cast<size_t>(look_.Origin(line, k).x() - origin.x()) * 4;
            for (int y = 0; y < cell.height(); ++y)
                std::memcpy(run_.scanLine(y) + left, image.constScanLine(y),
                            static_cast<size_t>(cell.width()) * 4);
        }
        surface_->Put(run_, QRect(0, 0, width, cell.height()), origin);
    }
    surface_->Flush();
}

} // namespace orv
