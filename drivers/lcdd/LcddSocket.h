// One TCP connection to LCDd with bounded waits: connecting, sending and reading lines never
// block longer than the time-out given. The descriptor is non-blocking and closed on destruction.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

class TLcddSocket {
public:
    // Connects to host (name or address) and port within timeoutMs; nullptr and the reason
    // (UTF-8, for the user) in error otherwise. Every wait of this class also ends when
    // cancelFd (when not -1) becomes readable.
    static std::unique_ptr<TLcddSocket> Connect(const std::string& host, uint16_t port,
                                                int timeoutMs, std::string& error,
                                                int cancelFd = -1);
    ~TLcddSocket();
    TLcddSocket(const TLcddSocket&) = delete;
    TLcddSocket& operator=(const TLcddSocket&) = delete;

    int Fd() const { return fd_; }
    // From now on every wait also ends when cancelFd becomes readable.
    void SetCancelFd(int cancelFd) { cancelFd_ = cancelFd; }

    // Sends every byte, waiting at most timeoutMs for the peer to take them; false when the
    // connection failed or stayed blocked that long.
    bool SendAll(std::string_view data, int timeoutMs);
    // Reads what has arrived without waiting, until the unread text holds a few of the longest
    // lines of the protocol (then Full() tells, and the caller takes its lines before reading
    // on); false at the end of the stream, on an error, or when the unread text holds no line
    // end at all (then Overflowed() tells).
    bool ReadAvailable();
    bool Full() const { return full_; }
    bool Overflowed() const { return overflowed_; }
    // The next whole line that has arrived (without its line end), if any.
    std::optional<std::string> TakeLine();
    // Waits up to timeoutMs for a whole line; nullopt on time-out, end of stream or error.
    std::optional<std::string> ReadLine(int timeoutMs);

private:
    TLcddSocket(int fd, int cancelFd) : fd_(fd), cancelFd_(cancelFd) {}

    int fd_;
    int cancelFd_;
    std::string received_;
    size_t taken_ = 0; // received_ up to here has been taken as lines
    bool full_ = false;
    bool overflowed_ = false;
};

} // namespace orv
