#include "drivers/portio/PortBackEnd.h"

#include "drivers/portio/DirectPort.h"
#include "drivers/portio/EmulatorPort.h"
#include "drivers/portio/Hd44780Panel.h"
#include "drivers/portio/Ks0108Panel.h"
#include "drivers/portio/PpdevPort.h"

#include <charconv>
#include <limits>

namespace orv {

namespace {

constexpr std::string_view kHd44780 = "emu:hd44780:", kKs0108 = "emu:ks0108:";
constexpr const char* kChoices =
    "use ppdev, direct, emu:hd44780:ROWSxCOLS:STATEFILE or emu:ks0108:STATEFILE";

// A row or column count; values too large for an int read as INT_MAX (no panel has them).
bool ParseCount(std::string_view text, int& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) value = std::numeric_limits<int>::max();
    return true;
}

} // namespace

std::optional<TPortSpec> ParsePortSpec(std::string_view text, std::string& error) {
    TPortSpec choice;
    if (text.empty() || text == "ppdev") return choice;
    if (text == "direct") {
        choice.kind = TPortSpec::TKind::Direct;
        return choice;
    }
    if (text.starts_with(kHd44780)) {
        const std::string_view rest = text.substr(kHd44780.size());
        const size_t colon = rest.find(':');
        const std::string_view size = rest.substr(0, colon);
        const size_t x = size.find('x');
        if (x == std::string_view::npos || !ParseCount(size.substr(0, x), choice.rows) ||
            !ParseCount(size.substr(x + 1), choice.cols)) {
            error = "is not of the form emu:hd44780:ROWSxCOLS:STATEFILE";
            return std::nullopt;
        }
        if (!THd44780Panel::ValidSize(choice.rows, choice.cols)) {
            error = "asks for " + std::string(size) +
                    " characters, a size no HD44780 panel has (the emulator has " +
                    THd44780Panel::SizesText() + ")";
            return std::nullopt;
        }
        choice.kind = TPortSpec::TKind::EmuHd44780;
        if (colon != std::string_view::npos) choice.stateFile = rest.substr(colon + 1);
    } else if (text.starts_with(kKs0108) || text == kKs0108.substr(0, kKs0108.size() - 1)) {
        choice.kind = TPortSpec::TKind::EmuKs0108;
        if (text.size() > kKs0108.size()) choice.stateFile = text.substr(kKs0108.size());
    } else if (text.starts_with("emu")) {
        error = "names no emulated panel (use emu:hd44780:ROWSxCOLS:STATEFILE or "
                "emu:ks0108:STATEFILE)";
        return std::nullopt;
    } else {
        error = "names no port back end (" + std::string(kChoices) + ")";
        return std::nullopt;
    }
    if (choice.stateFile.empty()) {
        error = "gives the emulator no state file (a file name must end it: " +
                std::string(choice.kind == TPortSpec::TKind::EmuKs0108
                                ? "emu:ks0108:STATEFILE"
                                : "emu:hd44780:ROWSxCOLS:STATEFILE") +
                ")";
        return std::nullopt;
    }
    return choice;
}

namespace {

std::unique_ptr<TPortBackEnd> OpenEmulator(const TPortSpec& choice, std::string& error) {
    if (choice.kind == TPortSpec::TKind::EmuHd44780)
        return TEmulatorPort::Open(std::make_unique<THd44780Panel>(choice.rows, choice.cols),
                                   choice.stateFile, kStateFileInterval, error);
    return TEmulatorPort::Open(std::make_unique<TKs0108Panel>(), choice.stateFile,
                               kStateFileInterval, error);
}

} // namespace

std::unique_ptr<TPortBackEnd> OpenDeviceBackEnd(const TPortSpec& choice, const std::string& device,
                                                std::string& error) {
    switch (choice.kind) {
    case TPortSpec::TKind::Ppdev: return TPpdevPort::Open(device, error);
    case TPortSpec::TKind::Direct: {
        const TPpdevRoots roots = TPpdevRoots::FromEnvironment();
        const auto base = ParportDeviceBase(roots, device);
        if (!base) {
            error = "direct I/O needs the base address of " + device + ", and " + roots.proc +
                    "/sys/dev/parport/ has none for it (give the address instead)";
            return nullptr;
        }
        return TDirectPort::Open(*base, HardwarePortIo(), kPortLockFolder, error);
    }
    case TPortSpec::TKind::EmuHd44780:
    case TPortSpec::TKind::EmuKs0108: return OpenEmulator(choice, error);
    }
    return nullptr;
}

std::unique_ptr<TPortBackEnd> OpenPortBackEnd(const TPortSpec& choice, uint32_t base,
                                              std::string& error) {
    switch (choice.kind) {
    case TPortSpec::TKind::Ppdev: {
        const TPpdevRoots roots = TPpdevRoots::FromEnvironment();
        const std::string device = FindParportDevice(roots, base);
        if (device.empty()) {
            error = "no parallel port at this address: none of " + roots.proc +
                    "/sys/dev/parport/parportN/base-addr names it (is the parport_pc module "
                    "loaded? ORVANTA3_PORTIO chooses another back end)";
            return nullptr;
        }
        return TPpdevPort::Open(device, error);
    }
    case TPortSpec::TKind::Direct:
        return TDirectPort::Open(base, HardwarePortIo(), kPortLockFolder, error);
    case TPortSpec::TKind::EmuHd44780:
    case TPortSpec::TKind::EmuKs0108: return OpenEmulator(choice, error);
    }
    return nullptr;
}

} // namespace orv
