// The audio MPD writes to its fifo output: read without blocking, kept as the newest window of
// mono samples for the spectrum, and the peak of each channel since the last look for the
// levels. The fifo is opened again when MPD replaces it (a restarted MPD makes a new one).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace orv {

// The fifo's sample format, as in mpd.conf: "44100:16:2". Signed 16-bit samples, one or two
// channels.
struct TFifoFormat {
    unsigned SampleRate = 44100;
    unsigned Channels = 2;
};
std::optional<TFifoFormat> ParseFifoFormat(std::string_view text);

class TFifoReader {
public:
    TFifoReader(std::string path, TFifoFormat format, size_t windowSize);
    ~TFifoReader();
    TFifoReader(const TFifoReader&) = delete;
    TFifoReader& operator=(const TFifoReader&) = delete;

    // Opens the fifo when it is not open or its path now names another fifo; false when there
    // is none.
    bool Reopen();
    // Takes in what the fifo holds; false when nothing came.
    bool ReadAvailable();

    // The newest windowSize mono samples in -1..1, oldest first (silence before any data).
    const float* Window();
    // The peak of each channel (0..255) since the last call.
    std::pair<uint8_t, uint8_t> TakeLevels();
    // Forgets the audio heard so far (playback stopped or paused).
    void Clear();

private:
    void Close();
    void Take(const int16_t* samples, size_t frames);

    std::string path_;
    TFifoFormat format_;
    int fd_ = -1;
    int keepOpenFd_ = -1; // a writer of our own, so that reads wait instead of ending
    ino_t inode_ = 0;
    std::vector<float> ring_; // 2 × windowSize, written twice so a window is contiguous
    size_t windowSize_;
    size_t next_ = 0;
    std::string partial_; // bytes of an incomplete frame
    int peakLeft_ = 0, peakRight_ = 0;
};

} // namespace orv
