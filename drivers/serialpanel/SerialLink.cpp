#include "drivers/serialpanel/SerialLink.h"

#include "drivers/portio/PanelLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace orv {

std::optional<speed_t> SerialSpeed(int32_t baud) {
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return std::nullopt;
    }
}

std::unique_ptr<TSerialLink> TSerialLink::Open(const std::string& device, int32_t baud,
                                               TByteHandler onByte, TLostHandler onLost,
                                               std::string& error) {
    const std::optional<speed_t> speed = SerialSpeed(baud);
    if (!speed) {
        error = std::to_string(baud) + " is no baud rate of a serial display (1200 to 115200)";
        return nullptr;
    }
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + device + ": " + std::strerror(errno) +
                (errno == EACCES ? " (the user needs the group dialout)" : "");
        return nullptr;
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        error = device + " is no serial device: " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    if (!LockPanelDevice(fd, "the serial display " + device, error)) {
        ::close(fd);
        return nullptr;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | CSTOPB);
    ::cfsetispeed(&tio, *speed);
    ::cfsetospeed(&tio, *speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        error = "cannot set up " + device + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    ::tcflush(fd, TCIOFLUSH);
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC) != 0) {
        error = std::string("cannot start the key reader: ") + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<TSerialLink> link(
        new TSerialLink(fd, wake[0], wake[1], std::move(onByte), std::move(onLost)));
    link->reader_ = std::thread([l = link.get()] {
        ::pthread_setname_np(::pthread_self(), "serial-keys");
        l->Read();
    });
    return link;
}

TSerialLink::TSerialLink(int fd, int wakeRead, int wakeWrite, TByteHandler onByte,
                         TLostHandler onLost)
    : fd_(fd), wakeRead_(wakeRead), wakeWrite_(wakeWrite), onByte_(std::move(onByte)),
      onLost_(std::move(onLost)) {}

TSerialLink::~TSerialLink() {
    stop_ = true;
    const char stop = 1;
    if (::write(wakeWrite_, &stop, 1) < 0) {
        // The pipe is empty and open: the write cannot fail.
    }
    if (reader_.joinable()) reader_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
    ::close(fd_);
}

bool TSerialLink::Write(const uint8_t* bytes, size_t count, std::chrono::milliseconds timeout,
                        std::string& error) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (count > 0) {
        const ssize_t n = ::write(fd_, bytes, count);
        if (n > 0) {
            bytes += n;
            count -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            error = std::strerror(errno);
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            error = "the display takes no more bytes";
            return false;
        }
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            error = std::strerror(errno);
            return false;
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            error = "the line hung up";
            return false;
        }
    }
    return true;
}

void TSerialLink::Read() {
    uint8_t buffer[64];
    while (!stop_) {
        pollfd p[2] = {{fd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        const int ready = ::poll(p, 2, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || p[1].revents != 0) break;
        if (p[0].revents & (POLLHUP | POLLERR | POLLNVAL)) break;
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) break;
        for (ssize_t i = 0; i < n && !stop_; ++i) onByte_(buffer[i]);
    }
    if (!stop_) onLost_();
}

} // namespace orv
