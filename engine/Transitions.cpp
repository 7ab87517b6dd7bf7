#include "engine/Transitions.h"

#include "engine/EngineClock.h"
#include "abi/ConstUnit.h"

#include <cstddef>
#include <vector>

namespace orv {

namespace {

// The first count rows, each cut or padded to exactly width characters.
std::vector<std::string> Fit(const TScreenRows& rows, size_t count, size_t width) {
    std::vector<std::string> out(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(count));
    for (auto& row : out) row.resize(width, ' ');
    return out;
}

// Row index (0-based) of the panel.
void Write(TLCDBaseControl& driver, size_t index, const std::string& text) {
    driver.WriteText(1, static_cast<uint8_t>(index + 1), text.data(), text.size());
}

} // namespace

void TTransitionPlayer::Play(TLCDBaseControl* driver, const TScreenRows& oldRows,
                             const TScreenRows& newRows, int effect, int32_t speedMs) {
    if (!driver) return;
    const int32_t cols = driver->GetColCount();
    const int32_t rowCount = driver->GetRowCount();
    if (cols < 1 || rowCount < 1 || cols > kMaxEffectCols || rowCount > kMaxRows) return;
    const int32_t stepMs = speedMs / (cols * rowCount);
    const auto rows = static_cast<size_t>(rowCount); // both at least 1 from here on
    const auto width = static_cast<size_t>(cols);
    auto old = Fit(oldRows, rows, width);
    auto next = Fit(newRows, rows, width);

    switch (effect) {
    case teDissolve: {
        // Each round replaces one not yet replaced cell per row, chosen at random.
        std::vector<std::vector<size_t>> unused(rows);
        for (auto& columns : unused)
            for (size_t c = 0; c < width; ++c) columns.push_back(c);
        for (size_t round = 0; round < width; ++round) {
            for (size_t r = 0; r < rows; ++r) {
                auto& columns = unused[r];
                const uint32_t pick = random_.Below(static_cast<uint32_t>(columns.size()));
                const size_t c = columns[pick % columns.size()];
                columns[pick % columns.size()] = columns.back();
                columns.pop_back();
                old[r][c] = next[r][c];
            }
            for (size_t r = 0; r < rows; ++r) {
                Write(*driver, r, old[r]);
                clock_.SleepMs(stepMs);
            }
        }
        break;
    }
    case teSlide: {
        const int32_t slideMs = stepMs / 2;
        const std::string blanks(width, ' ');
        for (size_t p = width; p >= 1; --p) {
            for (size_t r = 0; r < rows; ++r) {
                Write(*driver, r, (blanks + old[r]).substr(p - 1, width));
                clock_.SleepMs(slideMs);
            }
        }
        for (size_t p = 1; p <= width; ++p) {
            for (size_t r = 0; r < rows; ++r) {
                Write(*driver, r, (blanks + next[r]).substr(p, width));
                clock_.SleepMs(slideMs);
            }
        }
        break;
    }
    case teScrollUp: {
        const int32_t scrollMs = speedMs / (rowCount * rowCount);
        for (size_t round = 0; round < rows; ++round) {
            for (size_t r = 0; r + 1 < rows; ++r) old[r] = old[r + 1];
            old[rows - 1] = next[0];
            for (size_t r = 0; r + 1 < rows; ++r) next[r] = next[r + 1];
            for (size_t r = 0; r < rows; ++r) {
                Write(*driver, r, old[r]);
                clock_.SleepMs(scrollMs);
            }
        }
        break;
    }
    default: break;
    }
}

} // namespace orv
