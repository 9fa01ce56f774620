// What the output thread of an input plug-in plays: a decoder producing signed 16-bit
// stereo frames at its sample rate, whatever the format underneath.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::output {

class PcmDecoder {
 public:
  enum class Status { ok, new_format, done, error };
  static constexpr int kChannels = 2;
  static constexpr int kBytesPerFrame = 4;  // one stereo sample frame, 16 bit

  virtual ~PcmDecoder() = default;
  virtual int SampleRate() const = 0;
  // Decodes into `out`; `*got` bytes (whole sample frames). new_format means the sample
  // rate changed (SampleRate() tells the new one) and nothing was decoded.
  virtual Status Read(uint8_t* out, size_t capacity, size_t* got) = 0;
  // The sample actually reached, or -1 (past the end, or the source cannot seek).
  virtual int64_t SeekSample(int64_t sample) = 0;
};

}  // namespace velmora::output
