// A serial line to a character display: the device opened in raw mode at a baud rate, locked
// for this program, writes that give up after a time-out (an unplugged display never blocks
// the caller), and a reader thread that passes each byte the display sends to a handler and
// tells when the line has gone (hang-up, a removed device).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <termios.h>

namespace orv {

// The termios speed of a baud rate (1200 to 115200); nullopt for other rates.
std::optional<speed_t> SerialSpeed(int32_t baud);

class TSerialLink {
public:
    using TByteHandler = std::function<void(uint8_t)>;
    using TLostHandler = std::function<void()>;

    // nullptr and the reason for the user (UTF-8) in error when the device cannot be opened,
    // is no terminal, or another program drives it. The handlers run on the reader thread.
    static std::unique_ptr<TSerialLink> Open(const std::string& device, int32_t baud,
                                             TByteHandler onByte, TLostHandler onLost,
                                             std::string& error);
    // Stops the reader, then closes the device.
    ~TSerialLink();
    TSerialLink(const TSerialLink&) = delete;
    TSerialLink& operator=(const TSerialLink&) = delete;

    // Writes all bytes within timeout; false with the reason in error otherwise.
    bool Write(const uint8_t* bytes, size_t count, std::chrono::milliseconds timeout,
               std::string& error);

private:
    TSerialLink(int fd, int wakeRead, int wakeWrite, TByteHandler onByte, TLostHandler onLost);
    void Read();

    int fd_;
    int wakeRead_, wakeWrite_; // a byte in the pipe ends the reader
    TByteHandler onByte_;
    TLostHandler onLost_;
    std::atomic<bool> stop_ = false;
    std::thread reader_;
};

} // namespace orv
