// The MPEG plug-in's portable stream helpers: telling MPEG audio from other bytes, the
// display texts, HTTP/icy headers and the metadata interleaved in a stream.
#include "plugins/mpeg/mpeg_stream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace velmora::mpeg {
namespace {

// A frame of MPEG 1 layer 3, 128 kbps, 44.1 kHz, no padding: 417 bytes.
std::vector<uint8_t> Frame() {
  std::vector<uint8_t> f(417, 0);
  f[0] = 0xFF;
  f[1] = 0xFB;
  f[2] = 0x90;
  f[3] = 0x64;
  return f;
}

std::vector<uint8_t> Frames(int n) {
  std::vector<uint8_t> out;
  for (int i = 0; i < n; ++i) {
    auto f = Frame();
    out.insert(out.end(), f.begin(), f.end());
  }
  return out;
}

TEST(MpegFrames, HeadersOfEachLayerAndVersion) {
  FrameHeader h;
  const uint8_t l3[] = {0xFF, 0xFB, 0x90, 0x64};
  ASSERT_TRUE(ParseFrameHeader(l3, &h));
  EXPECT_EQ(h.layer, 3);
  EXPECT_EQ(h.bitrate_kbps, 128);
  EXPECT_EQ(h.sample_rate, 44100);
  EXPECT_EQ(h.frame_bytes, 417u);
  const uint8_t l2[] = {0xFF, 0xFD, 0xA4, 0x00};  // MPEG 1 layer 2, 192 kbps, 48 kHz
  ASSERT_TRUE(ParseFrameHeader(l2, &h));
  EXPECT_EQ(h.layer, 2);
  EXPECT_EQ(h.bitrate_kbps, 192);
  EXPECT_EQ(h.sample_rate, 48000);
  EXPECT_EQ(h.frame_bytes, 576u);
  const uint8_t mpeg2[] = {0xFF, 0xF3, 0x80, 0xC0};  // MPEG 2 layer 3, 64 kbps, 22.05 kHz, mono
  ASSERT_TRUE(ParseFrameHeader(mpeg2, &h));
  EXPECT_EQ(h.sample_rate, 22050);
  EXPECT_EQ(h.channels, 1);
  EXPECT_EQ(h.samples, 576);
  const uint8_t l1[] = {0xFF, 0xFF, 0x10, 0x00};  // layer 1, 32 kbps, 44.1 kHz
  ASSERT_TRUE(ParseFrameHeader(l1, &h));
  EXPECT_EQ(h.layer, 1);
  EXPECT_EQ(h.frame_bytes, 32u);  // (12 * 32000 / 44100) * 4
  const uint8_t bad[][4] = {{0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFB, 0x00, 0x00},
                            {0xFF, 0xFB, 0x9C, 0x00}, {0xFF, 0xEB, 0x90, 0x00},
                            {0xFF, 0xF9, 0x90, 0x00}, {0x00, 0xFB, 0x90, 0x00}};
  for (const auto& b : bad) EXPECT_FALSE(ParseFrameHeader(b, &h));
}

TEST(MpegFrames, AudioIsFoundAfterJunkAndRandomBytesAreRejected) {
  std::vector<uint8_t> data(123, 0x20);
  auto frames = Frames(5);
  data.insert(data.end(), frames.begin(), frames.end());
  FrameHeader first;
  EXPECT_EQ(FindAudioStart(data.data(), data.size(), true, 3, &first), 123);
  EXPECT_EQ(first.layer, 3);
  // Two frames that make up the whole file still count; cut short, they do not.
  auto two = Frames(2);
  EXPECT_EQ(FindAudioStart(two.data(), two.size(), true), 0);
  EXPECT_EQ(FindAudioStart(two.data(), two.size() - 1, true), -1);
  EXPECT_EQ(FindAudioStart(two.data(), two.size(), false), -1);
  std::vector<uint8_t> ff(20000, 0xFF);
  EXPECT_EQ(FindAudioStart(ff.data(), ff.size(), true), -1);
  std::mt19937 rng(7);
  std::vector<uint8_t> noise(64 * 1024);
  for (auto& b : noise) b = static_cast<uint8_t>(rng());
  EXPECT_EQ(FindAudioStart(noise.data(), noise.size(), true), -1);
  EXPECT_EQ(FindAudioStart(noise.data(), 0, true), -1);
  EXPECT_EQ(FindAudioStart(noise.data(), 3, true), -1);
}

// Frame() with `tag` at `at` and a frame count of 12345 after its four flag bytes.
std::vector<uint8_t> TaggedFrame(const char* tag, size_t at, uint32_t flags) {
  auto f = Frame();
  std::copy(tag, tag + 4, f.begin() + at);
  f[at + 7] = static_cast<uint8_t>(flags);
  const uint8_t frames[4] = {0x00, 0x00, 0x30, 0x39};
  std::copy(frames, frames + 4, f.begin() + at + (std::string(tag) == "VBRI" ? 14 : 8));
  return f;
}

TEST(MpegFrames, LengthHeadersOfTheFirstFrame) {
  struct Case {
    const char* tag;
    size_t at;
    uint32_t flags;
    LengthHeader::Kind kind;
    uint32_t frames;
  };
  const Case cases[] = {
      {"Xing", 36, 1, LengthHeader::Kind::xing, 12345},  // after the stereo side information
      {"Info", 36, 15, LengthHeader::Kind::info, 12345},
      {"Xing", 36, 2, LengthHeader::Kind::xing, 0},  // no frame count
      {"VBRI", 36, 0, LengthHeader::Kind::vbri, 12345},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    std::vector<uint8_t> data(300, 0x20);  // junk before the first frame
    auto f = TaggedFrame(c.tag, c.at, c.flags);
    data.insert(data.end(), f.begin(), f.end());
    LengthHeader h;
    ASSERT_TRUE(FindLengthHeader(data.data(), data.size(), &h));
    EXPECT_EQ(h.kind, c.kind);
    EXPECT_EQ(h.frames, c.frames);
    EXPECT_EQ(h.offset, 300u);
    EXPECT_EQ(h.frame.samples, 1152);
  }
  // In the wrong place, or no tag at all, or cut short: none.
  auto misplaced = TaggedFrame("Xing", 21, 1);
  auto plain = Frames(3);
  LengthHeader h;
  EXPECT_FALSE(FindLengthHeader(misplaced.data(), misplaced.size(), &h));
  EXPECT_FALSE(FindLengthHeader(plain.data(), plain.size(), &h));
  auto xing = TaggedFrame("Xing", 36, 1);
  EXPECT_FALSE(FindLengthHeader(xing.data(), 40, &h));
}

TEST(MpegFrames, PcmWaveFilesAreToldApartFromMpegInWave) {
  auto wave = [](uint8_t tag) {
    std::vector<uint8_t> w = {'R', 'I', 'F', 'F', 0,   0, 0, 0, 'W', 'A', 'V',
                              'E', 'L', 'I', 'S', 'T', 2, 0, 0, 0,   'x', 'y',
                              'f', 'm', 't', ' ', 16,  0, 0, 0, tag, 0};
    w.resize(w.size() + 14, 0);
    return w;
  };
  EXPECT_TRUE(IsPcmWave(wave(1).data(), wave(1).size()));
  EXPECT_FALSE(IsPcmWave(wave(0x55).data(), wave(0x55).size()));  // MPEG layer 3 in a wave
  auto frames = Frames(3);
  EXPECT_FALSE(IsPcmWave(frames.data(), frames.size()));
}

TEST(MpegTexts, ShortDisplayTexts) {
  EXPECT_EQ(FrequencyText(44100), "44 kHz");
  EXPECT_EQ(FrequencyText(22050), "22 kHz");
  EXPECT_EQ(BitrateText(128), "128 kbps");
  EXPECT_EQ(LayerText(2), "Layer 2");
  EXPECT_EQ(AverageKbps(160000, 10000), 128);
  EXPECT_EQ(AverageKbps(1000, 0), 0);
}

TEST(IcyHeaders, HttpAndIcyStatusLinesAndCaseInsensitiveNames) {
  auto h = ParseHttpHeaders(
      "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: My Radio \r\n"
      "ICY-METAINT:8192\r\n\r\nbody: no");
  EXPECT_EQ(h["content-type"], "audio/mpeg");
  EXPECT_EQ(h["icy-name"], "My Radio");
  EXPECT_EQ(h["icy-metaint"], "8192");
  EXPECT_EQ(h.count("body"), 0u);
  auto icy = ParseHttpHeaders("ICY 200 OK\nicy-name:Old Style\n");
  EXPECT_EQ(icy["icy-name"], "Old Style");
  EXPECT_TRUE(ParseHttpHeaders("").empty());
}

TEST(IcyMetadata, StreamTitleValues) {
  std::string t;
  EXPECT_TRUE(ParseStreamTitle("StreamTitle='A - B';StreamUrl='x';", &t));
  EXPECT_EQ(t, "A - B");
  EXPECT_TRUE(ParseStreamTitle("StreamTitle='It's me';", &t));
  EXPECT_EQ(t, "It's me");
  EXPECT_TRUE(ParseStreamTitle(std::string("StreamTitle='unterminated\0\0", 27), &t));
  EXPECT_EQ(t, "unterminated");
  EXPECT_FALSE(ParseStreamTitle("StreamUrl='x';", &t));
}

TEST(IcyMetadata, DemuxerSeparatesAudioAndTitlesWhateverTheChunking) {
  // Two audio blocks of 10 bytes, each followed by metadata (the second one empty).
  std::string meta = "StreamTitle='Song';";
  meta.resize(32, '\0');
  std::string stream =
      std::string(10, 'a') + char(2) + meta + std::string(10, 'b') + char(0) + std::string(4, 'c');
  for (size_t chunk : {1u, 3u, 7u, 100u}) {
    SCOPED_TRACE(chunk);
    IcyDemuxer d(10);
    std::string audio;
    std::vector<std::string> titles;
    for (size_t i = 0; i < stream.size(); i += chunk) {
      size_t n = std::min(chunk, stream.size() - i);
      d.Feed(reinterpret_cast<const uint8_t*>(stream.data() + i), n, &audio,
             [&](const std::string& t) { titles.push_back(t); });
    }
    EXPECT_EQ(audio, std::string(10, 'a') + std::string(10, 'b') + std::string(4, 'c'));
    EXPECT_EQ(titles, std::vector<std::string>{"Song"});
  }
  IcyDemuxer none(0);
  std::string audio;
  none.Feed(reinterpret_cast<const uint8_t*>("xyz"), 3, &audio, nullptr);
  EXPECT_EQ(audio, "xyz");
}

}  // namespace
}  // namespace velmora::mpeg
