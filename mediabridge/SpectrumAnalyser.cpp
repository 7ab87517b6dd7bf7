#include "mediabridge/SpectrumAnalyser.h"

#include <algorithm>
#include <cmath>
#include <fftw3.h>
#include <mutex>

namespace orv {

namespace {

constexpr double kLowestHz = 20.0;
constexpr double kHighestHz = 20000.0;
constexpr double kRangeDb = 60.0;

// FFTW's planner is not thread-safe; plans are made and destroyed under this lock.
std::mutex gPlannerLock;

} // namespace

TSpectrumAnalyser::TSpectrumAnalyser(unsigned sampleRate, size_t windowSize)
    : size_(std::max<size_t>(windowSize, 64)),
      binHz_(std::max(1000u, sampleRate) / static_cast<double>(size_)), window_(size_) {
    for (size_t i = 0; i < size_; ++i)
        window_[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) /
                                                             static_cast<double>(size_ - 1)));
    const size_t lastBin = size_ / 2;
    const double binHz = binHz_;
    const double top = std::min(kHighestHz, binHz * static_cast<double>(lastBin));
    for (size_t b = 0; b < kMp3Bands; ++b) {
        const double low =
            kLowestHz * std::pow(top / kLowestHz, static_cast<double>(b) / kMp3Bands);
        const double high =
            kLowestHz * std::pow(top / kLowestHz, static_cast<double>(b + 1) / kMp3Bands);
        size_t first = static_cast<size_t>(std::ceil(low / binHz));
        size_t last = static_cast<size_t>(std::ceil(high / binHz));
        last = last > 0 ? last - 1 : 0; // bins below high
        if (first > last)
            first = last = static_cast<size_t>(std::lround(std::sqrt(low * high) / binHz));
        bins_.emplace_back(std::clamp<size_t>(first, 1, lastBin),
                           std::clamp<size_t>(last, 1, lastBin));
    }

    std::lock_guard lock(gPlannerLock);
    in_ = fftwf_alloc_real(size_);
    auto* out = fftwf_alloc_complex(lastBin + 1);
    out_ = out;
    plan_ = fftwf_plan_dft_r2c_1d(static_cast<int>(size_), in_, out, FFTW_ESTIMATE);
}

TSpectrumAnalyser::~TSpectrumAnalyser() {
    std::lock_guard lock(gPlannerLock);
    if (plan_) fftwf_destroy_plan(static_cast<fftwf_plan>(plan_));
    fftwf_free(out_);
    fftwf_free(in_);
}

size_t TSpectrumAnalyser::BandOf(double hz) const {
    const auto bin = static_cast<size_t>(std::lround(hz / binHz_));
    for (size_t b = 0; b < bins_.size(); ++b)
        if (bins_[b].first <= bin && bin <= bins_[b].second) return b;
    return kMp3Bands;
}

TBands TSpectrumAnalyser::Bands(const float* samples) {
    TBands bands{};
    if (!plan_) return bands;
    for (size_t i = 0; i < size_; ++i) in_[i] = samples[i] * window_[i];
    fftwf_execute(static_cast<fftwf_plan>(plan_));
    const auto* out = static_cast<const fftwf_complex*>(out_);
    // A full-scale sine gives a peak of size/4 through the Hann window: 0 dB.
    const float fullScale = static_cast<float>(size_) / 4.0f;
    for (size_t b = 0; b < kMp3Bands; ++b) {
        float peak = 0;
        for (size_t k = bins_[b].first; k <= bins_[b].second; ++k)
            peak = std::max(peak, std::hypot(out[k][0], out[k][1]));
        const double db = 20.0 * std::log10(std::max(peak / fullScale, 1e-9f));
        const double level = (db + kRangeDb) / kRangeDb * 255.0;
        bands[b] = static_cast<uint8_t>(std::clamp(std::lround(level), 0L, 255L));
    }
    return bands;
}

} // namespace orv
