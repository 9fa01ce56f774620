// Fuzz target for the WAV reader and the Vorbis comment rules: the bytes are a WAV file
// (its INFO tags included) and, split at NULs, a list of comments. Nothing may crash or
// read out of bounds, and a file read must convert as many frames as it claims to hold
// within the bytes given.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "plugins/openaudio/stream_tags.h"
#include "plugins/openaudio/wave_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace velmora;
  mpeg::MemoryAccess file(std::vector<uint8_t>(data, data + size));
  openaudio::WaveFormat format;
  std::string error;
  if (openaudio::ReadWaveFormat(file, &format, &error)) {
    const int64_t bytes = format.frames * format.block_align;
    if (format.data_begin < 0 || format.data_begin + bytes > static_cast<int64_t>(size))
      std::abort();
    const size_t frames = static_cast<size_t>(std::min<int64_t>(format.frames, 4096));
    std::vector<int16_t> out(frames * 2);
    openaudio::WaveToStereo16(format, data + format.data_begin, frames, out.data());
  }
  std::vector<std::string> comments;
  std::string current;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      comments.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  comments.push_back(current);
  (void)openaudio::FieldsFromComments(comments);
  const openaudio::StoredGains gains = openaudio::GainsFromComments(comments);
  for (auto mode : {openaudio::GainMode::track, openaudio::GainMode::album}) {
    const double factor = openaudio::GainFactor(gains, mode);
    if (!(factor > 0) || factor > 40) std::abort();
  }
  return 0;
}
