// The FLAC/Ogg/Opus/WAV plug-in in the running player, checked on what reached the audio
// sink: each format plays its tones, shows its length and tag title, pauses and seeks with
// the position slider; Opus's length is exact (and its information window says so);
// ReplayGain halves a file tagged -6 dB; broken and foreign files, and enormous metadata,
// are passed over without harm.
#include "audio_support.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace velmora::e2e {
namespace {

using namespace audio;

constexpr double kStepPitch[] = {400, 600, 800, 1000};  // one second each (steps.*)

// Where in `s` the pitch settles on `pitch` for good after `from`: the start of the first
// run of 20 zero-crossing periods that all match it within 4%.
size_t PitchStart(const std::vector<int16_t>& s, size_t from, double pitch) {
  const double period = kRate / pitch;
  size_t run = 0, run_start = 0, last = 0;
  for (size_t i = from; i + 1 < s.size(); ++i) {
    if (!(s[i] < 0 && s[i + 1] >= 0)) continue;
    if (last && std::abs((i - last) - period) < period * 0.04 + 1) {
      if (run++ == 0) run_start = last;
      if (run >= 20) return run_start;
    } else {
      run = 0;
    }
    last = i;
  }
  return s.size();
}

class OpenAudioPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AudioSink::Available()) << "VELMORA_AUDIO_SINK is not set (run by scripts/test.sh)";
  }
  std::string Media(const std::string& name) {
    std::string path = CopyMedia(folder_, name);
    EXPECT_FALSE(path.empty()) << "no " << name << " in " << MediaFolder()
                               << " (tests/media/make_openaudio_media.sh makes it)";
    return path;
  }
  HWND Start(const std::string& arguments = "") {
    LaunchOptions options;
    options.arguments = arguments;
    HWND main = StartReady(player_, folder_, options);
    EXPECT_TRUE(main) << "the player did not start";
    return main;
  }
  // Adds the file to the playlist as entry `index` and plays it; waits until the title
  // shows the entry's index and then `shown`.
  bool Open(HWND main, const std::string& path, int index, const std::string& shown) {
    const CtlResult opened = RunCtl(folder_, "open " + Quoted(path));
    EXPECT_EQ(opened.exit_code, 0u) << opened.out;
    const std::string prefix = std::to_string(index) + shown;
    return WaitUntil([&] { return ControlText(main, ids::Banner1).rfind(prefix, 0) == 0; });
  }
  // The end of a drag: the slider at the value, then its release notice. Both are posted,
  // so the window's thread takes them one after the other; sent one by one, a position tick
  // could move the slider back to where the song is in between, and the release would seek
  // there.
  bool SeekTo(HWND main, int value) {
    HWND tb = Control(main, ids::tb);
    return PostMessageA(tb, TBM_SETPOS, TRUE, value) &&
           PostMessageA(main, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, value),
                        reinterpret_cast<LPARAM>(tb));
  }
  void ExpectCleanExit() {
    EXPECT_TRUE(player_.Close());
    EXPECT_EQ(player_.WaitForExit(2000).value_or(0xFFFFFFFF), 0u)
        << "the player did not end cleanly";
  }

  TestFolder folder_;
  PlayerProcess player_;
};

TEST_F(OpenAudioPlugin, EachFormatPlaysShowsLengthAndTitlePausesAndSeeks) {
  WriteSettings({});
  HWND main = Start();
  ASSERT_TRUE(main);
  const struct {
    const char* file;
    const char* title;
  } formats[] = {{"steps.flac", "Velmora - Flac Steps"},
                 {"steps.ogg", "Velmora - Vorbis Steps"},
                 {"steps.opus", "Velmora - Opus Steps"},
                 {"steps.wav", "Velmora - Wave Steps"}};
  int index = 0;
  for (const auto& f : formats) {
    SCOPED_TRACE(f.file);
    const std::string path = Media(f.file);
    ASSERT_FALSE(path.empty());
    AudioSink sink;
    ASSERT_TRUE(Open(main, path, index++, f.title + std::string("    <00:04>")))
        << ControlText(main, ids::Banner1);
    EXPECT_EQ(ControlText(main, ids::lengthlab), "00:04");
    ASSERT_EQ(SliderMax(main, ids::tb), 400);
    ASSERT_TRUE(sink.WaitForBytes(kBytesPerSecond / 10)) << "nothing played";

    // Paused, nothing more reaches the sink; resumed, it goes on.
    ASSERT_EQ(SendRegistered(main, "VelmoraPause"), 0);
    EXPECT_TRUE(WaitForControlText(main, ids::poslab, "pause")) << ControlText(main, ids::poslab);
    ASSERT_TRUE(WaitSinkQuiet(sink));
    const uint64_t paused_at = sink.Size();
    EXPECT_FALSE(sink.WaitForBytes(paused_at + 4096, 800)) << "samples kept arriving while paused";
    ASSERT_EQ(SendRegistered(main, "VelmoraPause"), 0);
    ASSERT_TRUE(sink.WaitForBytes(paused_at + kBytesPerSecond / 20)) << "playback did not resume";

    // To 2.5 s with the slider: the rest of the third second (800 Hz) lasts 0.5 s.
    ASSERT_TRUE(SeekTo(main, 250));
    ASSERT_TRUE(WaitForStopDisplay(main)) << ControlText(main, ids::poslab);
    ASSERT_TRUE(WaitSinkQuiet(sink));
    const std::vector<int16_t> left = LeftChannel(sink.Samples());
    const Audible a = FindAudible(left);
    EXPECT_NEAR(Frequency(left, a.begin + 500, a.begin + 4000), kStepPitch[0], 8.0)
        << "the first second";
    const size_t third = PitchStart(left, static_cast<size_t>(paused_at / 4), kStepPitch[2]);
    const size_t fourth = PitchStart(left, third, kStepPitch[3]);
    ASSERT_LT(fourth, left.size()) << "the seek did not reach the third second";
    EXPECT_NEAR(static_cast<double>(fourth - third) / kRate, 0.5, 0.05) << "where the seek landed";
    EXPECT_NEAR(static_cast<double>(a.end - fourth) / kRate, 1.0, 0.05) << "the last second";
    EXPECT_NEAR(Frequency(left, fourth + 2000, a.end - 2000), kStepPitch[3], 8.0);
  }
  ExpectCleanExit();
}

TEST_F(OpenAudioPlugin, OneSecondOfOpusShowsAndPlaysOneSecond) {
  WriteSettings({});
  const std::string song = Media("one_second.opus");
  ASSERT_FALSE(song.empty());
  AudioSink sink;
  HWND main = Start(Quoted(song));
  ASSERT_TRUE(main);
  EXPECT_TRUE(WaitForControlText(main, ids::lengthlab, "00:01"));
  EXPECT_EQ(SliderMax(main, ids::tb), 100);
  EXPECT_EQ(ControlText(main, ids::Freq), "48 kHz");
  EXPECT_EQ(ControlText(main, ids::lay), "Opus");
  ASSERT_TRUE(WaitForStopDisplay(main));
  ASSERT_TRUE(WaitSinkQuiet(sink));
  const std::vector<int16_t> left = LeftChannel(sink.Samples());
  const Audible a = FindAudible(left);
  EXPECT_NEAR(HeardSeconds(left, a), 1.0, 0.03);
  EXPECT_NEAR(Frequency(left, a.begin + 1000, a.end - 1000), 700.0, 8.0);
  // The plug-in's information window tells the stream's facts: 48,000 samples at 48 kHz.
  SendRegistered(main, "VelmoraShowId3");
  HWND info = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    return (info = VisibleWindowOf(player_, "VelmoraOpenAudioWindow", "File Info")) != nullptr;
  }));
  const std::string facts = ControlText(info, 100);
  EXPECT_NE(facts.find("Format: Opus"), std::string::npos) << facts;
  EXPECT_NE(facts.find("Samples: 48000"), std::string::npos) << facts;
  ExpectCleanExit();
}

// The peak of the tone each file plays under each ReplayGain setting (which the plug-in's
// configuration window stores, and the plug-in reads for every file it plays).
TEST_F(OpenAudioPlugin, ReplayGainHalvesAFileTaggedMinusSixDecibelsAndOffPlaysItAsIs) {
  const std::string plain = Media("gain_none.flac");
  const std::string tagged = Media("gain_minus6.flac");
  ASSERT_FALSE(plain.empty());
  ASSERT_FALSE(tagged.empty());
  WriteSettings({});
  HWND main = Start();
  ASSERT_TRUE(main);
  int index = 0;
  for (DWORD mode : {1u, 0u}) {  // track, off
    SCOPED_TRACE(mode);
    registry::WriteDword("ReplayGain", mode, "openaudio");
    int peaks[2] = {};
    for (int i = 0; i < 2; ++i) {
      AudioSink sink;
      ASSERT_TRUE(Open(main, i == 0 ? plain : tagged, index++,
                       i == 0 ? "gain_none.flac" : "gain_minus6.flac"));
      ASSERT_TRUE(sink.WaitForBytes(kBytesPerSecond / 10));
      ASSERT_TRUE(WaitForStopDisplay(main));
      ASSERT_TRUE(WaitSinkQuiet(sink));
      const std::vector<int16_t> left = LeftChannel(sink.Samples());
      const Audible a = FindAudible(left);
      EXPECT_NEAR(HeardSeconds(left, a), 2.0, 0.05);
      peaks[i] = PeakOf(left, a.begin, a.end);
    }
    ASSERT_GT(peaks[0], 8000);
    EXPECT_NEAR(static_cast<double>(peaks[1]) / peaks[0], mode == 1 ? 0.5 : 1.0, 0.03);
  }
  ExpectCleanExit();
}

TEST_F(OpenAudioPlugin, BrokenAndForeignFilesArePassedOverInOnePlayer) {
  WriteSettings({});
  HWND main = Start();
  ASSERT_TRUE(main);
  int index = 0;
  for (const char* name :
       {"empty.flac", "truncated.flac", "truncated.opus", "header_only.ogg", "corrupt.ogg",
        "random.opus", "mp3_named.flac", "huge_block.flac", "huge_padding.flac", "huge_comment.ogg",
        "lying_data.wav", "lying_chunk.wav", "adpcm.wav"}) {
    SCOPED_TRACE(name);
    const std::string path = Media(name);
    ASSERT_FALSE(path.empty());
    // What still plays shows its title, the rest its name.
    ASSERT_TRUE(Open(main, path, index++, "")) << ControlText(main, ids::Banner1);
    ASSERT_TRUE(WaitForStopDisplay(main)) << ControlText(main, ids::poslab);
    ASSERT_TRUE(player_.Running());
  }
  // Refused files say why in the plug-in's message window.
  HWND message = player_.FindWindowOfClass("VelmoraOpenAudioWindow", "FLAC/Ogg/Opus/WAV plug-in");
  ASSERT_TRUE(message);
  EXPECT_NE(ControlText(message, 100).find("Unsupported WAV encoding"), std::string::npos)
      << ControlText(message, 100);
  // And the player still plays.
  AudioSink sink;
  ASSERT_TRUE(Open(main, Media("steps.wav"), index, "Velmora - Wave Steps"));
  ASSERT_TRUE(sink.WaitForBytes(kBytesPerSecond / 4));
  ExpectCleanExit();
}

}  // namespace
}  // namespace velmora::e2e
