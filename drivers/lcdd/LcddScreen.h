// What the panel should show and what LCDd has been told: one screen "orv3" of foreground
// priority with one string widget per row ("r1".."r8"), plus one widget per cell that shows a
// custom character as a block icon or a bar (LcddGlyphs.h). Rows go to LCDd whole, and only
// when what they show has changed. No threads: the driver guards it with its lock.
#pragma once

#include "drivers/lcdd/LcddGlyphs.h"
#include "drivers/lcdd/LcddProtocol.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orv {

inline constexpr int32_t kLcddMaxRows = 8; // a job screen has eight lines
inline constexpr int32_t kLcddMaxCols = 255;

class TLcddScreen {
public:
    // The display LCDd announced; rows and columns are kept within the limits above. Every
    // row becomes blank.
    void SetDisplay(const TLcddDisplay& display);
    int32_t Rows() const { return static_cast<int32_t>(rows_.size()); }
    int32_t Cols() const { return display_.cols; }

    // Each returns whether what the panel should show has changed. Write places len bytes
    // from (col, row), both from 1, cut at the row's end; a row outside the display is ignored.
    bool Write(uint8_t col, uint8_t row, const char* text, size_t len);
    bool Clear();
    bool Define(uint8_t index, const TLcddPattern& pattern);
    bool SetVisible(bool visible);

    // The commands that set up a new connection after "hello": the client's name, the screen,
    // its row widgets and the keys. LCDd is then taken to show nothing of ours: the next
    // TakeUpdate sends every row.
    std::string Setup();
    // The commands that bring LCDd from what it was told to what it should show, now taken as
    // told; empty when nothing has changed.
    std::string TakeUpdate();

private:
    // One row as LCDd shows it: the string widget's text and the cells shown by other widgets.
    struct TShownRow {
        std::string text;
        std::map<int32_t, TLcddCell> cells; // column from 1 -> block or bar
        bool operator==(const TShownRow&) const = default;
    };
    TShownRow Render(const std::string& row) const;
    static std::string CellWidget(int32_t row, int32_t col, TLcddCell::TKind kind);
    static void UpdateRow(std::string& commands, int32_t row, const TShownRow& shown,
                          const std::optional<TShownRow>& told);

    TLcddDisplay display_{.cols = 16, .rows = 2};
    std::vector<std::string> rows_ = std::vector<std::string>(2, std::string(16, ' '));
    std::array<TLcddPattern, 8> patterns_{};
    std::array<TLcddCell, 8> customCells_{}; // patterns_ as LCDd shows them
    bool visible_ = true;

    std::vector<std::optional<TShownRow>> told_; // per row; nullopt: LCDd shows nothing of it
    std::optional<bool> toldVisible_;
};

} // namespace orv
