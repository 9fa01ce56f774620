#include "plugins/mpeg/mpeg_stream.h"

#include <algorithm>
#include <cctype>

namespace velmora::mpeg {

namespace {

// Kilobits per second by [MPEG 1 / 2+2.5][layer - 1][index].
const int kBitrates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
const int kRates[3] = {44100, 48000, 32000};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

}  // namespace

bool ParseFrameHeader(const uint8_t* p, FrameHeader* out) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  int version_id = (p[1] >> 3) & 3;
  int layer_bits = (p[1] >> 1) & 3;
  int bitrate_index = p[2] >> 4;
  int rate_index = (p[2] >> 2) & 3;
  int padding = (p[2] >> 1) & 1;
  if (version_id == 1 || layer_bits == 0 || bitrate_index == 0 || bitrate_index == 15 ||
      rate_index == 3) {
    return false;
  }
  if ((p[3] & 3) == 2) return false;  // reserved emphasis
  FrameHeader h;
  h.version_id = version_id;
  h.layer = 4 - layer_bits;
  bool mpeg1 = version_id == 3;
  h.bitrate_kbps = kBitrates[mpeg1 ? 0 : 1][h.layer - 1][bitrate_index];
  h.sample_rate = kRates[rate_index] >> (mpeg1 ? 0 : version_id == 2 ? 1 : 2);
  h.channels = (p[3] >> 6) == 3 ? 1 : 2;
  if (h.layer == 1) {
    h.samples = 384;
    h.frame_bytes = static_cast<size_t>((12 * h.bitrate_kbps * 1000 / h.sample_rate + padding) * 4);
  } else if (h.layer == 2 || mpeg1) {
    h.samples = 1152;
    h.frame_bytes = static_cast<size_t>(144 * h.bitrate_kbps * 1000 / h.sample_rate + padding);
  } else {
    h.samples = 576;
    h.frame_bytes = static_cast<size_t>(72 * h.bitrate_kbps * 1000 / h.sample_rate + padding);
  }
  if (h.frame_bytes < 4) return false;
  *out = h;
  return true;
}

int64_t FindAudioStart(const uint8_t* data, size_t n, bool data_is_whole, int needed,
                       FrameHeader* first) {
  for (size_t start = 0; start + 4 <= n; ++start) {
    FrameHeader h0;
    if (data[start] != 0xFF || !ParseFrameHeader(data + start, &h0)) continue;
    size_t pos = start;
    int frames = 0;
    bool ok = true;
    while (frames < needed) {
      FrameHeader h;
      if (pos + 4 > n || !ParseFrameHeader(data + pos, &h) || h.version_id != h0.version_id ||
          h.layer != h0.layer || h.sample_rate != h0.sample_rate) {
        ok = false;
        break;
      }
      pos += h.frame_bytes;
      ++frames;
      if (pos == n && data_is_whole) break;  // a short file: its last frame ends the data
      if (pos > n) {
        ok = false;
        break;
      }
    }
    if (ok) {
      if (first) *first = h0;
      return static_cast<int64_t>(start);
    }
  }
  return -1;
}

namespace {

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool LengthHeaderAt(const uint8_t* frame, size_t avail, const FrameHeader& h, LengthHeader* out) {
  // Xing and Info follow the side information (after the CRC when there is one).
  bool mono = h.channels == 1;
  size_t side = h.version_id == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  bool crc = (frame[1] & 1) == 0;
  size_t at = 4 + (crc ? 2 : 0) + side;
  if (h.layer == 3 && at + 8 <= avail) {
    const uint8_t* tag = frame + at;
    bool xing = std::equal(tag, tag + 4, "Xing");
    if (xing || std::equal(tag, tag + 4, "Info")) {
      out->kind = xing ? LengthHeader::Kind::xing : LengthHeader::Kind::info;
      uint32_t flags = BigEndian32(tag + 4);
      out->frames = (flags & 1) && at + 12 <= avail ? BigEndian32(tag + 8) : 0;
      return true;
    }
  }
  // VBRI sits 32 bytes after the header: tag, version, delay, quality, bytes, frames.
  if (h.layer == 3 && 36 + 18 <= avail && std::equal(frame + 36, frame + 40, "VBRI")) {
    out->kind = LengthHeader::Kind::vbri;
    out->frames = BigEndian32(frame + 36 + 14);
    return true;
  }
  return false;
}

}  // namespace

bool FindLengthHeader(const uint8_t* data, size_t n, LengthHeader* out) {
  for (size_t at = 0; at + 4 <= n; ++at) {
    FrameHeader h;
    if (data[at] != 0xFF || !ParseFrameHeader(data + at, &h)) continue;
    size_t avail = std::min(h.frame_bytes, n - at);
    LengthHeader found;
    if (LengthHeaderAt(data + at, avail, h, &found)) {
      found.frame = h;
      found.offset = at;
      *out = found;
      return true;
    }
  }
  return false;
}

bool IsPcmWave(const uint8_t* data, size_t n) {
  if (n < 12 || !std::equal(data, data + 4, "RIFF") || !std::equal(data + 8, data + 12, "WAVE")) {
    return false;
  }
  for (size_t at = 12; at + 10 <= n;) {
    uint32_t size = uint32_t{data[at + 4]} | (uint32_t{data[at + 5]} << 8) |
                    (uint32_t{data[at + 6]} << 16) | (uint32_t{data[at + 7]} << 24);
    if (std::equal(data + at, data + at + 4, "fmt ")) {
      int tag = data[at + 8] | (data[at + 9] << 8);
      return tag == 1 || tag == 3 || tag == 0xFFFE;  // PCM, float, extensible
    }
    if (size > n) return false;
    at += 8 + size + (size & 1);
  }
  return false;
}

std::string FrequencyText(int sample_rate) { return std::to_string(sample_rate / 1000) + " kHz"; }

std::string BitrateText(int kbps) { return std::to_string(kbps) + " kbps"; }

std::string LayerText(int layer) { return "Layer " + std::to_string(layer); }

int AverageKbps(uint64_t audio_bytes, int64_t length_ms) {
  if (length_ms <= 0) return 0;
  return static_cast<int>((audio_bytes * 8 + static_cast<uint64_t>(length_ms) / 2) /
                          static_cast<uint64_t>(length_ms));
}

std::map<std::string, std::string> ParseHttpHeaders(const std::string& raw) {
  std::map<std::string, std::string> headers;
  size_t pos = 0;
  bool first = true;
  while (pos < raw.size()) {
    size_t end = raw.find('\n', pos);
    if (end == std::string::npos) end = raw.size();
    std::string line = raw.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first) {
      first = false;
      if (line.find(':') == std::string::npos || line.compare(0, 4, "ICY ") == 0 ||
          line.compare(0, 5, "HTTP/") == 0) {
        continue;  // the status line
      }
    }
    if (line.empty()) break;
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = Lower(Trim(line.substr(0, colon)));
    if (!headers.count(name)) headers[name] = Trim(line.substr(colon + 1));
  }
  return headers;
}

bool ParseStreamTitle(const std::string& block, std::string* title) {
  static const std::string kKey = "StreamTitle='";
  size_t b = block.find(kKey);
  if (b == std::string::npos) return false;
  b += kKey.size();
  // The value ends at "';"; a title may itself contain a quote.
  size_t e = block.find("';", b);
  if (e == std::string::npos) {
    e = block.find('\'', b);
    if (e == std::string::npos) e = block.find('\0', b);
    if (e == std::string::npos) e = block.size();
  }
  *title = block.substr(b, e - b);
  return true;
}

void IcyDemuxer::Feed(const uint8_t* p, size_t n, std::string* audio,
                      const std::function<void(const std::string&)>& on_title) {
  if (metaint_ == 0) {
    audio->append(reinterpret_cast<const char*>(p), n);
    return;
  }
  size_t i = 0;
  while (i < n) {
    if (in_meta_) {
      size_t take = std::min(meta_left_, n - i);
      meta_.append(reinterpret_cast<const char*>(p + i), take);
      i += take;
      meta_left_ -= take;
      if (meta_left_ == 0) {
        in_meta_ = false;
        left_ = metaint_;
        std::string title;
        if (ParseStreamTitle(meta_, &title) && on_title) on_title(title);
        meta_.clear();
      }
    } else if (left_ == 0) {
      meta_left_ = static_cast<size_t>(p[i++]) * 16;
      if (meta_left_ == 0) {
        left_ = metaint_;
      } else {
        in_meta_ = true;
      }
    } else {
      size_t take = std::min<size_t>(left_, n - i);
      audio->append(reinterpret_cast<const char*>(p + i), take);
      i += take;
      left_ -= static_cast<uint32_t>(take);
    }
  }
}

}  // namespace velmora::mpeg
