#include "drivers/lcdd/LcddScreen.h"

#include <algorithm>

namespace orv {

namespace {

constexpr const char* kScreen = "orv3";
constexpr uint8_t kFirstCustomCode = 1;
constexpr uint8_t kLastCustomCode = 8;

std::string RowWidget(int32_t row) { return "r" + std::to_string(row); }

const char* WidgetType(TLcddCell::TKind kind) {
    switch (kind) {
    case TLcddCell::TKind::HBar: return "hbar";
    case TLcddCell::TKind::VBar: return "vbar";
    default: return "icon";
    }
}

std::string WidgetValue(const TLcddCell& cell) {
    return cell.kind == TLcddCell::TKind::Block ? "BLOCK_FILLED" : std::to_string(cell.length);
}

} // namespace

void TLcddScreen::SetDisplay(const TLcddDisplay& display) {
    display_ = display;
    display_.rows = std::clamp(display.rows, 1, kLcddMaxRows);
    display_.cols = std::clamp(display.cols, 1, kLcddMaxCols);
    rows_.assign(static_cast<size_t>(display_.rows),
                 std::string(static_cast<size_t>(display_.cols), ' '));
    for (size_t i = 0; i < patterns_.size(); ++i)
        customCells_[i] = LcddCellOf(patterns_[i], display_);
    told_.assign(rows_.size(), std::nullopt);
    toldVisible_.reset();
}

bool TLcddScreen::Write(uint8_t col, uint8_t row, const char* text, size_t len) {
    if (row < 1 || row > rows_.size() || col < 1 || !text) return false;
    std::string& target = rows_[row - 1];
    const size_t start = col - 1u;
    if (start >= target.size()) return false;
    const size_t n = std::min(len, target.size() - start);
    if (target.compare(start, n, text, n) == 0) return false;
    target.replace(start, n, text, n);
    return true;
}

bool TLcddScreen::Clear() {
    bool changed = false;
    for (std::string& row : rows_) {
        if (row.find_first_not_of(' ') == std::string::npos) continue;
        row.assign(row.size(), ' ');
        changed = true;
    }
    return changed;
}

bool TLcddScreen::Define(uint8_t index, const TLcddPattern& pattern) {
    if (index >= patterns_.size() || patterns_[index] == pattern) return false;
    patterns_[index] = pattern;
    const TLcddCell cell = LcddCellOf(pattern, display_);
    if (cell == customCells_[index]) return false;
    customCells_[index] = cell;
    const char code = static_cast<char>(kFirstCustomCode + index);
    return std::any_of(rows_.begin(), rows_.end(), [code](const std::string& row) {
        return row.find(code) != std::string::npos;
    });
}

bool TLcddScreen::SetVisible(bool visible) {
    const bool changed = visible != visible_;
    visible_ = visible;
    return changed;
}

TLcddScreen::TShownRow TLcddScreen::Render(const std::string& row) const {
    TShownRow shown;
    shown.text.reserve(row.size());
    for (size_t i = 0; i < row.size(); ++i) {
        const auto byte = static_cast<uint8_t>(row[i]);
        char c = row[i];
        if (byte >= kFirstCustomCode && byte <= kLastCustomCode) {
            const TLcddCell& cell = customCells_[byte - kFirstCustomCode];
            if (cell.kind == TLcddCell::TKind::Text)
                c = cell.text;
            else {
                shown.cells[static_cast<int32_t>(i + 1)] = cell;
                c = ' ';
            }
        } else if (byte < 0x20 || byte == 0x7F) {
            c = ' '; // control bytes have no glyph on LCDd's displays
        }
        shown.text += c;
    }
    return shown;
}

std::string TLcddScreen::CellWidget(int32_t row, int32_t col, TLcddCell::TKind kind) {
    const char prefix = kind == TLcddCell::TKind::HBar   ? 'h'
                        : kind == TLcddCell::TKind::VBar ? 'v'
                                                         : 'b';
    return prefix + std::to_string(row) + "_" + std::to_string(col);
}

std::string TLcddScreen::Setup() {
    std::string commands = "client_set -name Orvanta3\n";
    commands += std::string("screen_add ") + kScreen + "\n";
    commands += std::string("screen_set ") + kScreen + " -name Orvanta3 -heartbeat off\n";
    for (int32_t row = 1; row <= Rows(); ++row)
        commands += std::string("widget_add ") + kScreen + " " + RowWidget(row) + " string\n";
    commands += std::string("client_add_key ") + kLcddKeys + "\n";
    told_.assign(rows_.size(), std::nullopt);
    toldVisible_.reset();
    return commands;
}

void TLcddScreen::UpdateRow(std::string& commands, int32_t row, const TShownRow& shown,
                            const std::optional<TShownRow>& told) {
    if (!told || told->text != shown.text)
        commands += std::string("widget_set ") + kScreen + " " + RowWidget(row) + " 1 " +
                    std::to_string(row) + " " + QuoteLcddText(shown.text) + "\n";
    const std::map<int32_t, TLcddCell> none;
    const auto& before = told ? told->cells : none;
    for (const auto& [col, cell] : before) {
        const auto now = shown.cells.find(col);
        if (now == shown.cells.end() || now->second.kind != cell.kind)
            commands +=
                std::string("widget_del ") + kScreen + " " + CellWidget(row, col, cell.kind) + "\n";
    }
    for (const auto& [col, cell] : shown.cells) {
        const auto was = before.find(col);
        const std::string name = CellWidget(row, col, cell.kind);
        if (was == before.end() || was->second.kind != cell.kind)
            commands += std::string("widget_add ") + kScreen + " " + name + " " +
                        WidgetType(cell.kind) + "\n";
        else if (was->second == cell)
            continue;
        commands += std::string("widget_set ") + kScreen + " " + name + " " + std::to_string(col) +
                    " " + std::to_string(row) + " " + WidgetValue(cell) + "\n";
    }
}

std::string TLcddScreen::TakeUpdate() {
    std::string commands;
    if (toldVisible_ != visible_) {
        commands += std::string("screen_set ") + kScreen + " -priority " +
                    (visible_ ? "foreground" : "hidden") + "\n";
        toldVisible_ = visible_;
    }
    for (size_t i = 0; i < rows_.size(); ++i) {
        TShownRow shown = Render(rows_[i]);
        if (told_[i] == shown) continue;
        UpdateRow(commands, static_cast<int32_t>(i + 1), shown, told_[i]);
        told_[i] = std::move(shown);
    }
    return commands;
}

} // namespace orv
