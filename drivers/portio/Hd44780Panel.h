// Emulated HD44780 character panels wired to the parallel port: data register = DB0..DB7;
// control bit 0 = E of controller 1, bit 2 = RS (1 = data), bit 3 = E of controller 2 (40 x 4
// panels only). Bits 0 and 3 are inverted at the connector, so a controller latches the data
// register when its bit goes from 0 to 1 (falling edge of E); a write without that edge changes
// nothing. Rows and columns in this API count from 0.
#pragma once

#include "drivers/portio/EmulatedPanel.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// One controller: DDRAM, CGRAM, address counter, entry mode, display control, function set and
// display shift, starting in the power-on reset state (display off, 8-bit, one line).
class THd44780Controller {
public:
    THd44780Controller();

    // One transfer latched by a falling edge of E (two per byte in 4-bit mode).
    void Latch(bool dataRegister, uint8_t bus);

    // Only DB7..DB4 are wired (an I2C backpack): until the 4-bit initialisation (three single
    // 0x3 transfers, then 0x2) a transfer has no low nibble, so anything else is refused as a
    // fault; so is a byte whose two nibbles came with different RS.
    void SetFourBitWiring() { fourBitWiring_ = true; }
    // Transfers refused as a real controller would get them wrong, and why the last was.
    int Faults() const { return faults_; }
    const std::string& LastFault() const { return lastFault_; }
    void Fault(std::string reason);

    uint8_t Ddram(uint8_t address) const { return ddram_[address & 0x7F]; }
    uint8_t Cgram(uint8_t address) const { return cgram_[address & 0x3F]; }
    std::array<uint8_t, 8> CustomChar(int index) const;
    uint8_t AddressCounter() const { return ac_; }
    bool AddressesCgram() const { return cgramSelected_; }

    bool DisplayOn() const { return displayOn_; }
    bool CursorOn() const { return cursorOn_; }
    bool BlinkOn() const { return blinkOn_; }
    bool Increment() const { return increment_; }
    bool ShiftOnWrite() const { return shiftOnWrite_; }
    bool EightBit() const { return eightBit_; }
    bool TwoLines() const { return twoLines_; }
    bool LargeFont() const { return largeFont_; }
    // How many positions the display has been shifted to the left (0..79).
    int DisplayShift() const { return shift_; }

    // DDRAM address shown at position pos (from the left edge) of line 0 or 1, after the
    // display shift: each line rotates inside its 40-byte ring (80 in one-line mode).
    uint8_t ShownAddress(int line, int pos) const;

    uint64_t Revision() const { return revision_; }

private:
    void Execute(uint8_t instruction);
    void WriteData(uint8_t value);
    // An 8-bit-mode transfer on 4-bit wiring: DB3..DB0 float, only the initialisation counts.
    void LatchUnwiredLowNibble(bool dataRegister, uint8_t bus);
    void MoveCursor(bool up);
    void ShiftDisplay(bool left);

    std::array<uint8_t, 128> ddram_;
    std::array<uint8_t, 64> cgram_{};
    uint8_t ac_ = 0;
    bool cgramSelected_ = false;
    bool displayOn_ = false, cursorOn_ = false, blinkOn_ = false;
    bool increment_ = true, shiftOnWrite_ = false;
    bool eightBit_ = true, twoLines_ = false, largeFont_ = false;
    int shift_ = 0;
    bool highNibblePending_ = false;
    bool highNibbleData_ = false; // RS of the pending high nibble
    uint8_t highNibble_ = 0;
    bool fourBitWiring_ = false;
    int syncTransfers_ = 0; // single 0x3 instruction transfers in a row
    int faults_ = 0;
    std::string lastFault_;
    uint64_t revision_ = 0;
};

// A panel of 1, 2 or 4 rows: one controller, or two for 40 x 4 (rows 2 and 3 on controller 2).
class THd44780Panel : public TEmulatedPanel {
public:
    // 1 or 2 rows of 8, 16, 20, 24, 32 or 40 columns; 4 rows of 16, 20 or 40 columns.
    static bool ValidSize(int rows, int cols);
    // The sizes ValidSize takes, for messages: "1 or 2 rows of 8, 16, ... characters; ...".
    static std::string SizesText();

    // Throws std::invalid_argument for a size that ValidSize refuses.
    THd44780Panel(int rows, int cols, uint8_t initialControl = kControlAfterClaim);

    // A wiring fault (a transfer the controller would get wrong), shown in the state file.
    void Fault(std::string reason) { controllers_[0].Fault(std::move(reason)); }

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    int ControllerCount() const { return rows_ == 4 && cols_ == 40 ? 2 : 1; }
    const THd44780Controller& Controller(int index) const { return controllers_[index]; }
    int ControllerOfRow(int row) const { return ControllerCount() == 2 && row >= 2 ? 1 : 0; }

    // DDRAM address shown at a cell, by the panel's address map (single-controller four-row
    // panels continue line 0 in row 2 and line 1 in row 3) and the display shift.
    uint8_t AddressOf(int row, int col) const;
    uint8_t CodeAt(int row, int col) const;
    // One row as UTF-8, one Hd44780CellText per column.
    std::string RowText(int row) const;
    void AppendRowText(std::string& text, int row) const;
    // True when every controller has its display switched on.
    bool DisplayOn() const;

    uint64_t Revision() const override;
    std::string StateText() const override;

protected:
    void ControlChanged(uint8_t before, uint8_t after) override;
    // A transfer to the first controller, from wiring other than the parallel port.
    void Latch(bool dataRegister, uint8_t bus) { controllers_[0].Latch(dataRegister, bus); }
    void SetFourBitWiring() {
        for (auto& controller : controllers_) controller.SetFourBitWiring();
    }

private:
    int rows_, cols_;
    std::array<THd44780Controller, 2> controllers_;
};

// How the state file shows one panel code: printable ASCII as itself (except the backslash),
// codes of custom characters (0x00..0x0F, bit 3 ignored) as ①..⑧, Cyrillic ROM letters as
// those letters, everything else (the backslash included) as \xNN with upper-case hex digits.
std::string Hd44780CellText(uint8_t code);
void AppendHd44780CellText(std::string& text, uint8_t code);

// What a panel shows for Windows-1251 text sent through the driver's character table, in the
// form of RowText: for comparing expected text with the state file ("Привет" shows as "Пpивeт",
// because р and е are sent as the Latin look-alikes).
std::string Hd44780ShownText(std::string_view cp1251Text);

} // namespace orv
