#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

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

}  // namespace
}  // namespace velmora
