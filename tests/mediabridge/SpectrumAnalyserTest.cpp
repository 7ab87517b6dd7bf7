// The spectrum bands of pure tones and of silence.
#include "mediabridge/SpectrumAnalyser.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace orv;

namespace {

std::vector<float> Sine(double hz, double amplitude, unsigned rate, size_t n) {
    std::vector<float> samples(n);
    for (size_t i = 0; i < n; ++i)
        samples[i] =
            static_cast<float>(amplitude * std::sin(2 * M_PI * hz * static_cast<double>(i) / rate));
    return samples;
}

TEST(SpectrumAnalyser, BandsRiseFromLowToHighWithoutGaps) {
    TSpectrumAnalyser analyser(44100);
    const auto& bins = analyser.BandBins();
    for (size_t b = 1; b < kMp3Bands; ++b) EXPECT_GE(bins[b].first, bins[b - 1].first) << b;
    EXPECT_EQ(analyser.BandOf(19000), kMp3Bands - 1);
    EXPECT_EQ(analyser.BandOf(1000), 11u); // 893..1262 Hz
    EXPECT_EQ(analyser.BandOf(100), 4u);   // 80..112 Hz
}

TEST(SpectrumAnalyser, ATonePeaksInItsBand) {
    for (unsigned rate : {44100u, 48000u, 22050u}) {
        TSpectrumAnalyser analyser(rate);
        for (double hz : {60.0, 100.0, 440.0, 1000.0, 5000.0}) {
            const std::vector<float> tone = Sine(hz, 0.8, rate, analyser.WindowSize());
            const TBands bands = analyser.Bands(tone.data());
            const auto loudest =
                static_cast<size_t>(std::max_element(bands.begin(), bands.end()) - bands.begin());
            EXPECT_EQ(loudest, analyser.BandOf(hz)) << hz << " Hz at " << rate;
            EXPECT_GT(bands[loudest], 230) << hz; // about -2 dB
        }
    }
}

TEST(SpectrumAnalyser, SilenceAndQuietSoundsAreLow) {
    TSpectrumAnalyser analyser(44100);
    const std::vector<float> silence(analyser.WindowSize(), 0.0f);
    const TBands none = analyser.Bands(silence.data());
    EXPECT_TRUE(std::all_of(none.begin(), none.end(), [](uint8_t v) { return v == 0; }));
    // -40 dB: a third of the scale.
    const std::vector<float> quiet = Sine(1000, 0.01, 44100, analyser.WindowSize());
    const TBands bands = analyser.Bands(quiet.data());
    EXPECT_NEAR(bands[11], 85, 6);
}

} // namespace
