// The parallel-port side of an emulated panel: the data and control latches, the keypad on the
// status input, and a revision count of what the panel shows. Panels derive from it and react
// to control-register changes as the wired panel would. Not thread-safe; the owner locks.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// Register offsets from the port's base address.
inline constexpr unsigned kDataRegister = 0;
inline constexpr unsigned kStatusRegister = 1;
inline constexpr unsigned kControlRegister = 2;

// The control register after a port is claimed through ppdev.
inline constexpr uint8_t kControlAfterClaim = 0x0C;

// Status bit 3: the keypad input.
inline constexpr uint8_t kKeypadStatusBit = 0x08;

// "\xNN" (upper-case hex): how state files show a code that has no character of its own.
std::string EscapedCode(uint8_t code);
void AppendEscapedCode(std::string& text, uint8_t code);
// Two upper-case hex digits.
void AppendHexByte(std::string& text, uint8_t value);

class TEmulatedPanel {
public:
    virtual ~TEmulatedPanel() = default;
    TEmulatedPanel(const TEmulatedPanel&) = delete;
    TEmulatedPanel& operator=(const TEmulatedPanel&) = delete;

    // A register write as the port delivers it; writes to the status register are ignored.
    void Write(unsigned reg, uint8_t value);
    // Data and control read back what was last written. Status has bit 3 set when a held key
    // connects a data line that is high; its other bits read 0.
    uint8_t Read(unsigned reg) const;

    // Bit i set: the key between data line D_i and the status input is held.
    void SetHeldKeys(uint8_t mask) { heldKeys_ = mask; }
    uint8_t HeldKeys() const { return heldKeys_; }

    // Grows whenever what the panel shows or its custom characters change.
    virtual uint64_t Revision() const = 0;
    // The state-file text (PortEmulator.h describes it).
    virtual std::string StateText() const = 0;

protected:
    explicit TEmulatedPanel(uint8_t initialControl) : control_(initialControl) {}
    // Called after every control write with the previous and the new value.
    virtual void ControlChanged(uint8_t before, uint8_t after) = 0;
    uint8_t DataLatch() const { return data_; }

private:
    uint8_t data_ = 0;
    uint8_t control_;
    uint8_t heldKeys_ = 0;
};

} // namespace orv
