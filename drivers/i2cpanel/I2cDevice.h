// One I2C device (the backpack's expander) opened for writing, through the Linux I2C device
// interface or, when ORVANTA3_I2C names it, an emulated backpack with an HD44780 panel:
// "emu:hd44780:ROWSxCOLS:STATEFILE" (the state file as for the parallel-port emulator, then the
// backlight line; drivers/portio/Pcf8574Panel.h). Each device holds the "one driver per panel"
// lock from opening to closing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orv {

inline constexpr const char* kI2cBackEndVariable = "ORVANTA3_I2C";

class TI2cDevice {
public:
    virtual ~TI2cDevice() = default;
    // Writes the bytes in order; false with the reason in error when the device did not take
    // them all.
    virtual bool Write(const uint8_t* bytes, size_t count, std::string& error) = 0;
    // One whole update of the panel has ended.
    virtual void EndOfUpdate() {}
};

// bus: "/dev/i2c-1"; address 0x03..0x77. nullptr and the reason for the user (UTF-8) in error
// when it cannot be opened, another program drives that panel, or ORVANTA3_I2C is not valid.
std::unique_ptr<TI2cDevice> OpenI2cDevice(const std::string& bus, uint8_t address,
                                          std::string& error);

} // namespace orv
