#include "engine/LineLayout.h"

#include <algorithm>

namespace orv {

namespace {

// cols characters of text + separator + text from position start (1-based; below 1 counts as
// 1), blanks where the ring ends.
std::string RingWindow(const std::string& text, const std::string& separator, int64_t start,
                       int cols) {
    const auto length = static_cast<int64_t>(text.size());
    const auto sepLength = static_cast<int64_t>(separator.size());
    std::string out(static_cast<size_t>(cols), ' ');
    int64_t k = std::max<int64_t>(start, 1) - 1;
    for (auto& c : out) {
        if (k < length)
            c = text[static_cast<size_t>(k)];
        else if (k < length + sepLength)
            c = separator[static_cast<size_t>(k - length)];
        else if (k < 2 * length + sepLength)
            c = text[static_cast<size_t>(k - length - sepLength)];
        ++k;
    }
    return out;
}

std::string Aligned(const std::string& text, int cols, TLineAlign align) {
    const size_t blanks = static_cast<size_t>(cols) - text.size();
    switch (align) {
    case laCentre: {
        std::string out(blanks / 2, ' ');
        out += text;
        out.resize(static_cast<size_t>(cols), ' ');
        return out;
    }
    case laRight: return std::string(blanks, ' ') + text;
    default: {
        std::string out = text;
        out.resize(static_cast<size_t>(cols), ' ');
        return out;
    }
    }
}

} // namespace

void TLineLayout::Reset(int rows, int32_t scrollPos) {
    const auto count = static_cast<size_t>(std::clamp(rows, 0, kMaxRows));
    std::fill_n(scrollPos_.begin(), count, scrollPos);
    std::fill_n(scrollBack_.begin(), count, false);
}

std::string TLineLayout::Layout(int line, const std::string& text, int cols, TLineAlign align,
                                TLineScroll scroll, const std::string& separator) {
    if (cols <= 0) return {};
    if (text.size() <= static_cast<size_t>(cols)) return Aligned(text, cols, align);
    if (line < 1 || line > kMaxRows) return RingWindow(text, separator, 1, cols);

    const auto length = static_cast<int64_t>(text.size());
    int32_t& pos = scrollPos_[static_cast<size_t>(line - 1)];
    bool& back = scrollBack_[static_cast<size_t>(line - 1)];
    std::string out;
    switch (scroll) {
    case lsMoveLeft: // wraps after length + 1 positions, whatever the separator's length
        if (pos > length + 1) pos = 1;
        out = RingWindow(text, separator, pos, cols);
        if (++pos > length + 1) pos = 1;
        break;
    case lsMoveRight:
        if (pos > length) pos = static_cast<int32_t>(length);
        out = RingWindow(text, separator, pos, cols);
        if (--pos < 1) pos = static_cast<int32_t>(length);
        break;
    case lsBackAndForth: { // each end window stays for three ticks
        const auto limit = static_cast<int32_t>(length - cols + 2);
        if (!back) {
            pos = std::min(pos, limit - 1);
            if (++pos < limit) {
                out = RingWindow(text, separator, pos, cols);
            } else {
                back = true;
                out = RingWindow(text, separator, pos - 1, cols);
            }
        } else {
            pos = std::min(pos, limit);
            if (--pos >= 1) {
                out = RingWindow(text, separator, pos, cols);
            } else {
                back = false;
                out = RingWindow(text, separator, pos - 1, cols);
            }
        }
        break;
    }
    default: // not a scroll mode: the start of the line, standing still
        out = RingWindow(text, separator, 1, cols);
        break;
    }
    return out;
}

} // namespace orv
