// Register writes to the emulated panels, as a driver (or anything else holding the port) may
// send them: the instruction decoders of both controllers must keep every address inside the
// panel's memories, and the state file must keep its shape.
//
// Input: byte 0 picks the panel, then pairs of register and value.
#include "drivers/portio/PortEmulator.h"
#include "fuzz/FuzzInput.h"

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

using namespace orv;

namespace {

constexpr std::array<std::pair<int, int>, 15> kCharacterSizes = {{
    {1, 8},
    {1, 16},
    {1, 20},
    {1, 24},
    {1, 32},
    {1, 40},
    {2, 8},
    {2, 16},
    {2, 20},
    {2, 24},
    {2, 32},
    {2, 40},
    {4, 16},
    {4, 20},
    {4, 40},
}};

size_t LineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t pick = data[0];
    std::unique_ptr<TEmulatedPanel> panel;
    size_t expectedLines = 0;
    if (pick < 0xE0) {
        const auto [rows, cols] = kCharacterSizes[pick % kCharacterSizes.size()];
        auto hd = std::make_unique<THd44780Panel>(rows, cols, pick & 0x0F);
        expectedLines =
            1 + static_cast<size_t>(rows) + 8u * static_cast<size_t>(hd->ControllerCount());
        panel = std::move(hd);
    } else {
        panel = std::make_unique<TKs0108Panel>((pick & 1) != 0, pick & 0x0F);
        expectedLines = 1 + TKs0108Panel::kHeight + TKs0108Panel::kTextRows;
    }
    uint64_t revision = panel->Revision();
    for (size_t i = 1; i + 1 < size; i += 2) {
        panel->Write(data[i] % 4, data[i + 1]);
        FUZZ_CHECK(panel->Revision() >= revision);
        revision = panel->Revision();
        if ((data[i] & 0xF0) == 0xF0) panel->SetHeldKeys(data[i + 1]);
        panel->Read(data[i] % 4);
    }
    const std::string state = panel->StateText();
    FUZZ_CHECK(LineCount(state) == expectedLines);
    FUZZ_CHECK(!state.empty() && state.back() == '\n');
    return 0;
}
