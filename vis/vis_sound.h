// The module's data from the sound itself, where the input plug-in offers the samples
// sounding now: the waveform as 8-bit signed samples and the spectrum as 8-bit levels of
// a Fourier transform of them.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

#include "vis/vis_plugin_abi.h"

namespace velmora {

inline constexpr int kVisSamples = 576;

// In-place radix-2 transform; the size must be a power of two.
void Fourier(std::vector<std::complex<float>>& values);

// 576 spectrum levels of `count` samples (Hann window, 2048-point transform; bin k is
// k * rate / 2048): 0 is 60 dB or more below a full-scale sine, 255 a full-scale sine.
void SpectrumLevels(const int16_t* samples, int count, unsigned char levels[kVisSamples]);

// Both channels of the module from the samples (oldest first, `count` of each up to 576):
// waveformData holds the high 8 bits of each sample as a signed byte, the rest of it 0;
// spectrumData the spectrum levels.
void FillFromSamples(VisModule& module, const int16_t samples[2][kVisSamples], int count);

}  // namespace velmora
