#include "drivers/lcdd/LCDControl_LCDd.h"

#include <algorithm>

namespace orv {

TLCDControl_LCDd::TLCDControl_LCDd() = default;

TLCDControl_LCDd::~TLCDControl_LCDd() { link_.reset(); }

void TLCDControl_LCDd::SetAddress(TLcddAddress address) {
    std::lock_guard lock(addressMutex_);
    address_ = std::move(address);
}

TLcddAddress TLCDControl_LCDd::Address() const {
    std::lock_guard lock(addressMutex_);
    return address_;
}

void TLCDControl_LCDd::SetActive(bool value) {
    if (!value) {
        ForgetActivationError();
        lastFailure_.reset();
    }
    if (value == active_) return;
    if (!value) {
        active_ = false;
        link_.reset();
        return;
    }
    const TLcddAddress address = Address();
    const auto now = std::chrono::steady_clock::now();
    // The host switches on at once what the library's Init switched on: a server that just
    // failed to answer is not waited for a second time.
    if (lastFailure_ && lastFailure_->address == address.Text() &&
        now - lastFailure_->at < kRetryGap)
        return;
    std::string error;
    std::optional<TLcddSession> session = TLcddSession::Open(address, error);
    if (!session) {
        lastFailure_ = TFailure{address.Text(), std::chrono::steady_clock::now()};
        ReportActivationError(error);
        return;
    }
    lastFailure_.reset();
    ForgetActivationError();
    screen_.Change([&](TLcddScreen& screen) {
        screen.SetDisplay(session->display);
        screen.SetVisible(visible_);
        return false;
    });
    link_ = std::make_unique<TLcddLink>(std::move(*session), address, screen_,
                                        [this](int8_t code) { KeyPressed(code); });
    active_ = true;
    Notify(OnRowCountChange);
    Notify(OnColCountChange);
}

void TLCDControl_LCDd::KeyPressed(int8_t code) {
    if (!scanKeyboard_) return;
    SetScanCode(code);
    ClearScanCode(); // a key press is one event: no key is down afterwards
}

int32_t TLCDControl_LCDd::GetColCount() {
    return screen_.Read([](TLcddScreen& screen) { return screen.Cols(); });
}

int32_t TLCDControl_LCDd::GetRowCount() {
    return screen_.Read([](TLcddScreen& screen) { return screen.Rows(); });
}

void TLCDControl_LCDd::SetScanKeyboard(bool value) { scanKeyboard_ = active_ ? value : false; }

void TLCDControl_LCDd::SetVisible(bool value) {
    visible_ = value;
    screen_.Change([value](TLcddScreen& screen) { return screen.SetVisible(value); });
}

void TLCDControl_LCDd::Clear() {
    if (!active_) return;
    screen_.Change([](TLcddScreen& screen) { return screen.Clear(); });
}

void TLCDControl_LCDd::WriteText(uint8_t col, uint8_t row, const char* text, size_t len) {
    if (!active_ || !text) return;
    screen_.Change([&](TLcddScreen& screen) { return screen.Write(col, row, text, len); });
}

void TLCDControl_LCDd::DefineChar(uint8_t index, const uint8_t* pattern) {
    if (!active_ || !pattern || index > 7) return;
    TLcddPattern rows;
    std::copy(pattern, pattern + rows.size(), rows.begin());
    screen_.Change([&](TLcddScreen& screen) { return screen.Define(index, rows); });
}

} // namespace orv
