// The WAV reader of the FLAC/Ogg/Opus/WAV plug-in: the formats it plays and their
// conversion, what it refuses and why, chunk sizes that lie; and the tag and loudness
// rules of Vorbis comments.
#include "plugins/openaudio/wave_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "plugins/openaudio/stream_tags.h"

namespace velmora::openaudio {
namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes* b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b->push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(Bytes* b, uint16_t v) {
  b->push_back(static_cast<uint8_t>(v));
  b->push_back(static_cast<uint8_t>(v >> 8));
}
void Chunk(Bytes* b, const char* id, const Bytes& body, uint32_t stated) {
  b->insert(b->end(), id, id + 4);
  Put32(b, stated);
  b->insert(b->end(), body.begin(), body.end());
  if (body.size() & 1) b->push_back(0);
}

Bytes Fmt(uint16_t tag, int channels, int rate, int bits) {
  Bytes f;
  Put16(&f, tag);
  Put16(&f, static_cast<uint16_t>(channels));
  Put32(&f, static_cast<uint32_t>(rate));
  Put32(&f, static_cast<uint32_t>(rate * channels * bits / 8));
  Put16(&f, static_cast<uint16_t>(channels * bits / 8));
  Put16(&f, static_cast<uint16_t>(bits));
  return f;
}

// A WAV file; `data_stated` is the size the data chunk claims (the real size when 0xFFFF).
Bytes Wave(const Bytes& fmt, const Bytes& data, uint32_t data_stated = 0xFFFF,
           const Bytes& info = {}) {
  Bytes body;
  Chunk(&body, "fmt ", fmt, static_cast<uint32_t>(fmt.size()));
  if (!info.empty()) Chunk(&body, "LIST", info, static_cast<uint32_t>(info.size()));
  Chunk(&body, "data", data,
        data_stated == 0xFFFF ? static_cast<uint32_t>(data.size()) : data_stated);
  Bytes file = {'R', 'I', 'F', 'F'};
  Put32(&file, static_cast<uint32_t>(body.size() + 4));
  file.insert(file.end(), {'W', 'A', 'V', 'E'});
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

bool Read(const Bytes& file, WaveFormat* format, std::string* error) {
  return ReadWaveFormat(mpeg::MemoryAccess(file), format, error);
}

TEST(WaveReader, EachSampleKindBecomesSixteenBitStereo) {
  std::string error;
  WaveFormat f;
  // One frame at half scale negative, in each format; mono copies to both channels.
  struct Case {
    uint16_t tag;
    int bits;
    Bytes sample;
  } cases[] = {{1, 8, {0x40}},
               {1, 16, {0x00, 0xC0}},
               {1, 24, {0x00, 0x00, 0xC0}},
               {1, 32, {0x00, 0x00, 0x00, 0xC0}},
               {3, 32, {0x00, 0x00, 0x00, 0xBF}}};  // -0.5f
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    ASSERT_TRUE(Read(Wave(Fmt(c.tag, 1, 44100, c.bits), c.sample), &f, &error)) << error;
    EXPECT_EQ(f.frames, 1);
    EXPECT_EQ(f.sample_rate, 44100);
    int16_t out[2];
    WaveToStereo16(f, c.sample.data(), 1, out);
    EXPECT_NEAR(out[0], -16384, 1);
    EXPECT_EQ(out[0], out[1]);
  }
  // Stereo keeps its channels apart; float beyond full scale is clipped.
  Bytes stereo;
  Put32(&stereo, 0x3F800000);  // 1.0
  Put32(&stereo, 0xC0000000);  // -2.0
  ASSERT_TRUE(Read(Wave(Fmt(3, 2, 48000, 32), stereo), &f, &error));
  int16_t out[2];
  WaveToStereo16(f, stereo.data(), 1, out);
  EXPECT_EQ(out[0], 32767);
  EXPECT_EQ(out[1], -32767);
}

TEST(WaveReader, RefusesWhatItDoesNotPlayWithAReason) {
  std::string error;
  WaveFormat f;
  const Bytes two = {0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(Read(Wave(Fmt(2, 2, 44100, 4), two), &f, &error));  // ADPCM
  EXPECT_NE(error.find("encoding"), std::string::npos) << error;
  EXPECT_FALSE(Read(Wave(Fmt(1, 6, 44100, 16), two), &f, &error));
  EXPECT_NE(error.find("channel"), std::string::npos) << error;
  EXPECT_FALSE(Read(Wave(Fmt(1, 2, 44100, 12), two), &f, &error));
  EXPECT_NE(error.find("12 bits"), std::string::npos) << error;
  EXPECT_FALSE(Read(Wave(Fmt(3, 2, 44100, 64), two), &f, &error));  // double
  EXPECT_FALSE(Read(Bytes{'R', 'I', 'F', 'F'}, &f, &error));
  Bytes no_data = Wave(Fmt(1, 2, 44100, 16), {});
  no_data.resize(12 + 8 + 16);  // the format chunk only
  EXPECT_FALSE(Read(no_data, &f, &error));
  EXPECT_EQ(error, "WAV file without samples");
}

TEST(WaveReader, ChunkSizesThatLieEndAtTheEndOfTheFile) {
  std::string error;
  WaveFormat f;
  const Bytes data(400, 0);  // 100 stereo 16-bit frames
  // Claims 4 GB, claims 0 (written as a stream), ends in half a frame.
  ASSERT_TRUE(Read(Wave(Fmt(1, 2, 44100, 16), data, 0xFFFFFFF0u), &f, &error)) << error;
  EXPECT_EQ(f.frames, 100);
  ASSERT_TRUE(Read(Wave(Fmt(1, 2, 44100, 16), data, 0), &f, &error)) << error;
  EXPECT_EQ(f.frames, 100);
  ASSERT_TRUE(Read(Wave(Fmt(1, 2, 44100, 16), Bytes(403, 0)), &f, &error));
  EXPECT_EQ(f.frames, 100);
  // An unknown chunk claiming more than the file holds ends the search before the data.
  Bytes lying = Wave(Fmt(1, 2, 44100, 16), data);
  Bytes junk = {'j', 'u', 'n', 'k', 0xF0, 0xFF, 0xFF, 0x7F};
  lying.insert(lying.begin() + 12, junk.begin(), junk.end());
  EXPECT_FALSE(Read(lying, &f, &error));
}

TEST(WaveReader, InfoTagsGiveTheTitle) {
  Bytes info = {'I', 'N', 'F', 'O'};
  Chunk(&info, "INAM", {'T', 'o', 'n', 'e', 0}, 5);
  Chunk(&info, "IART", {'M', 'e', 0, 0}, 4);
  std::string error;
  WaveFormat f;
  ASSERT_TRUE(Read(Wave(Fmt(1, 1, 8000, 16), {0, 0}, 0xFFFF, info), &f, &error)) << error;
  EXPECT_EQ(f.info.title, "Tone");
  EXPECT_EQ(f.info.artist, "Me");
}

TEST(StreamTags, FieldsAndGainsFromComments) {
  const std::vector<std::string> c = {"title=First",
                                      "TITLE=Second",
                                      "Artist=Someone",
                                      "REPLAYGAIN_TRACK_GAIN=-6.02 dB",
                                      "REPLAYGAIN_ALBUM_GAIN=+3 dB",
                                      "REPLAYGAIN_ALBUM_PEAK=0.9",
                                      "junk",
                                      "=x"};
  EXPECT_EQ(FieldsFromComments(c).title, "First");
  EXPECT_EQ(FieldsFromComments(c).artist, "Someone");
  const StoredGains g = GainsFromComments(c);
  EXPECT_NEAR(GainFactor(g, GainMode::track), 0.5, 0.001);
  EXPECT_NEAR(GainFactor(g, GainMode::album), 1 / 0.9, 0.001);  // held below clipping
  EXPECT_EQ(GainFactor(g, GainMode::off), 1.0);
  // Album mode falls back to the track's gain; R128 gains are 5 dB louder than stated.
  const StoredGains r128 = GainsFromComments({"R128_TRACK_GAIN=-2822"});  // -11.02 dB
  EXPECT_NEAR(GainFactor(r128, GainMode::album), 0.5, 0.001);
  EXPECT_EQ(GainFactor(GainsFromComments({"REPLAYGAIN_TRACK_GAIN=nan"}), GainMode::track), 1.0);
}

}  // namespace
}  // namespace velmora::openaudio
