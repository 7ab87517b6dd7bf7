#include "drivers/i2cpanel/LCDControl_I2C.h"

#include "drivers/portio/Hd44780Instructions.h"
#include "drivers/base/TextPanelGeometry.h"

#include <chrono>
#include <thread>
#include <utility>

namespace orv {

namespace {

using namespace hd44780;

// Waits of the initialisation by instruction (above the datasheet's 4.1 ms, 100 us and 1.52 ms).
constexpr int kFirstSyncMs = 5;
constexpr int kSyncMs = 1;
constexpr int kClearMs = 2;

} // namespace

TLCDControl_I2C::TLCDControl_I2C() = default;

TLCDControl_I2C::~TLCDControl_I2C() { SetActive(false); }

bool TLCDControl_I2C::Connect(std::string& error) {
    device_ = OpenI2cDevice(bus_, address_, error);
    queue_.clear();
    failed_ = false;
    return device_ != nullptr;
}

void TLCDControl_I2C::Disconnect() {
    queue_.clear();
    device_.reset();
}

void TLCDControl_I2C::QueueNibble(bool data, uint8_t nibble) {
    const uint8_t lines = static_cast<uint8_t>(wiring_.DataBits(nibble) | (data ? wiring_.rs : 0) |
                                               (backLightOn_ ? wiring_.backLight : 0));
    queue_.push_back(static_cast<uint8_t>(lines | wiring_.e));
    queue_.push_back(lines);
}

void TLCDControl_I2C::QueueByte(bool data, uint8_t value) {
    QueueNibble(data, static_cast<uint8_t>(value >> 4));
    QueueNibble(data, static_cast<uint8_t>(value & 0x0F));
}

void TLCDControl_I2C::Pause(int ms) {
    std::string error;
    if (device_ && !queue_.empty() && !device_->Write(queue_.data(), queue_.size(), error))
        failed_ = true;
    queue_.clear();
    if (sleeper_)
        sleeper_(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void TLCDControl_I2C::SendInit(int rows, int cols) {
    cols_ = cols;
    // The lines settle with E low before the first transfer.
    queue_.push_back(backLightOn_ ? wiring_.backLight : 0);
    QueueNibble(false, 0x3);
    Pause(kFirstSyncMs);
    QueueNibble(false, 0x3);
    Pause(kSyncMs);
    QueueNibble(false, 0x3);
    Pause(kSyncMs);
    QueueNibble(false, 0x2);
    QueueByte(false, rows == 1 ? kFunctionSet4Bit1Line : kFunctionSet4Bit2Lines);
    QueueByte(false, kDisplayOff);
    QueueByte(false, kClearDisplay);
    Pause(kClearMs);
    QueueByte(false, kEntryIncrement);
}

void TLCDControl_I2C::SendPosition(int row, int col) {
    QueueByte(false,
              static_cast<uint8_t>(kSetDdramAddress | (Hd44780RowAddress(row + 1, cols_) + col)));
}

void TLCDControl_I2C::SendCodes(const uint8_t* codes, size_t count) {
    for (size_t i = 0; i < count; ++i) QueueByte(true, codes[i]);
}

void TLCDControl_I2C::SendCustomChar(int index, const std::array<uint8_t, 8>& pattern) {
    QueueByte(false, static_cast<uint8_t>(kSetCgramAddress + 8 * index));
    for (uint8_t row : pattern) QueueByte(true, row);
}

void TLCDControl_I2C::SendVisible(bool on) { QueueByte(false, on ? kDisplayOn : kDisplayOff); }

void TLCDControl_I2C::SendBackLight(bool on) {
    backLightOn_ = on;
    queue_.push_back(on ? wiring_.backLight : 0);
}

bool TLCDControl_I2C::Flush(uint64_t& sentBytes) {
    if (!device_) return false;
    std::string error;
    if (!queue_.empty() && !device_->Write(queue_.data(), queue_.size(), error)) failed_ = true;
    sentBytes += queue_.size();
    queue_.clear();
    device_->EndOfUpdate();
    return !std::exchange(failed_, false);
}

} // namespace orv
