// The 20 spectrum bands of OrvantaMP3Data from a window of audio samples: a Hann-windowed real
// FFT (FFTW) whose magnitudes are gathered into bands spaced logarithmically from 20 Hz to
// 20 kHz (or half the sampling rate), each shown as 0..255 over a range of 60 dB below full
// scale.
#pragma once

#include "abi/MediaBlocks.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

using TBands = std::array<uint8_t, kMp3Bands>;

class TSpectrumAnalyser {
public:
    explicit TSpectrumAnalyser(unsigned sampleRate, size_t windowSize = 2048);
    ~TSpectrumAnalyser();
    TSpectrumAnalyser(const TSpectrumAnalyser&) = delete;
    TSpectrumAnalyser& operator=(const TSpectrumAnalyser&) = delete;

    size_t WindowSize() const { return size_; }
    // The lowest and highest FFT bin of each band (a band narrower than a bin uses the bin
    // nearest to its centre).
    const std::vector<std::pair<size_t, size_t>>& BandBins() const { return bins_; }
    // The band that shows a frequency; kMp3Bands for one outside every band.
    size_t BandOf(double hz) const;

    // samples: WindowSize() values in -1..1, oldest first.
    TBands Bands(const float* samples);

private:
    size_t size_;
    double binHz_;
    std::vector<float> window_;
    std::vector<std::pair<size_t, size_t>> bins_;
    float* in_ = nullptr;
    void* out_ = nullptr; // fftwf_complex[size_ / 2 + 1]
    void* plan_ = nullptr;
};

} // namespace orv
