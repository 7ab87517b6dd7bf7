#include "engine/Transitions.h"

#include "engine/EngineClock.h"
#include "abi/ConstUnit.h"

#include <vector>

namespace orv {

namespace {

// The first rows rows, each cut or padded to exactly cols characters.
std::vector<std::string> Fit(const TScreenRows& rows, int32_t rowCount, int32_t cols) {
    std::vector<std::string> out(rows.begin(), rows.begin() + rowCount);
    for (auto& row : out) row.resize(static_cast<size_t>(cols), ' ');
    return out;
}

void Write(TLCDBaseControl& driver, int32_t row, const std::string& text) {
    driver.WriteText(1, static_cast<uint8_t>(row), text.data(), text.size());
}

} // namespace

void TTransitionPlayer::Play(TLCDBaseControl* driver, const TScreenRows& oldRows,
                             const TScreenRows& newRows, int effect, int32_t speedMs) {
    if (!driver) return;
    const int32_t cols = driver->GetColCount();
    const int32_t rowCount = driver->GetRowCount();
    if (cols < 1 || rowCount < 1 || cols > kMaxEffectCols || rowCount > kMaxRows) return;
    const int32_t stepMs = speedMs / (cols * rowCount);
    auto old = Fit(oldRows, rowCount, cols);
    auto next = Fit(newRows, rowCount, cols);

    switch (effect) {
    case teDissolve: {
        // Each round replaces one not yet replaced cell per row, chosen at random.
        std::vector<std::vector<int32_t>> unused(rowCount);
        for (auto& columns : unused)
            for (int32_t c = 0; c < cols; ++c) columns.push_back(c);
        for (int32_t round = 0; round < cols; ++round) {
            for (int32_t r = 0; r < rowCount; ++r) {
                auto& columns = unused[r];
                const uint32_t pick = random_.Below(static_cast<uint32_t>(columns.size()));
                const int32_t c = columns[pick % columns.size()];
                columns[pick % columns.size()] = columns.back();
                columns.pop_back();
                old[r][c] = next[r][c];
            }
            for (int32_t r = 0; r < rowCount; ++r) {
                Write(*driver, r + 1, old[r]);
                clock_.SleepMs(stepMs);
            }
        }
        break;
    }
    case teSlide: {
        const int32_t slideMs = stepMs / 2;
        const std::string blanks(static_cast<size_t>(cols), ' ');
        for (int32_t p = cols; p >= 1; --p) {
            for (int32_t r = 0; r < rowCount; ++r) {
                Write(*driver, r + 1, (blanks + old[r]).substr(p - 1, cols));
                clock_.SleepMs(slideMs);
            }
        }
        for (int32_t p = 1; p <= cols; ++p) {
            for (int32_t r = 0; r < rowCount; ++r) {
                Write(*driver, r + 1, (blanks + next[r]).substr(p, cols));
                clock_.SleepMs(slideMs);
            }
        }
        break;
    }
    case teScrollUp: {
        const int32_t scrollMs = speedMs / (rowCount * rowCount);
        for (int32_t round = 0; round < rowCount; ++round) {
            for (int32_t r = 0; r + 1 < rowCount; ++r) old[r] = old[r + 1];
            old[rowCount - 1] = next[0];
            for (int32_t r = 0; r + 1 < rowCount; ++r) next[r] = next[r + 1];
            for (int32_t r = 0; r < rowCount; ++r) {
                Write(*driver, r + 1, old[r]);
                clock_.SleepMs(scrollMs);
            }
        }
        break;
    }
    default:
        break;
    }
}

} // namespace orv
