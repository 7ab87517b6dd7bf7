// TLCDControl_LPT: HD44780-compatible text panels of 1, 2 or 4 rows and 16 to 40 columns on the
// parallel port, 8-bit wiring: data lines on the data register; control bit 0 = enable of the
// first controller, bit 2 = register select, bit 3 = enable of the second controller (panels
// of four rows wider than 20 columns are two controllers of two rows each). Enable bits are
// inverted at the connector: a byte is latched when the bit goes from 0 to 1.
#pragma once

#include "drivers/base/LCDBaseControlUnit.h"

#include <atomic>
#include <cstdint>
#include <optional>

namespace orv {

class TLCDControl_LPT : public TLCDPortControl {
public:
    static constexpr uint8_t kEnable1 = 0x01;
    static constexpr uint8_t kEnable2 = 0x08;
    static constexpr uint8_t kRegisterSelect = 0x04;

    TLCDControl_LPT();
    ~TLCDControl_LPT() override;

    void SetVisible(bool value) override;
    // Only 16, 20, 24, 32 and 40 columns and 1, 2 and 4 rows are taken; other values are
    // ignored without notification.
    void SetColCount(int32_t value) override;
    int32_t GetColCount() override { return cols_; }
    void SetRowCount(int32_t value) override;
    int32_t GetRowCount() override { return rows_; }
    void Clear() override;
    void WriteText(uint8_t col, uint8_t row, const char* text, size_t len) override;
    void DefineChar(uint8_t index, const uint8_t* pattern) override;

    // Where a text row begins: the enable bit of its controller and its DDRAM address.
    // nullopt for a row the panel does not have.
    struct TRowStart {
        uint8_t enable;
        uint8_t address;
    };
    std::optional<TRowStart> RowStart(int row) const;
    bool HasTwoControllers() const { return rows_ == 4 && cols_ > 20; }

protected:
    void InitPanel() override;

private:
    // Enable bits that reach every controller of the panel.
    uint8_t AllControllers() const { return HasTwoControllers() ? kEnable1 | kEnable2 : kEnable1; }
    // Enable bit of the controller that holds the current row.
    uint8_t CurrentController() const;
    void LatchInstruction(uint8_t code, uint8_t enable);
    void WriteInstruction(uint8_t code, uint8_t enable); // then sleeps
    void WriteAddress(uint8_t code, uint8_t enable);     // then waits as for data
    void WriteData(uint8_t value, uint8_t enable);

    std::atomic<int32_t> rows_ = 2;
    std::atomic<int32_t> cols_ = 16;
    std::atomic<uint8_t> currentRow_ = 0;
};

} // namespace orv
