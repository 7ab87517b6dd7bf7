#include "drivers/serialpanel/LCDControl_Serial.h"

namespace orv {

namespace {

constexpr uint8_t kCommand = 0xFE;
constexpr uint8_t kClear = 0x58;
constexpr uint8_t kSetCursor = 0x47;
constexpr uint8_t kDefineChar = 0x4E;
constexpr uint8_t kBackLightOn = 0x42;
constexpr uint8_t kBackLightOff = 0x46;
constexpr uint8_t kBrightness = 0x99;
constexpr uint8_t kContrast = 0x50;
constexpr uint8_t kUnderlineOff = 0x4B;
constexpr uint8_t kBlockOff = 0x54;
constexpr uint8_t kAutoscrollOff = 0x52;
constexpr uint8_t kPanelSize = 0xD1;
constexpr uint8_t kKeysAuto = 0x41;

} // namespace

TLCDControl_Serial::TLCDControl_Serial() = default;

TLCDControl_Serial::~TLCDControl_Serial() { SetActive(false); }

bool TLCDControl_Serial::Connect(std::string& error) {
    queue_.clear();
    link_ = TSerialLink::Open(
        device_, baud_, [this](uint8_t byte) { KeyByte(byte); }, [this] { LinkLost(); }, error);
    return link_ != nullptr;
}

void TLCDControl_Serial::Disconnect() {
    link_.reset();
    queue_.clear();
}

void TLCDControl_Serial::KeyByte(uint8_t byte) {
    const size_t code = keys_.find(static_cast<char>(byte));
    if (code != std::string::npos && code < 3) SetScanCode(static_cast<int8_t>(code));
}

void TLCDControl_Serial::Command(std::initializer_list<uint8_t> bytes) {
    queue_.push_back(kCommand);
    queue_.insert(queue_.end(), bytes);
}

void TLCDControl_Serial::SendInit(int rows, int cols) {
    Command({kPanelSize, static_cast<uint8_t>(cols), static_cast<uint8_t>(rows)});
    Command({kAutoscrollOff});
    Command({kUnderlineOff});
    Command({kBlockOff});
    Command({kContrast, contrast_});
    Command({kKeysAuto});
    Command({kClear});
}

void TLCDControl_Serial::SendPosition(int row, int col) {
    Command({kSetCursor, static_cast<uint8_t>(col + 1), static_cast<uint8_t>(row + 1)});
}

void TLCDControl_Serial::SendCodes(const uint8_t* codes, size_t count) {
    queue_.insert(queue_.end(), codes, codes + count);
}

void TLCDControl_Serial::SendCustomChar(int index, const std::array<uint8_t, 8>& pattern) {
    Command({kDefineChar, static_cast<uint8_t>(index)});
    queue_.insert(queue_.end(), pattern.begin(), pattern.end());
}

// The command set has no display switch of its own: a hidden display is a dark one.
void TLCDControl_Serial::SendLight() {
    if (visible_ && backLight_) {
        Command({kBackLightOn, 0});
        Command({kBrightness, brightness_});
    } else {
        Command({kBackLightOff});
    }
}

void TLCDControl_Serial::SendVisible(bool on) {
    visible_ = on;
    SendLight();
}

void TLCDControl_Serial::SendBackLight(bool on) {
    backLight_ = on;
    SendLight();
}

bool TLCDControl_Serial::Flush(uint64_t& sentBytes) {
    if (!link_) return false;
    std::string error;
    const bool ok =
        queue_.empty() || link_->Write(queue_.data(), queue_.size(), kWriteTimeout, error);
    if (ok) sentBytes += queue_.size();
    queue_.clear();
    return ok;
}

} // namespace orv
