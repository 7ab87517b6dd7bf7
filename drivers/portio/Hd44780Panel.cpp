#include "drivers/portio/Hd44780Panel.h"

#include "drivers/portio/Hd44780Charset.h"
#include "drivers/portio/Hd44780Instructions.h"
#include "base/Cp1251.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace orv {

using namespace hd44780;

THd44780Controller::THd44780Controller() { ddram_.fill(0x20); }

std::array<uint8_t, 8> THd44780Controller::CustomChar(int index) const {
    std::array<uint8_t, 8> rows{};
    for (int r = 0; r < 8; ++r) rows[r] = cgram_[((index & 7) * 8 + r)];
    return rows;
}

void THd44780Controller::Fault(std::string reason) {
    ++faults_;
    lastFault_ = std::move(reason);
    ++revision_;
}

void THd44780Controller::LatchUnwiredLowNibble(bool dataRegister, uint8_t bus) {
    const uint8_t nibble = bus >> 4;
    if (!dataRegister && nibble == kSyncNibble) {
        ++syncTransfers_; // function set, 8-bit; N and F come from floating lines: kept
        return;
    }
    if (!dataRegister && nibble == kFourBitNibble && syncTransfers_ >= 3) {
        eightBit_ = false;
        highNibblePending_ = false;
        syncTransfers_ = 0;
        return;
    }
    syncTransfers_ = 0;
    Fault(nibble == kFourBitNibble && !dataRegister
              ? "switch to 4-bit without three 0x3 transfers before it"
              : "transfer before the 4-bit initialisation (0x3 three times, then 0x2)");
}

void THd44780Controller::Latch(bool dataRegister, uint8_t bus) {
    uint8_t value = bus;
    if (fourBitWiring_) {
        // A single 0x3 instruction transfer counts towards the initialisation in either mode.
        const bool sync = !dataRegister && (bus >> 4) == kSyncNibble;
        if (eightBit_) return LatchUnwiredLowNibble(dataRegister, bus);
        syncTransfers_ = sync ? syncTransfers_ + 1 : 0;
    }
    if (!eightBit_) {
        // 4-bit interface: DB7..DB4 carry the high nibble first, then the low one.
        if (!highNibblePending_) {
            highNibble_ = bus & 0xF0;
            highNibbleData_ = dataRegister;
            highNibblePending_ = true;
            return;
        }
        value = static_cast<uint8_t>(highNibble_ | (bus >> 4));
        highNibblePending_ = false;
        if (fourBitWiring_ && highNibbleData_ != dataRegister)
            return Fault("the two nibbles of one byte came with different RS");
    }
    if (dataRegister)
        WriteData(value);
    else
        Execute(value);
}

void THd44780Controller::Execute(uint8_t b) {
    if (b & kSetDdramAddress) {
        ac_ = b & kDdramAddressMask;
        cgramSelected_ = false;
    } else if (b & kSetCgramAddress) {
        ac_ = b & kCgramAddressMask;
        cgramSelected_ = true;
    } else if (b & kFunctionSet) {
        const bool twoLines = (b & kTwoLinesBit) != 0;
        if (twoLines != twoLines_) ++revision_;
        eightBit_ = (b & kEightBitBit) != 0;
        twoLines_ = twoLines;
        largeFont_ = (b & kLargeFontBit) != 0;
        highNibblePending_ = false;
    } else if (b & kCursorDisplayShift) {
        if (b & kShiftDisplayBit)
            ShiftDisplay((b & kShiftRightBit) == 0);
        else
            MoveCursor((b & kShiftRightBit) != 0);
    } else if (b & kDisplayControl) {
        const bool on = (b & kDisplayOnBit) != 0;
        if (on != displayOn_) ++revision_;
        displayOn_ = on;
        cursorOn_ = (b & kCursorOnBit) != 0;
        blinkOn_ = (b & kBlinkOnBit) != 0;
    } else if (b & kEntryModeSet) {
        increment_ = (b & kEntryIncrementBit) != 0;
        shiftOnWrite_ = (b & kEntryShiftBit) != 0;
    } else if (b & kReturnHome) {
        ac_ = 0;
        cgramSelected_ = false;
        if (shift_ != 0) ++revision_;
        shift_ = 0;
    } else if (b & kClearDisplay) {
        ddram_.fill(0x20);
        ac_ = 0;
        cgramSelected_ = false;
        shift_ = 0;
        increment_ = true;
        ++revision_;
    }
}

void THd44780Controller::WriteData(uint8_t value) {
    if (cgramSelected_) {
        uint8_t& cell = cgram_[ac_ & 0x3F];
        if (cell != value) ++revision_;
        cell = value;
        ac_ = static_cast<uint8_t>((ac_ + (increment_ ? 1 : -1)) & 0x3F);
        return;
    }
    uint8_t& cell = ddram_[ac_ & 0x7F];
    if (cell != value) ++revision_;
    cell = value;
    MoveCursor(increment_);
    if (shiftOnWrite_) ShiftDisplay(increment_);
}

void THd44780Controller::MoveCursor(bool up) {
    if (cgramSelected_) {
        ac_ = static_cast<uint8_t>((ac_ + (up ? 1 : -1)) & 0x3F);
    } else if (twoLines_) {
        // Line 1 is 0x00..0x27, line 2 is 0x40..0x67; the counter runs from one into the other.
        if (up)
            ac_ = ac_ == 0x27 ? 0x40 : ac_ == 0x67 ? 0x00 : static_cast<uint8_t>((ac_ + 1) & 0x7F);
        else
            ac_ = ac_ == 0x40 ? 0x27 : ac_ == 0x00 ? 0x67 : static_cast<uint8_t>((ac_ - 1) & 0x7F);
    } else {
        if (up)
            ac_ = ac_ >= 0x4F ? 0x00 : static_cast<uint8_t>(ac_ + 1);
        else
            ac_ = ac_ == 0x00 ? 0x4F : static_cast<uint8_t>(ac_ - 1);
    }
}

void THd44780Controller::ShiftDisplay(bool left) {
    shift_ = (shift_ + (left ? 1 : 79)) % 80;
    ++revision_;
}

uint8_t THd44780Controller::ShownAddress(int line, int pos) const {
    if (twoLines_ || line == 1)
        return static_cast<uint8_t>((line ? 0x40 : 0x00) + (pos + shift_) % 40);
    return static_cast<uint8_t>((pos + shift_) % 80);
}

namespace {

// The panel sizes there are: each row count with its column counts.
struct TPanelSizes {
    std::vector<int> rows;
    std::vector<int> cols;
};
const TPanelSizes kPanelSizes[] = {{{1, 2}, {8, 16, 20, 24, 32, 40}}, {{4}, {16, 20, 40}}};

// "8, 16 or 20"
std::string ListText(const std::vector<int>& values) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) text += i + 1 == values.size() ? " or " : ", ";
        text += std::to_string(values[i]);
    }
    return text;
}

} // namespace

bool THd44780Panel::ValidSize(int rows, int cols) {
    for (const auto& sizes : kPanelSizes)
        if (std::find(sizes.rows.begin(), sizes.rows.end(), rows) != sizes.rows.end())
            return std::find(sizes.cols.begin(), sizes.cols.end(), cols) != sizes.cols.end();
    return false;
}

std::string THd44780Panel::SizesText() {
    std::string text;
    for (const auto& sizes : kPanelSizes) {
        if (!text.empty()) text += "; ";
        text += ListText(sizes.rows) + " rows of " + ListText(sizes.cols) + " characters";
    }
    return text;
}

THd44780Panel::THd44780Panel(int rows, int cols, uint8_t initialControl)
    : TEmulatedPanel(initialControl), rows_(rows), cols_(cols) {
    if (!ValidSize(rows, cols)) throw std::invalid_argument("no HD44780 panel of this size");
}

void THd44780Panel::ControlChanged(uint8_t before, uint8_t after) {
    const bool dataRegister = (after & 0x04) != 0;
    if (!(before & 0x01) && (after & 0x01)) controllers_[0].Latch(dataRegister, DataLatch());
    if (ControllerCount() == 2 && !(before & 0x08) && (after & 0x08))
        controllers_[1].Latch(dataRegister, DataLatch());
}

uint8_t THd44780Panel::AddressOf(int row, int col) const {
    const THd44780Controller& ctl = controllers_[ControllerOfRow(row)];
    if (rows_ == 1) return ctl.ShownAddress(0, col);
    const int line = row % 2;
    const int start = rows_ == 4 && ControllerCount() == 1 && row >= 2 ? cols_ : 0;
    return ctl.ShownAddress(line, start + col);
}

uint8_t THd44780Panel::CodeAt(int row, int col) const {
    return controllers_[ControllerOfRow(row)].Ddram(AddressOf(row, col));
}

std::string THd44780Panel::RowText(int row) const {
    std::string text;
    AppendRowText(text, row);
    return text;
}

void THd44780Panel::AppendRowText(std::string& text, int row) const {
    for (int col = 0; col < cols_; ++col) AppendHd44780CellText(text, CodeAt(row, col));
}

bool THd44780Panel::DisplayOn() const {
    for (int i = 0; i < ControllerCount(); ++i)
        if (!controllers_[i].DisplayOn()) return false;
    return true;
}

uint64_t THd44780Panel::Revision() const {
    return controllers_[0].Revision() + controllers_[1].Revision();
}

// Written on every display update: built by appending, without a formatted print per line.
std::string THd44780Panel::StateText() const {
    std::string text;
    text.reserve(32 + static_cast<size_t>(rows_) * (4 * static_cast<size_t>(cols_) + 3) +
                 static_cast<size_t>(ControllerCount()) * 8 * 36);
    text.append("hd44780 ")
        .append(std::to_string(rows_))
        .append("x")
        .append(std::to_string(cols_))
        .append(DisplayOn() ? " on\n" : " off\n");
    for (int row = 0; row < rows_; ++row) {
        text += '|';
        AppendRowText(text, row);
        text.append("|\n");
    }
    for (int c = 0; c < ControllerCount(); ++c) {
        for (int k = 0; k < 8; ++k) {
            text.append(c == 0 ? "cgram " : "cgram2 ");
            text += static_cast<char>('0' + k);
            text += ':';
            for (uint8_t bits : controllers_[c].CustomChar(k)) {
                text += ' ';
                AppendHexByte(text, bits);
            }
            text += '\n';
        }
    }
    for (int c = 0; c < ControllerCount(); ++c)
        if (controllers_[c].Faults() > 0)
            text.append("faults ")
                .append(std::to_string(controllers_[c].Faults()))
                .append(": ")
                .append(controllers_[c].LastFault())
                .append("\n");
    return text;
}

std::string Hd44780CellText(uint8_t code) {
    std::string text;
    AppendHd44780CellText(text, code);
    return text;
}

void AppendHd44780CellText(std::string& text, uint8_t code) {
    if (code < 0x10) {
        AppendUtf8(text, 0x2460 + (code & 7)); // ① .. ⑧
    } else if (code >= 0x20 && code < 0x7F && code != '\\') {
        text += static_cast<char>(code);
    } else if (const char16_t letter = Hd44780RomLetter(code)) {
        AppendUtf8(text, letter);
    } else {
        AppendEscapedCode(text, code);
    }
}

std::string Hd44780ShownText(std::string_view cp1251Text) {
    std::string text;
    for (char c : cp1251Text) AppendHd44780CellText(text, Hd44780CodeOf(static_cast<uint8_t>(c)));
    return text;
}

} // namespace orv
