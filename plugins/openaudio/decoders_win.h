// The decoders of the plug-in: libFLAC (native and Ogg FLAC), vorbisfile, opusfile and our
// own WAV reader, each reading a file opened through the wide file API (names in any
// script) through the library's callback interface, each producing 16-bit stereo for the
// output thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plugins/mpeg/id3.h"
#include "plugins/openaudio/stream_tags.h"
#include "plugins/output/pcm_decoder.h"

namespace velmora::openaudio {

struct StreamFacts {
  std::string codec;  // "FLAC", "Vorbis", "Opus", "PCM"
  int sample_rate = 0;
  int channels = 0;
  int bits = 0;  // of lossless samples; 0 for Vorbis and Opus
  int64_t length_samples = 0;
  int64_t file_bytes = 0;
  int header_gain_q8 = 0;             // Opus's output gain (already applied by the decoder)
  std::vector<std::string> comments;  // "NAME=value", UTF-8
  mpeg::TagFields fields;
  StoredGains gains;
  int32_t LengthMs() const {
    return sample_rate > 0 ? static_cast<int32_t>(length_samples * 1000 / sample_rate) : 0;
  }
  int AverageKbps() const {
    const int32_t ms = LengthMs();
    return ms > 0 ? static_cast<int>(file_bytes * 8 / ms) : 0;
  }
};

class AudioDecoder : public output::PcmDecoder {
 public:
  const StreamFacts& Facts() const { return facts_; }
  // Multiplies every sample from now on (the stored loudness correction).
  void SetGain(double factor) { gain_ = factor; }

  int SampleRate() const override { return facts_.sample_rate; }
  Status Read(uint8_t* out, size_t capacity, size_t* got) final;

 protected:
  // Fills up to `frames` stereo frames; returns how many (0 at the end), -1 on failure.
  virtual int64_t Decode(int16_t* out, size_t frames) = 0;
  StreamFacts facts_;

 private:
  double gain_ = 1.0;
};

// Opens the file at `path` (8-bit, system code page) and reads its facts and tags; the
// kind of file is told by its content, not its name. Null with `*error` saying why
// when it is none of the formats played, damaged, or cannot be opened.
std::unique_ptr<AudioDecoder> OpenAudioFile(const std::string& path, std::string* error);

}  // namespace velmora::openaudio
