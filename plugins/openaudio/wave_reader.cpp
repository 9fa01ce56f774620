#include "plugins/openaudio/wave_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace velmora::openaudio {

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// A LIST chunk's text larger than this is skipped (a title needs far less).
constexpr uint32_t kMaxInfoBytes = 64 * 1024;

// The text of an INFO item: up to its first NUL, without trailing spaces.
std::string InfoText(const uint8_t* p, size_t n) {
  size_t len = 0;
  while (len < n && p[len] != 0) ++len;
  while (len > 0 && p[len - 1] == ' ') --len;
  return mpeg::Latin1ToUtf8(p, len);
}

void ReadInfo(const uint8_t* p, size_t n, mpeg::TagFields* info) {
  if (n < 4 || std::memcmp(p, "INFO", 4) != 0) return;
  size_t at = 4;
  while (at + 8 <= n) {
    const uint8_t* id = p + at;
    const size_t size = U32(p + at + 4);
    at += 8;
    if (size > n - at) break;
    std::string text = InfoText(p + at, size);
    if (std::memcmp(id, "INAM", 4) == 0)
      info->title = text;
    else if (std::memcmp(id, "IART", 4) == 0)
      info->artist = text;
    else if (std::memcmp(id, "IPRD", 4) == 0)
      info->album = text;
    else if (std::memcmp(id, "ICRD", 4) == 0)
      info->year = text;
    else if (std::memcmp(id, "IPRT", 4) == 0 || std::memcmp(id, "ITRK", 4) == 0)
      info->track = text;
    else if (std::memcmp(id, "IGNR", 4) == 0)
      info->genre = text;
    else if (std::memcmp(id, "ICMT", 4) == 0)
      info->comment = text;
    at += size + (size & 1);
  }
}

bool Refuse(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

}  // namespace

bool LooksLikeWave(const uint8_t* data, size_t size) {
  return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0;
}

bool ReadWaveFormat(const mpeg::RandomAccess& file, WaveFormat* format, std::string* error) {
  *format = WaveFormat{};
  const int64_t size = file.Size();
  uint8_t head[12];
  if (size < 12 || file.ReadAt(0, head, 12) != 12 || !LooksLikeWave(head, 12))
    return Refuse(error, "Not a WAV file");
  bool have_format = false, have_data = false;
  uint16_t tag = 0;
  int64_t data_bytes = 0;
  int64_t at = 12;
  // The RIFF size is not trusted either: the chunks run to the end of the file.
  while (at + 8 <= size) {
    uint8_t chunk[8];
    if (file.ReadAt(at, chunk, 8) != 8) break;
    const uint32_t chunk_size = U32(chunk + 4);
    const int64_t body = at + 8;
    const int64_t available = size - body;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && !have_format) {
      if (chunk_size < 16 || available < 16) return Refuse(error, "Damaged WAV format chunk");
      uint8_t f[40] = {};
      const size_t want = static_cast<size_t>(std::min<int64_t>({chunk_size, available, 40}));
      if (file.ReadAt(body, f, want) != want) return Refuse(error, "Damaged WAV format chunk");
      tag = U16(f);
      format->channels = U16(f + 2);
      format->sample_rate = static_cast<int>(U32(f + 4));
      format->block_align = U16(f + 12);
      format->bits = U16(f + 14);
      if (tag == kFormatExtensible) {
        if (want < 40) return Refuse(error, "Damaged WAV format chunk");
        tag = U16(f + 24);  // the sub-format GUID starts with the format tag
      }
      have_format = true;
    } else if (std::memcmp(chunk, "data", 4) == 0 && !have_data) {
      format->data_begin = body;
      // A size of 0 or beyond the file (a recording cut short, or written as a stream):
      // the samples run to the end of the file.
      data_bytes = chunk_size == 0 || chunk_size > available ? available : chunk_size;
      have_data = true;
      if (have_format) break;
    } else if (std::memcmp(chunk, "LIST", 4) == 0 && chunk_size >= 4 &&
               chunk_size <= kMaxInfoBytes && chunk_size <= available) {
      std::vector<uint8_t> list(chunk_size);
      if (file.ReadAt(body, list.data(), list.size()) == list.size())
        ReadInfo(list.data(), list.size(), &format->info);
    }
    if (chunk_size > available) break;  // nothing can follow a chunk that overruns the file
    at = body + chunk_size + (chunk_size & 1);
  }
  if (!have_format) return Refuse(error, "WAV file without a format chunk");
  if (!have_data) return Refuse(error, "WAV file without samples");
  if (tag != kFormatPcm && tag != kFormatFloat)
    return Refuse(error, "Unsupported WAV encoding (format " + std::to_string(tag) + ")");
  if (format->channels < 1 || format->channels > 2)
    return Refuse(error,
                  "Unsupported WAV channel count (" + std::to_string(format->channels) + ")");
  if (format->sample_rate < 1000 || format->sample_rate > 384000)
    return Refuse(error,
                  "Unsupported WAV sample rate (" + std::to_string(format->sample_rate) + ")");
  const bool pcm_ok = tag == kFormatPcm && (format->bits == 8 || format->bits == 16 ||
                                            format->bits == 24 || format->bits == 32);
  const bool float_ok = tag == kFormatFloat && format->bits == 32;
  if (!pcm_ok && !float_ok)
    return Refuse(error, "Unsupported WAV sample size (" + std::to_string(format->bits) + " bits" +
                             (tag == kFormatFloat ? " float)" : ")"));
  format->is_float = tag == kFormatFloat;
  // The frame size follows from the samples, whatever the header says.
  format->block_align = format->channels * format->bits / 8;
  format->frames = data_bytes / format->block_align;
  return true;
}

void WaveToStereo16(const WaveFormat& format, const uint8_t* in, size_t frames, int16_t* out) {
  const int bytes = format.bits / 8;
  for (size_t i = 0; i < frames; ++i) {
    int16_t values[2] = {0, 0};
    for (int c = 0; c < format.channels; ++c) {
      const uint8_t* p = in + (i * format.channels + c) * bytes;
      int32_t v = 0;
      if (format.is_float) {
        float f;
        std::memcpy(&f, p, 4);
        if (!(f == f)) f = 0;  // NaN
        f = std::max(-1.0f, std::min(1.0f, f));
        v = static_cast<int32_t>(std::lround(f * 32767.0f));
      } else if (bytes == 1) {
        v = (static_cast<int32_t>(p[0]) - 128) * 256;
      } else {
        // The top 16 bits of a little-endian sample.
        v = static_cast<int16_t>(U16(p + bytes - 2));
      }
      values[c] = static_cast<int16_t>(v);
    }
    out[2 * i] = values[0];
    out[2 * i + 1] = format.channels == 1 ? values[0] : values[1];
  }
}

}  // namespace velmora::openaudio
