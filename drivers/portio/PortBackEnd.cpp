#include "drivers/portio/PortBackEnd.h"

#include "drivers/portio/DirectPort.h"
#include "drivers/portio/EmulatorPort.h"
#include "drivers/portio/Hd44780Panel.h"
#include "drivers/portio/Ks0108Panel.h"
#include "drivers/portio/PpdevPort.h"

#include <charconv>

namespace orv {

namespace {

bool ParseCount(std::string_view text, int& value) {
    if (text.empty() || text.size() > 3) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

std::optional<TPortSpec> ParsePortSpec(std::string_view text, std::string& error) {
    TPortSpec choice;
    if (text.empty() || text == "ppdev") return choice;
    if (text == "direct") {
        choice.kind = TPortSpec::TKind::Direct;
        return choice;
    }
    constexpr std::string_view kHd44780 = "emu:hd44780:", kKs0108 = "emu:ks0108:";
    if (text.starts_with(kHd44780)) {
        const std::string_view rest = text.substr(kHd44780.size());
        const size_t colon = rest.find(':');
        const size_t x = rest.substr(0, colon).find('x');
        if (colon == std::string_view::npos || x == std::string_view::npos ||
            !ParseCount(rest.substr(0, x), choice.rows) ||
            !ParseCount(rest.substr(x + 1, colon - x - 1), choice.cols)) {
            error = "expected emu:hd44780:ROWSxCOLS:STATEFILE";
            return std::nullopt;
        }
        if (!THd44780Panel::ValidSize(choice.rows, choice.cols)) {
            error = "no HD44780 panel has " + std::to_string(choice.rows) + " x " +
                    std::to_string(choice.cols) + " characters";
            return std::nullopt;
        }
        choice.kind = TPortSpec::TKind::EmuHd44780;
        choice.stateFile = rest.substr(colon + 1);
    } else if (text.starts_with(kKs0108)) {
        choice.kind = TPortSpec::TKind::EmuKs0108;
        choice.stateFile = text.substr(kKs0108.size());
    } else {
        error = "unknown port back end \"" + std::string(text) + "\"";
        return std::nullopt;
    }
    if (choice.stateFile.empty()) {
        error = "the emulator needs a state file";
        return std::nullopt;
    }
    return choice;
}

std::unique_ptr<TPortBackEnd> OpenPortBackEnd(const TPortSpec& choice, uint32_t base,
                                              std::string& error) {
    switch (choice.kind) {
    case TPortSpec::TKind::Ppdev: {
        const TPpdevRoots roots = TPpdevRoots::FromEnvironment();
        const std::string device = FindParportDevice(roots, base);
        if (device.empty()) {
            error = "no parallel port at this address under " + roots.proc + "/sys/dev/parport";
            return nullptr;
        }
        return TPpdevPort::Open(device, error);
    }
    case TPortSpec::TKind::Direct:
        return TDirectPort::Open(base, HardwarePortIo(), error);
    case TPortSpec::TKind::EmuHd44780:
        return TEmulatorPort::Open(std::make_unique<THd44780Panel>(choice.rows, choice.cols),
                                   choice.stateFile, kStateFileInterval, error);
    case TPortSpec::TKind::EmuKs0108:
        return TEmulatorPort::Open(std::make_unique<TKs0108Panel>(), choice.stateFile,
                                   kStateFileInterval, error);
    }
    return nullptr;
}

} // namespace orv
