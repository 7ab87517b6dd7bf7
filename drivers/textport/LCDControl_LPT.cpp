#include "drivers/textport/LCDControl_LPT.h"

#include "drivers/portio/Hd44780Instructions.h"
#include "drivers/base/TextPanelGeometry.h"
#include "drivers/portio/Hd44780Charset.h"

namespace orv {

namespace {

constexpr int kInstructionSleepMs = 10;
constexpr int kPowerUpSleepMs = 100;

using namespace hd44780;

} // namespace

TLCDControl_LPT::TLCDControl_LPT() {
    SetPort("$378");
    SetWriteDelay(100000);
}

TLCDControl_LPT::~TLCDControl_LPT() = default;

void TLCDControl_LPT::SetColCount(int32_t value) {
    if (!IsTextPanelColCount(value)) return;
    cols_ = value;
    Notify(OnColCountChange);
}

void TLCDControl_LPT::SetRowCount(int32_t value) {
    if (!IsTextPanelRowCount(value)) return;
    rows_ = value;
    Notify(OnRowCountChange);
}

std::optional<TLCDControl_LPT::TRowStart> TLCDControl_LPT::RowStart(int row) const {
    if (row < 1 || row > rows_) return std::nullopt;
    if (row <= 2) return TRowStart{kEnable1, static_cast<uint8_t>(row == 1 ? 0x00 : 0x40)};
    if (HasTwoControllers())
        return TRowStart{kEnable2, static_cast<uint8_t>(row == 3 ? 0x00 : 0x40)};
    return TRowStart{kEnable1, Hd44780RowAddress(row, cols_)};
}

uint8_t TLCDControl_LPT::CurrentController() const {
    return HasTwoControllers() && currentRow_ >= 3 ? kEnable2 : kEnable1;
}

void TLCDControl_LPT::LatchInstruction(uint8_t code, uint8_t enable) {
    auto port = LockPort();
    port.WriteControl(0x00);
    port.WriteData(code);
    port.WriteControl(enable);
}

void TLCDControl_LPT::WriteInstruction(uint8_t code, uint8_t enable) {
    LatchInstruction(code, enable);
    Sleep(kInstructionSleepMs);
}

// Setting the DDRAM or CGRAM address takes the controller as long as a data write (about
// 40 us), so it waits as a data write does instead of sleeping: a sleep per row would wake
// the display thread once more for every row it writes.
void TLCDControl_LPT::WriteAddress(uint8_t code, uint8_t enable) {
    LatchInstruction(code, enable);
    BusyWait();
}

void TLCDControl_LPT::WriteData(uint8_t value, uint8_t enable) {
    {
        auto port = LockPort();
        port.WriteControl(kRegisterSelect);
        port.WriteData(value);
        port.WriteControl(enable | kRegisterSelect);
    }
    BusyWait();
}

void TLCDControl_LPT::InitPanel() {
    const uint8_t all = AllControllers();
    WriteInstruction(kFunctionSet8Bit2Lines, all);
    Sleep(kPowerUpSleepMs);
    WriteInstruction(kFunctionSet8Bit2Lines, all);
    WriteInstruction(kFunctionSet8Bit2Lines, all);
    WriteInstruction(kEntryIncrement, all);
    WriteInstruction(kDisplayOff, all);
    WriteInstruction(kClearDisplay, all);
    WriteInstruction(kDisplayOn, all);
    WriteInstruction(kReturnHome, all);
}

void TLCDControl_LPT::SetVisible(bool value) {
    TLCDPortControl::SetVisible(value);
    if (!GetActive()) return;
    WriteInstruction(value ? kDisplayOn : kDisplayOff, AllControllers());
    EndOfUpdate();
}

void TLCDControl_LPT::Clear() {
    if (!GetActive()) return;
    WriteInstruction(kClearDisplay, AllControllers());
    EndOfUpdate();
}

void TLCDControl_LPT::WriteText(uint8_t col, uint8_t row, const char* text, size_t len) {
    if (!GetActive()) return;
    if (row >= 1 && row <= 4 && col >= 1 && col <= 40) {
        currentRow_ = row;
        if (const auto start = RowStart(row))
            WriteAddress(static_cast<uint8_t>(kSetDdramAddress | (start->address + col - 1)),
                         start->enable);
    }
    // An invalid position still writes the text, at the panel's current address.
    const uint8_t enable = CurrentController();
    for (size_t i = 0; i < len; ++i)
        WriteData(Hd44780CodeOf(static_cast<uint8_t>(text[i])), enable);
    EndOfUpdate();
}

void TLCDControl_LPT::DefineChar(uint8_t index, const uint8_t* pattern) {
    if (!GetActive() || index > 7 || !pattern) return;
    const uint8_t all = AllControllers();
    WriteAddress(static_cast<uint8_t>(kSetCgramAddress + 8 * index), all);
    for (int row = 0; row < 8; ++row) WriteData(pattern[row], all);
    EndOfUpdate();
}

} // namespace orv
