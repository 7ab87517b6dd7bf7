// TLCDControl_Serial: a character display on a serial line that takes the 0xFE command set
// (0xFE, a command byte, its arguments; every other byte is a character at the cursor):
//   0x58 clear               0x48 home                 0x47 col row  cursor (from 1)
//   0x4E k b0..b7  custom character k      0x42 0 backlight on       0x46 backlight off
//   0x99 b brightness        0x50 c contrast           0x4B / 0x54 cursors off
//   0x52 autoscroll off      0xD1 cols rows panel size 0x41 keys reported as they are pressed
// Key bytes the display sends become keypad codes: the n-th byte of Keys is code n (previous
// screen, next screen, first screen).
#pragma once

#include "drivers/base/CharPanelControl.h"
#include "drivers/serialpanel/SerialLink.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace orv {

class TLCDControl_Serial final : public TLCDCharPanelControl {
public:
    static constexpr std::chrono::milliseconds kWriteTimeout{500};

    TLCDControl_Serial();
    ~TLCDControl_Serial() override;

    // Taken at the next activation.
    void SetDevice(std::string device) { device_ = std::move(device); }
    const std::string& GetDevice() const { return device_; }
    void SetBaud(int32_t baud) { baud_ = baud; }
    void SetBrightness(uint8_t value) { brightness_ = value; }
    void SetContrast(uint8_t value) { contrast_ = value; }
    // Up to three key bytes, for the keypad codes 0, 1 and 2 in turn.
    void SetKeys(std::string keys) { keys_ = std::move(keys); }

protected:
    bool Connect(std::string& error) override;
    void Disconnect() override;
    void SendInit(int rows, int cols) override;
    void SendPosition(int row, int col) override;
    void SendCodes(const uint8_t* codes, size_t count) override;
    void SendCustomChar(int index, const std::array<uint8_t, 8>& pattern) override;
    void SendVisible(bool on) override;
    void SendBackLight(bool on) override;
    bool Flush(uint64_t& sentBytes) override;

private:
    void Command(std::initializer_list<uint8_t> bytes);
    void SendLight();
    void KeyByte(uint8_t byte);

    std::string device_ = "/dev/ttyUSB0";
    int32_t baud_ = 9600;
    uint8_t brightness_ = 255;
    uint8_t contrast_ = 200;
    std::string keys_ = "ABC";

    std::unique_ptr<TSerialLink> link_;
    std::vector<uint8_t> queue_;
    bool visible_ = true, backLight_ = true;
};

} // namespace orv
