// A back end of the port I/O library: one opened parallel port (three registers from its base
// address), reached through ppdev, direct I/O or a panel emulator.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

class TPortBackEnd {
public:
    virtual ~TPortBackEnd() = default;
    // reg: 0 data, 1 status, 2 control (offsets from the base address).
    virtual void Write(unsigned reg, uint8_t value) = 0;
    virtual uint8_t Read(unsigned reg) = 0;
    // Writes out anything still pending (the emulator's state file).
    virtual void Flush() {}
    // One whole update of the panel has ended (DlPortEndOfUpdate).
    virtual void EndOfUpdate() {}
    // Emulators only: bit i set = the key on data line D_i is held.
    virtual void SetHeldKeys(uint8_t /*mask*/) {}
};

// The back end named by ORVANTA3_PORTIO.
struct TPortSpec {
    enum class TKind { Ppdev, Direct, EmuHd44780, EmuKs0108 };
    TKind kind = TKind::Ppdev;
    int rows = 0, cols = 0; // EmuHd44780
    std::string stateFile;  // both emulators
};

// "ppdev" (also an empty or missing value), "direct", "emu:hd44780:ROWSxCOLS:STATEFILE" or
// "emu:ks0108:STATEFILE" (STATEFILE is the rest of the text and may contain ':'). Anything
// else, and a panel size no HD44780 panel has, gives nullopt and in error what is wrong with
// the text, worded to follow it ("... names no port back end (use ...)").
std::optional<TPortSpec> ParsePortSpec(std::string_view text, std::string& error);

// Opens the port at base with the back end of choice; nullptr and a reason in error when it
// cannot. The ppdev roots come from ORVANTA3_PORTIO_PROC_ROOT and ORVANTA3_PORTIO_DEV_ROOT.
std::unique_ptr<TPortBackEnd> OpenPortBackEnd(const TPortSpec& choice, uint32_t base,
                                              std::string& error);
// The same for the port of a ppdev device ("/dev/parport0"): ppdev opens that device, direct
// I/O the base address its base-addr names, an emulator works as above.
std::unique_ptr<TPortBackEnd> OpenDeviceBackEnd(const TPortSpec& choice, const std::string& device,
                                                std::string& error);

} // namespace orv
