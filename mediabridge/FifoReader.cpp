#include "mediabridge/FifoReader.h"

#include "base/TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

std::optional<TFifoFormat> ParseFifoFormat(std::string_view text) {
    const size_t first = text.find(':');
    const size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto rate = ParseInt32(text.substr(0, first));
    const auto bits = ParseInt32(text.substr(first + 1, second - first - 1));
    const auto channels = ParseInt32(text.substr(second + 1));
    if (!rate || *rate < 1000 || *rate > 384000 || bits != 16 || !channels || *channels < 1 ||
        *channels > 2)
        return std::nullopt;
    return TFifoFormat{static_cast<unsigned>(*rate), static_cast<unsigned>(*channels)};
}

TFifoReader::TFifoReader(std::string path, TFifoFormat format, size_t windowSize)
    : path_(std::move(path)), format_(format), ring_(2 * windowSize, 0.0f),
      windowSize_(windowSize) {}

TFifoReader::~TFifoReader() { Close(); }

void TFifoReader::Close() {
    if (fd_ >= 0) ::close(fd_);
    if (keepOpenFd_ >= 0) ::close(keepOpenFd_);
    fd_ = keepOpenFd_ = -1;
    inode_ = 0;
    partial_.clear();
}

bool TFifoReader::Reopen() {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0 || !S_ISFIFO(st.st_mode)) {
        Close();
        return false;
    }
    if (fd_ >= 0 && st.st_ino == inode_) return true;
    Close();
    fd_ = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return false;
    keepOpenFd_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat opened {};
    inode_ = ::fstat(fd_, &opened) == 0 ? opened.st_ino : 0;
    return true;
}

bool TFifoReader::ReadAvailable() {
    if (fd_ < 0) return false;
    bool got = false;
    char buffer[16384];
    const size_t frameBytes = 2 * format_.Channels;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got = true;
        partial_.append(buffer, static_cast<size_t>(n));
        const size_t frames = partial_.size() / frameBytes;
        std::vector<int16_t> samples(frames * format_.Channels);
        std::memcpy(samples.data(), partial_.data(), frames * frameBytes);
        partial_.erase(0, frames * frameBytes);
        Take(samples.data(), frames);
    }
    return got;
}

void TFifoReader::Take(const int16_t* samples, size_t frames) {
    const bool stereo = format_.Channels == 2;
    for (size_t f = 0; f < frames; ++f) {
        const int left = samples[f * format_.Channels];
        const int right = stereo ? samples[f * 2 + 1] : left;
        peakLeft_ = std::max(peakLeft_, std::abs(left));
        peakRight_ = std::max(peakRight_, std::abs(right));
        const float mono = static_cast<float>(left + right) / 65536.0f;
        ring_[next_] = ring_[next_ + windowSize_] = mono;
        next_ = (next_ + 1) % windowSize_;
    }
}

const float* TFifoReader::Window() { return ring_.data() + next_; }

std::pair<uint8_t, uint8_t> TFifoReader::TakeLevels() {
    auto scale = [](int peak) { return static_cast<uint8_t>(std::min(255, peak * 255 / 32767)); };
    const auto levels = std::make_pair(scale(peakLeft_), scale(peakRight_));
    peakLeft_ = peakRight_ = 0;
    return levels;
}

void TFifoReader::Clear() {
    std::fill(ring_.begin(), ring_.end(), 0.0f);
    peakLeft_ = peakRight_ = 0;
}

} // namespace orv
