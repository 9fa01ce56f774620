// Portable pieces of MPEG audio handling that need no decoder: frame headers (to tell
// MPEG audio from anything else before the decoder sees it), the short display texts,
// and the metadata that Icecast/SHOUTcast servers interleave with the audio.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace velmora::mpeg {

struct FrameHeader {
  int version_id = 0;  // 3 = MPEG 1, 2 = MPEG 2, 0 = MPEG 2.5
  int layer = 0;       // 1, 2 or 3
  int bitrate_kbps = 0;
  int sample_rate = 0;
  int channels = 0;
  int samples = 0;  // per frame
  size_t frame_bytes = 0;
};

// Parses the 4 header bytes; false for anything that is not a valid header (including
// the free-format bit rate, whose frame length cannot be known from the header).
bool ParseFrameHeader(const uint8_t* p, FrameHeader* out);

// Looks in `data` for MPEG audio: a header followed by at least `needed` frames in a row
// with the same version, layer and sample rate, each where its predecessor says it ends,
// or by fewer frames when the last of them ends exactly at the end of `data` and
// `data_is_whole` says nothing follows. Returns the offset of the first frame, or -1.
// Random bytes, text, pictures and PCM wave files almost never pass this.
int64_t FindAudioStart(const uint8_t* data, size_t n, bool data_is_whole, int needed = 3,
                       FrameHeader* first = nullptr);

// The header an encoder writes into the first frame of a file to give its length: Xing
// (VBR), Info (the same for CBR) or VBRI. `frames` is 0 when the header does not say.
struct LengthHeader {
  enum class Kind { xing, info, vbri } kind = Kind::xing;
  uint32_t frames = 0;
  FrameHeader frame;  // of the frame that carries it
  size_t offset = 0;  // of that frame in the data searched
};

// Looks in `data` for the first frame that carries a length header.
bool FindLengthHeader(const uint8_t* data, size_t n, LengthHeader* out);

// A RIFF WAVE file whose samples are PCM: no MPEG audio in it, whatever its bytes happen
// to look like (a periodic tone can hold chains of valid-looking frame headers).
bool IsPcmWave(const uint8_t* data, size_t n);

// "44 kHz", "128 kbps", "Layer 3".
std::string FrequencyText(int sample_rate);
std::string BitrateText(int kbps);
std::string LayerText(int layer);

// Average bit rate in kbps of `audio_bytes` playing for `length_ms`; 0 when unknown.
int AverageKbps(uint64_t audio_bytes, int64_t length_ms);

// Response headers of an HTTP (or "ICY 200 OK") reply, names in lower case.
std::map<std::string, std::string> ParseHttpHeaders(const std::string& raw);

// The StreamTitle of an icy metadata block ("StreamTitle='Artist - Title';StreamUrl='';");
// false when the block carries none.
bool ParseStreamTitle(const std::string& block, std::string* title);

// Splits an Icecast/SHOUTcast byte stream into audio and metadata. Every `metaint` audio
// bytes come one length byte (times 16) and that many metadata bytes.
class IcyDemuxer {
 public:
  // metaint 0 means the server sends no metadata: everything is audio.
  explicit IcyDemuxer(uint32_t metaint) : metaint_(metaint), left_(metaint) {}

  // Appends the audio part of `n` bytes to `audio`; every complete metadata block with a
  // title calls `on_title`.
  void Feed(const uint8_t* p, size_t n, std::string* audio,
            const std::function<void(const std::string&)>& on_title);

 private:
  uint32_t metaint_;
  uint32_t left_;         // audio bytes until the next length byte
  size_t meta_left_ = 0;  // metadata bytes still to come
  bool in_meta_ = false;
  std::string meta_;
};

// The largest metadata interval accepted from a server; a bigger one is treated as none.
constexpr uint32_t kMaxMetaint = 1u << 20;

}  // namespace velmora::mpeg
