// What handing a visualisation module the playing sound costs per render: filling its
// record from 576 samples of each channel (the waveform, and the spectrum of the channels
// the module asks for), as the host does before every Render when the input plug-in
// offers them.
// Printed as microseconds per fill and as the share of one core at 50 renders a second
// (a module's usual pace, delayMs 20).
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "vis/vis_sound.h"

namespace {

using velmora::kVisSamples;

// Music-like samples: two sines per channel and a little noise, moved on every call so
// that no fill sees the same input twice in a row.
void MakeSamples(int16_t samples[2][kVisSamples], int frame) {
  uint32_t seed = 12345u + static_cast<uint32_t>(frame);
  for (int i = 0; i < kVisSamples; ++i) {
    const double t = (frame * kVisSamples + i) / 44100.0;
    for (int ch = 0; ch < 2; ++ch) {
      seed = seed * 1664525u + 1013904223u;
      const double noise = (static_cast<int>(seed >> 16) - 32768) / 32768.0;
      const double value = 12000 * std::sin(2 * 3.14159265358979 * (220 + 110 * ch) * t) +
                           6000 * std::sin(2 * 3.14159265358979 * 3520 * t) + 1500 * noise;
      samples[ch][i] = static_cast<int16_t>(value);
    }
  }
}

}  // namespace

int main() {
  constexpr int kInputs = 16;
  static int16_t inputs[kInputs][2][kVisSamples];
  for (int f = 0; f < kInputs; ++f) MakeSamples(inputs[f], f);

  static velmora::VisModule module{};
  unsigned checksum = 0;
  const char* const kAsked[3] = {"waveform alone (a module that asks no spectrum)",
                                 "waveform and spectrum of the left channel",
                                 "waveform and spectrum of both channels"};
  for (int channels = 2; channels >= 0; --channels) {
    // Warm up, then time enough calls for a steady figure.
    for (int i = 0; i < 200; ++i)
      velmora::FillFromSamples(module, inputs[i % kInputs], kVisSamples, channels);
    constexpr int kCalls = 5000;
    double best_us = 1e30;
    for (int round = 0; round < 5; ++round) {
      const auto start = std::chrono::steady_clock::now();
      for (int i = 0; i < kCalls; ++i) {
        velmora::FillFromSamples(module, inputs[i % kInputs], kVisSamples, channels);
        checksum += module.spectrumData[i & 1][i % kVisSamples] + module.waveformData[0][i & 63];
      }
      const double us =
          std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
              .count() /
          kCalls;
      if (us < best_us) best_us = us;
    }
    std::printf("vis sound fill, %s: %.2f us per render (best of 5 rounds of %d)\n",
                kAsked[channels], best_us, kCalls);
    std::printf("  share of one core at 50 renders/s: %.4f%% (target for the host: under 0.05%%)\n",
                best_us * 50 / 1e6 * 100);
  }
  std::printf("  [checksum %u]\n", checksum);
  return 0;
}
