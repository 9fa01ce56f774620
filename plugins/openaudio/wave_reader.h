// RIFF/WAVE files: the format, where the samples are, and the RIFF INFO tags; and the
// conversion of their samples to the signed 16-bit stereo the output plays. PCM of 8, 16,
// 24 and 32 bits and 32-bit float, mono or stereo; anything else is refused with a
// reason.
//
// Sizes stated by the file are never trusted: a data chunk that claims more than the file
// holds ends at the end of the file, and no chunk is read past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "plugins/mpeg/id3.h"

namespace velmora::openaudio {

struct WaveFormat {
  int channels = 0;
  int sample_rate = 0;
  int bits = 0;  // per sample as stored: 8, 16, 24 or 32
  bool is_float = false;
  int block_align = 0;  // bytes of one frame
  int64_t data_begin = 0;
  int64_t frames = 0;    // whole frames the data holds (as far as the file goes)
  mpeg::TagFields info;  // from a LIST INFO chunk (UTF-8; the file's text taken as Latin-1)
};

// Reads the chunks of a RIFF/WAVE file. False with `*error` saying why when it is not one
// or its samples are of a kind not played.
bool ReadWaveFormat(const mpeg::RandomAccess& file, WaveFormat* format, std::string* error);

// Whether the bytes start like a RIFF/WAVE file.
bool LooksLikeWave(const uint8_t* data, size_t size);

// Converts `frames` frames of the file's samples at `in` to interleaved 16-bit stereo at
// `out` (2 * frames values); a mono file is copied to both channels.
void WaveToStereo16(const WaveFormat& format, const uint8_t* in, size_t frames, int16_t* out);

}  // namespace velmora::openaudio
