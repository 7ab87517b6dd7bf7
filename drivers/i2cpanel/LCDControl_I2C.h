// TLCDControl_I2C: an HD44780 character panel behind a PCF8574 I2C backpack, 4-bit wiring.
// Every byte goes out as four expander writes (each nibble with E high, then with E low);
// an update sends only the cells that changed.
#pragma once

#include "drivers/base/CharPanelControl.h"
#include "drivers/i2cpanel/I2cDevice.h"
#include "drivers/portio/Pcf8574Wiring.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orv {

class TLCDControl_I2C final : public TLCDCharPanelControl {
public:
    TLCDControl_I2C();
    ~TLCDControl_I2C() override;

    // Taken at the next activation.
    void SetBus(std::string bus) { bus_ = std::move(bus); }
    const std::string& GetBus() const { return bus_; }
    void SetAddress(uint8_t address) { address_ = address; }
    uint8_t GetAddress() const { return address_; }
    void SetWiring(const TPcf8574Wiring& wiring) { wiring_ = wiring; }
    // Replaces the millisecond waits of the initialisation (tests pass a no-op).
    void SetSleeper(std::function<void(int ms)> sleeper) { sleeper_ = std::move(sleeper); }

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
    void QueueNibble(bool data, uint8_t nibble);
    void QueueByte(bool data, uint8_t value);
    // Sends the queue now and waits ms (the controller executes a slow instruction).
    void Pause(int ms);

    std::string bus_ = "/dev/i2c-1";
    uint8_t address_ = 0x27;
    TPcf8574Wiring wiring_ = kPcf8574Common;
    std::function<void(int)> sleeper_;

    std::unique_ptr<TI2cDevice> device_;
    std::vector<uint8_t> queue_;
    bool backLightOn_ = true;
    bool failed_ = false; // a write of this connection failed
    int cols_ = 16;
};

} // namespace orv
