#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vis/vis_sound.h"

namespace velmora {
namespace {

TEST(VisSound, TheSpectrumPeaksAtTheSineAndTheWaveformHoldsTheHighBytes) {
  // A sine that falls on bin 100 of the 2048-point transform, at full scale and 40 dB down.
  static int16_t samples[2][kVisSamples];
  for (int i = 0; i < kVisSamples; ++i) {
    const double phase = 2 * 3.14159265358979 * 100 * i / 2048;
    samples[0][i] = static_cast<int16_t>(32767 * std::sin(phase));
    samples[1][i] = static_cast<int16_t>(327 * std::sin(phase));
  }
  VisModule module{};
  FillFromSamples(module, samples, kVisSamples);
  const unsigned char* left = module.spectrumData[0];
  EXPECT_EQ(std::max_element(left, left + kVisSamples) - left, 100);
  EXPECT_GE(left[100], 250);
  EXPECT_LE(left[300], 10) << "far from the sine the level is low";
  const unsigned char* right = module.spectrumData[1];
  EXPECT_EQ(std::max_element(right, right + kVisSamples) - right, 100);
  EXPECT_NEAR(right[100], 255 / 3, 6) << "40 dB down of a 60 dB range";
  for (int i : {0, 5, 200, 575}) {
    EXPECT_EQ(static_cast<int8_t>(module.waveformData[0][i]), samples[0][i] >> 8) << i;
    EXPECT_EQ(static_cast<int8_t>(module.waveformData[1][i]), samples[1][i] >> 8) << i;
  }

  // Fewer samples: the rest of the waveform is 0; silence has no spectrum.
  static int16_t silence[2][kVisSamples];
  FillFromSamples(module, silence, 100);
  EXPECT_EQ(*std::max_element(module.spectrumData[0], module.spectrumData[0] + kVisSamples), 0);
  EXPECT_EQ(module.waveformData[0][300], 0);
}

// The levels straight from their definition: a Hann-windowed DFT of each bin in double.
void ReferenceLevels(const int16_t* samples, int count, unsigned char levels[kVisSamples]) {
  const double pi = 3.14159265358979323846;
  std::vector<double> windowed(count);
  double window_sum = 0;
  for (int i = 0; i < count; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2 * pi * i / count);
    window_sum += w;
    windowed[i] = samples[i] * w;
  }
  const double full_scale = 32768.0 * std::max(window_sum, 1.0) / 2;
  for (int k = 0; k < kVisSamples; ++k) {
    std::complex<double> sum;
    for (int i = 0; i < count; ++i) sum += windowed[i] * std::polar(1.0, -2 * pi * k * i / 2048);
    const double magnitude = std::abs(sum) / full_scale;
    const double db = magnitude > 0 ? 20 * std::log10(magnitude) : -100;
    levels[k] = static_cast<unsigned char>(std::clamp((db + 60) * 255 / 60, 0.0, 255.0));
  }
}

TEST(VisSound, LevelsMatchAPlainTransformForSinesNoiseAndSilenceOnlyForTheChannelsAsked) {
  // Left: two sines off the bins' centres and a quiet one; right: noise. Then a short
  // record (its own window), then silence.
  static int16_t samples[2][kVisSamples];
  uint32_t seed = 7;
  for (int i = 0; i < kVisSamples; ++i) {
    samples[0][i] = static_cast<int16_t>(20000 * std::sin(0.1234 * i) + 9000 * std::sin(1.7 * i) +
                                         40 * std::sin(2.9 * i));
    seed = seed * 1664525u + 1013904223u;
    samples[1][i] = static_cast<int16_t>(static_cast<int>(seed >> 16) - 32768);
  }
  static int16_t silence[2][kVisSamples];
  struct Case {
    const int16_t (*samples)[kVisSamples];
    int count;
  } cases[] = {{samples, kVisSamples}, {samples, 300}, {silence, kVisSamples}};
  for (const Case& c : cases) {
    unsigned char expected[2][kVisSamples];
    for (int ch = 0; ch < 2; ++ch) ReferenceLevels(c.samples[ch], c.count, expected[ch]);
    // Both channels, the left alone (its own transform), none; what is not asked for is
    // left as it was, and the waveform is filled all the same.
    for (int channels : {2, 1, 0}) {
      VisModule module{};
      std::memset(module.spectrumData, 0xAB, sizeof module.spectrumData);
      FillFromSamples(module, c.samples, c.count, channels);
      for (int ch = 0; ch < 2; ++ch) {
        int worst = 0;
        for (int k = 0; k < kVisSamples; ++k) {
          const int want = ch < channels ? expected[ch][k] : 0xAB;
          worst = std::max(worst, std::abs(module.spectrumData[ch][k] - want));
        }
        EXPECT_LE(worst, ch < channels ? 1 : 0)
            << "channel " << ch << " of " << channels << ", " << c.count << " samples";
      }
      EXPECT_EQ(static_cast<int8_t>(module.waveformData[1][5]), c.samples[1][5] >> 8);
    }
  }
}

}  // namespace
}  // namespace velmora
