// The module's data from the sound itself, where the input plug-in offers the samples
// sounding now: the waveform as 8-bit signed samples and the spectrum as 8-bit levels of
// a Fourier transform of them.
#pragma once

#include <cstdint>

#include "vis/vis_plugin_abi.h"

namespace velmora {

inline constexpr int kVisSamples = 576;

// 576 spectrum levels of each of the first `channels` channels (0 to 2) of `count`
// samples (Hann window over the `count` samples, 2048-point transform; bin k is
// k * rate / 2048): 0 is 60 dB or more below a full-scale sine, 255 a full-scale sine.
// Channels not asked for are left as they are. Allocates nothing; any thread.
void SpectrumLevels(const int16_t samples[2][kVisSamples], int count, int channels,
                    unsigned char levels[2][kVisSamples]);

// The module's data from the samples (oldest first, `count` of each channel up to 576):
// waveformData holds the high 8 bits of each sample as a signed byte, the rest of it 0;
// spectrumData the spectrum levels of the first `spectrum_channels` channels (0 to 2).
void FillFromSamples(VisModule& module, const int16_t samples[2][kVisSamples], int count,
                     int spectrum_channels = 2);

}  // namespace velmora
