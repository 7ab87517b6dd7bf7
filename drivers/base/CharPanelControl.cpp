#include "drivers/base/CharPanelControl.h"

#include "drivers/base/TextPanelGeometry.h"
#include "drivers/portio/Hd44780Charset.h"

#include <algorithm>

namespace orv {

TLCDCharPanelControl::TLCDCharPanelControl() { Resized(); }

// A derived driver deactivates in its own destructor, which ends the relinker.
TLCDCharPanelControl::~TLCDCharPanelControl() = default;

uint8_t TLCDCharPanelControl::CodeOf(uint8_t textByte) const { return Hd44780CodeOf(textByte); }

void TLCDCharPanelControl::SetActive(bool value) {
    if (!value) {
        ForgetActivationError();
        // Ended before the lock: it takes the lock itself.
        relinker_ = {};
    }
    std::string error;
    {
        std::lock_guard lock(mutex_);
        if (value == active_) return;
        if (!value) {
            active_ = false;
            if (connected_) Disconnect();
            connected_ = false;
            return;
        }
        if (Open(error)) {
            active_ = true;
            sentBytes_ = 0;
            relinker_ = std::jthread([this](std::stop_token stop) { Relink(stop); });
            if (!inFrame_) Update();
        }
    }
    if (error.empty())
        ForgetActivationError();
    else
        ReportActivationError(error);
}

bool TLCDCharPanelControl::Open(std::string& error) {
    lastAttempt_ = std::chrono::steady_clock::now();
    if (!Connect(error)) return false;
    connected_ = true;
    lost_ = false;
    {
        std::lock_guard lock(relinkMutex_);
        linkDown_ = false;
    }
    Initialise();
    return true;
}

void TLCDCharPanelControl::Initialise() {
    SendInit(rows_, cols_);
    std::fill(shown_.begin(), shown_.end(), int16_t{' '});
    charShown_.fill(false);
    shownVisible_.reset();
    shownBackLight_.reset();
    linkRow_ = linkCol_ = 0;
}

void TLCDCharPanelControl::Resized() {
    wanted_.assign(static_cast<size_t>(rows_ * cols_), ' ');
    shown_.assign(wanted_.size(), -1);
    cursorRow_ = cursorCol_ = 0;
    if (connected_) Initialise();
    if (active_ && !inFrame_) Update();
}

void TLCDCharPanelControl::SetColCount(int32_t value) {
    if (!IsTextPanelColCount(value)) return;
    {
        std::lock_guard lock(mutex_);
        cols_ = value;
        Resized();
    }
    Notify(OnColCountChange);
}

void TLCDCharPanelControl::SetRowCount(int32_t value) {
    if (!IsTextPanelRowCount(value)) return;
    {
        std::lock_guard lock(mutex_);
        rows_ = value;
        Resized();
    }
    Notify(OnRowCountChange);
}

void TLCDCharPanelControl::SetVisible(bool value) {
    std::lock_guard lock(mutex_);
    visible_ = value;
    if (active_ && !inFrame_) Update();
}

void TLCDCharPanelControl::SetBackLight(bool value) {
    std::lock_guard lock(mutex_);
    backLight_ = value;
    if (active_ && !inFrame_) Update();
}

void TLCDCharPanelControl::Clear() {
    std::lock_guard lock(mutex_);
    if (!active_) return;
    std::fill(wanted_.begin(), wanted_.end(), uint8_t{' '});
    cursorRow_ = cursorCol_ = 0;
    if (!inFrame_) Update();
}

void TLCDCharPanelControl::WriteText(uint8_t col, uint8_t row, const char* text, size_t len) {
    std::lock_guard lock(mutex_);
    if (!active_ || !text) return;
    if (row >= 1 && row <= rows_ && col >= 1 && col <= cols_) {
        cursorRow_ = row - 1;
        cursorCol_ = col - 1;
    }
    const size_t room = cursorCol_ < cols_ ? static_cast<size_t>(cols_ - cursorCol_) : 0;
    const size_t n = std::min(len, room);
    for (size_t i = 0; i < n; ++i)
        wanted_[static_cast<size_t>(cursorRow_ * cols_ + cursorCol_) + i] =
            CodeOf(static_cast<uint8_t>(text[i]));
    cursorCol_ += static_cast<int>(n);
    if (!inFrame_) Update();
}

void TLCDCharPanelControl::DefineChar(uint8_t index, const uint8_t* pattern) {
    std::lock_guard lock(mutex_);
    if (!active_ || index > 7 || !pattern) return;
    std::array<uint8_t, 8> rows{};
    std::copy_n(pattern, 8, rows.begin());
    if (wantedChars_[index] != rows) charShown_[index] = false;
    wantedChars_[index] = rows;
    if (!inFrame_) Update();
}

void TLCDCharPanelControl::BeginFrame() {
    std::lock_guard lock(mutex_);
    inFrame_ = true;
}

void TLCDCharPanelControl::EndFrame() {
    std::lock_guard lock(mutex_);
    inFrame_ = false;
    if (active_) Update();
}

uint64_t TLCDCharPanelControl::SentBytes() const {
    std::lock_guard lock(mutex_);
    return sentBytes_;
}

void TLCDCharPanelControl::LinkLost() {
    lost_ = true;
    MarkLinkDown();
}

void TLCDCharPanelControl::MarkLinkDown() {
    {
        std::lock_guard lock(relinkMutex_);
        linkDown_ = true;
    }
    relinkWanted_.notify_one();
}

void TLCDCharPanelControl::Relink(std::stop_token stop) {
    std::unique_lock wait(relinkMutex_);
    while (relinkWanted_.wait(wait, stop, [this] { return linkDown_; })) {
        // A wait through the delay that only a stop ends.
        if (relinkWanted_.wait_for(wait, stop, reconnectDelay_, [] { return false; }) ||
            stop.stop_requested())
            return;
        wait.unlock();
        {
            std::lock_guard lock(mutex_);
            if (active_ && !inFrame_) Update();
        }
        wait.lock();
    }
}

bool TLCDCharPanelControl::EnsureConnected() {
    if (connected_ && !lost_) return true;
    if (connected_) {
        Disconnect();
        connected_ = false;
    }
    if (std::chrono::steady_clock::now() < lastAttempt_ + reconnectDelay_) return false;
    std::string error;
    if (Open(error)) return true;
    MarkLinkDown();
    return false;
}

void TLCDCharPanelControl::Update() {
    if (!EnsureConnected()) return;
    SendDifference();
    if (Flush(sentBytes_)) return;
    // The panel went away: what it holds is unknown; the relinker connects again.
    Disconnect();
    connected_ = false;
    lost_ = false;
    lastAttempt_ = std::chrono::steady_clock::now();
    MarkLinkDown();
}

void TLCDCharPanelControl::SendDifference() {
    if (shownVisible_ != visible_) {
        SendVisible(visible_);
        shownVisible_ = visible_;
    }
    if (shownBackLight_ != backLight_) {
        SendBackLight(backLight_);
        shownBackLight_ = backLight_;
    }
    for (int k = 0; k < 8; ++k)
        if (wantedChars_[k] && !charShown_[k]) {
            SendCustomChar(k, *wantedChars_[k]);
            charShown_[k] = true;
            linkRow_ = linkCol_ = -1; // the cursor left display memory
        }
    for (int row = 0; row < rows_; ++row) {
        const size_t start = static_cast<size_t>(row * cols_);
        int col = 0;
        while (col < cols_) {
            if (shown_[start + col] == wanted_[start + col]) {
                ++col;
                continue;
            }
            int end = col + 1; // the run of changed cells, through gaps shorter than a position
            while (end < cols_) {
                int same = 0;
                while (end + same < cols_ &&
                       shown_[start + end + same] == wanted_[start + end + same])
                    ++same;
                if (end + same >= cols_ || same > 2) break;
                end += same + 1;
            }
            if (linkRow_ != row || linkCol_ != col) SendPosition(row, col);
            SendCodes(&wanted_[start + col], static_cast<size_t>(end - col));
            for (int c = col; c < end; ++c) shown_[start + c] = wanted_[start + c];
            linkRow_ = row;
            linkCol_ = end;
            col = end;
        }
    }
}

} // namespace orv
