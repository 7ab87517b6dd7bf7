// What the drivers of character panels behind a link (an I2C expander, a serial line) share:
// the geometry, what the host wants shown (rows and custom characters), what the panel holds,
// and the rule that an update sends only the difference. When the link fails, a thread of the
// driver connects it again a second later (and every second until it can), initialises the
// panel and gives it everything anew, so an unplugged panel comes back without a restart and
// without waiting for the next update (a screen that does not change sends none).
//
// Threads: the host's threads call the public operations; every link operation runs under one
// mutex, on the thread of the call that needs it.
#pragma once

#include "drivers/base/DriverControl.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace orv {

class TLCDCharPanelControl : public TLCDDriverControl {
public:
    TLCDCharPanelControl();
    ~TLCDCharPanelControl() override;

    bool GetActive() final { return active_; }
    // Activation connects the link; when it cannot, the driver stays inactive with one message.
    // A derived driver deactivates in its own destructor, while its link still exists.
    void SetActive(bool value) final;
    bool GetVisible() final { return visible_; }
    void SetVisible(bool value) final;
    bool GetBackLight() final { return backLight_; }
    void SetBackLight(bool value) final;
    // Rows 1, 2 or 4 and columns 16, 20, 24, 32 or 40 (drivers/base/TextPanelGeometry.h); other
    // values are ignored without notification.
    void SetColCount(int32_t value) final;
    int32_t GetColCount() final { return cols_; }
    void SetRowCount(int32_t value) final;
    int32_t GetRowCount() final { return rows_; }
    void SetScanKeyboard(bool value) override { scanKeyboard_ = value; }
    bool GetScanKeyboard() final { return scanKeyboard_; }

    void Clear() final;
    // Text from an invalid position continues where the last text ended; text past the end
    // of its row is not shown.
    void WriteText(uint8_t col, uint8_t row, const char* text, size_t len) final;
    void DefineChar(uint8_t index, const uint8_t* pattern) final;

    // Writes between the two marks reach the panel as one update, at EndFrame.
    void BeginFrame();
    void EndFrame();

    // Bytes the link has been given since activation (the cost of the updates).
    uint64_t SentBytes() const;
    // Time between two connection attempts of a failed link (tests shorten it).
    void SetReconnectDelay(std::chrono::milliseconds delay) { reconnectDelay_ = delay; }

protected:
    // The link. Each runs under the driver's mutex.
    // Opens the device; false with the reason for the user (UTF-8) in error.
    virtual bool Connect(std::string& error) = 0;
    virtual void Disconnect() = 0;
    // Initialises the panel after Connect: rows and columns set, screen clear, cursor off.
    virtual void SendInit(int rows, int cols) = 0;
    // Row and column from 0.
    virtual void SendPosition(int row, int col) = 0;
    virtual void SendCodes(const uint8_t* codes, size_t count) = 0;
    virtual void SendCustomChar(int index, const std::array<uint8_t, 8>& pattern) = 0;
    virtual void SendVisible(bool on) = 0;
    virtual void SendBackLight(bool on) = 0;
    // Sends what the calls above queued; false when the link failed (it is then disconnected
    // and tried again later).
    virtual bool Flush(uint64_t& sentBytes) = 0;
    // The panel code of a text byte (the HD44780 character table with its Cyrillic letters).
    virtual uint8_t CodeOf(uint8_t textByte) const;

    // The panel has to be sent everything again (from a link's reader that saw it fail).
    void LinkLost();

private:
    // Under mutex_: connects and initialises the panel; false with the reason in error.
    bool Open(std::string& error);
    // The panel just initialised: blank, nothing defined, cursor home.
    void Initialise();
    // After a change of rows or columns: nothing wanted, the panel initialised again.
    void Resized();
    // Brings the panel to what is wanted; under mutex_.
    void Update();
    bool EnsureConnected();
    void SendDifference();
    // The link failed: the relinker is to connect it again.
    void MarkLinkDown();
    // While active: waits for a failed link, then brings the panel back every reconnectDelay_
    // until it is.
    void Relink(std::stop_token stop);

    mutable std::mutex mutex_;
    bool active_ = false;
    bool visible_ = true;
    bool backLight_ = true;
    bool scanKeyboard_ = false;
    int32_t rows_ = 2, cols_ = 16;

    // Wanted and shown panel codes, row by row; shown -1: not known.
    std::vector<uint8_t> wanted_;
    std::vector<int16_t> shown_;
    std::array<std::optional<std::array<uint8_t, 8>>, 8> wantedChars_;
    std::array<bool, 8> charShown_{};
    std::optional<bool> shownVisible_, shownBackLight_;
    int cursorRow_ = 0, cursorCol_ = 0; // where the next text goes without a position
    int linkRow_ = -1, linkCol_ = -1;   // where the panel's cursor is; -1: not known

    bool connected_ = false;
    std::atomic<bool> lost_ = false; // set without the mutex by a link's reader
    bool inFrame_ = false;
    uint64_t sentBytes_ = 0;
    std::chrono::milliseconds reconnectDelay_{1000};
    std::chrono::steady_clock::time_point lastAttempt_{};

    // Without mutex_, which the link's reader may not take.
    std::mutex relinkMutex_;
    std::condition_variable_any relinkWanted_;
    bool linkDown_ = false; // under relinkMutex_
    std::jthread relinker_; // while active
};

} // namespace orv
