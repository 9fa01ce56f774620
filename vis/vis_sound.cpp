#include "vis/vis_sound.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr int kTransformSize = 2048;
constexpr float kPi = 3.14159265358979f;

}  // namespace

void Fourier(std::vector<std::complex<float>>& values) {
  const size_t n = values.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(values[i], values[j]);
  }
  for (size_t length = 2; length <= n; length <<= 1) {
    const float angle = -2 * kPi / static_cast<float>(length);
    const std::complex<float> step(std::cos(angle), std::sin(angle));
    for (size_t start = 0; start < n; start += length) {
      std::complex<float> w(1);
      for (size_t k = 0; k < length / 2; ++k) {
        const std::complex<float> even = values[start + k];
        const std::complex<float> odd = values[start + k + length / 2] * w;
        values[start + k] = even + odd;
        values[start + k + length / 2] = even - odd;
        w *= step;
      }
    }
  }
}

void SpectrumLevels(const int16_t* samples, int count, unsigned char levels[kVisSamples]) {
  count = std::clamp(count, 0, kVisSamples);
  std::vector<std::complex<float>> values(kTransformSize);
  float window_sum = 0;
  for (int i = 0; i < count; ++i) {
    const float w = 0.5f - 0.5f * std::cos(2 * kPi * static_cast<float>(i) / static_cast<float>(count));
    window_sum += w;
    values[i] = samples[i] * w;
  }
  // A full-scale sine of amplitude 32768 gives |X| = 32768 * window_sum / 2 at its bin.
  const float full_scale = 32768.0f * std::max(window_sum, 1.0f) / 2;
  Fourier(values);
  for (int k = 0; k < kVisSamples; ++k) {
    const float magnitude = std::abs(values[k]) / full_scale;
    const float db = magnitude > 0 ? 20 * std::log10(magnitude) : -100;
    levels[k] = static_cast<unsigned char>(std::clamp((db + 60) * 255 / 60, 0.0f, 255.0f));
  }
}

void FillFromSamples(VisModule& module, const int16_t samples[2][kVisSamples], int count) {
  count = std::clamp(count, 0, kVisSamples);
  for (int ch = 0; ch < 2; ++ch) {
    for (int i = 0; i < kVisSamples; ++i)
      module.waveformData[ch][i] =
          i < count ? static_cast<unsigned char>(static_cast<int8_t>(samples[ch][i] >> 8)) : 0;
    SpectrumLevels(samples[ch], count, module.spectrumData[ch]);
  }
}

}  // namespace velmora
