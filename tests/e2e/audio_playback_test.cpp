// Real playback through the player and the shipped MPEG plug-in, checked on what reached
// the audio sink: the tone and its length, pause and resume (with "pause" in the time
// display), a seek with the position slider, and the position timer moving on to the next
// entry.
#include "audio_support.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace velmora::e2e {
namespace {

using namespace audio;

// Stretches of sound separated by at least `min_gap` samples of silence (longer than a
// hole wine leaves in the sound, see audio_support.h).
std::vector<Audible> AudibleRuns(const std::vector<int16_t>& s, size_t min_gap = 4410,
                                 int threshold = 300) {
  std::vector<Audible> runs;
  size_t quiet = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (std::abs(int{s[i]}) >= threshold) {
      if (runs.empty() || quiet >= min_gap) runs.push_back({i, i + 1});
      runs.back().end = i + 1;
      quiet = 0;
    } else {
      ++quiet;
    }
  }
  return runs;
}

// Pitch of each of the ten seconds of `a` around a pause at `pause_sample`: seconds before
// it are counted from the start, seconds after it back from the end (a pause may drop up
// to a period of what the device held, which shifts what follows); the second the pause
// splits is measured on its longer side, after the pause from where the sound comes back
// (the resume may start with a hole). The edges of each second are left out so that a
// step between two pitches never falls inside a window.
std::vector<double> PitchAroundPause(const std::vector<int16_t>& s, const Audible& a,
                                     size_t pause_sample) {
  std::vector<double> pitches;
  const size_t second = AudioSink::kRate, edge = 2000;
  for (size_t k = 0; k < 10; ++k) {
    const size_t from_start = a.begin + k * second;
    const size_t from_end =
        a.end + k * second >= 10 * second ? a.end + k * second - 10 * second : 0;
    size_t begin = from_end + edge, end = from_end + second - edge;
    if (from_start + second - edge <= pause_sample) {
      begin = from_start + edge;
      end = from_start + second - edge;
    } else if (from_end + edge < pause_sample) {
      if (pause_sample - from_start > from_end + second - pause_sample) {
        begin = from_start + edge;
        end = pause_sample - edge / 4;
      } else {
        begin = FindAudible(s, pause_sample).begin + edge / 4;
      }
    }
    pitches.push_back(Frequency(s, begin, end));
  }
  return pitches;
}

class AudioPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AudioSink::Available()) << "VELMORA_AUDIO_SINK is not set (run by scripts/test.sh)";
  }
  std::string Media(const std::string& name) {
    std::string path = CopyMedia(folder_, name);
    EXPECT_FALSE(path.empty()) << "no " << name << " in " << MediaFolder()
                               << " (tests/media/make_media.sh makes it)";
    return path;
  }
  HWND Start(const std::string& arguments = "") {
    LaunchOptions options;
    options.arguments = arguments;
    HWND main = StartReady(player_, folder_, options);
    EXPECT_TRUE(main) << "the player did not start";
    return main;
  }
  // The whole shutdown runs and the process ends with code 0 (not a fault on the way out).
  void ExpectCleanExit() {
    EXPECT_TRUE(player_.Close());
    EXPECT_EQ(player_.WaitForExit(2000).value_or(0xFFFFFFFF), 0u)
        << "the player did not end cleanly";
  }

  TestFolder folder_;
  PlayerProcess player_;
};

TEST_F(AudioPlayback, SineFromTheCommandLineIsAOneKilohertzToneOfFiveSeconds) {
  WriteSettings({});
  const std::string song = Media("sine_1k_5s.mp3");
  ASSERT_FALSE(song.empty());
  AudioSink sink;
  HWND main = Start(Quoted(song));
  ASSERT_TRUE(main);
  // What the plug-in says about the file reaches the labels.
  EXPECT_TRUE(WaitForControlText(main, ids::lengthlab, "00:05"));
  EXPECT_EQ(ControlText(main, ids::Freq), "44 kHz");
  EXPECT_EQ(ControlText(main, ids::bitr), "128 kbps");
  EXPECT_EQ(ControlText(main, ids::lay), "Layer 3");
  EXPECT_EQ(SliderMax(main, ids::tb), 500);  // 5,000 ms at 10 ms a unit

  // The only entry ends without loop: the time shows "Stop".
  ASSERT_TRUE(WaitForStopDisplay(main)) << "time label: " << ControlText(main, ids::poslab);
  ASSERT_TRUE(WaitSinkQuiet(sink));
  const std::vector<int16_t> left = LeftChannel(sink.Samples());
  const Audible a = FindAudible(left);
  EXPECT_NEAR(HeardSeconds(left, a), 5.0, 0.05);
  EXPECT_NEAR(Frequency(left, a.begin, a.end), 1000.0, 10.0);
  // Played at the full level the player restores on play (the file is at half scale).
  EXPECT_GT(PeakOf(left, a.begin, a.end), 12000);
  ExpectCleanExit();
}

TEST_F(AudioPlayback, PauseStopsTheSamplesAndPlayResumesThem) {
  WriteSettings({});
  const std::string song = Media("steps_10s.mp3");  // 300 Hz, 400 Hz, ... one per second
  ASSERT_FALSE(song.empty());
  HWND main = Start();
  ASSERT_TRUE(main);
  AudioSink sink;
  const CtlResult opened = RunCtl(folder_, "open " + Quoted(song));
  EXPECT_EQ(opened.exit_code, 0u) << opened.out;
  ASSERT_TRUE(sink.WaitForBytes(kBytesPerSecond / 20)) << "nothing played";

  ASSERT_EQ(SendRegistered(main, "VelmoraPause"), 0);
  EXPECT_EQ(Status(main), "API CALL : Pause");
  // The position timer asks the plug-in and shows the pause.
  EXPECT_TRUE(WaitForControlText(main, ids::poslab, "pause")) << ControlText(main, ids::poslab);
  ASSERT_TRUE(WaitSinkQuiet(sink));
  const uint64_t paused_at = sink.Size();
  EXPECT_FALSE(sink.WaitForBytes(paused_at + 4096, 1500)) << "samples kept arriving while paused";
  EXPECT_FALSE(WaitForControlText(main, ids::poslab, "Stop", 200))
      << "the track ended while paused";

  ASSERT_EQ(SendRegistered(main, "VelmoraPause"), 0);
  EXPECT_TRUE(sink.WaitForBytes(paused_at + kBytesPerSecond)) << "playback did not resume";
  EXPECT_TRUE(WaitUntil([&] {
    return ControlText(main, ids::poslab).find(':') != std::string::npos;
  })) << "the time display did not go on after the pause: "
      << ControlText(main, ids::poslab);
  ASSERT_TRUE(WaitForStopDisplay(main));
  ASSERT_TRUE(WaitSinkQuiet(sink));

  // Nothing lost or repeated across the pause: ten seconds, each at its own pitch in order.
  // Wine stops its ALSA stream on pause by dropping what the device still holds, up to one
  // period (about 50 ms with the real-time sink), so the whole may come out that much short.
  const std::vector<int16_t> left = LeftChannel(sink.Samples());
  const Audible a = FindAudible(left);
  EXPECT_NEAR(HeardSeconds(left, a), 10.0, 0.08);
  const size_t pause_sample = static_cast<size_t>(paused_at / 4);
  EXPECT_GT(pause_sample, a.begin);
  EXPECT_LT(pause_sample, a.end);
  ASSERT_GT(a.Seconds(), 9.5);
  const std::vector<double> pitches = PitchAroundPause(left, a, pause_sample);
  ASSERT_EQ(pitches.size(), 10u);
  for (size_t k = 0; k < pitches.size(); ++k)
    EXPECT_NEAR(pitches[k], 300.0 + 100.0 * k, 3.0 + k) << "second " << k;
  ExpectCleanExit();
}

TEST_F(AudioPlayback, SeekWithThePositionSliderContinuesFromTheMiddle) {
  WriteSettings({});
  const std::string song = Media("steps_10s.mp3");
  ASSERT_FALSE(song.empty());
  AudioSink sink;
  HWND main = Start(Quoted(song));
  ASSERT_TRUE(main);
  ASSERT_TRUE(WaitForControlText(main, ids::lengthlab, "00:10"));
  const int max = SliderMax(main, ids::tb);
  ASSERT_EQ(max, 1000);
  ASSERT_TRUE(sink.WaitForBytes(kBytesPerSecond / 20)) << "nothing played";

  // What a drag of the slider to its middle ends with, while the file plays (a paused
  // player does not seek): the slider at the new value, then its release notice. Both
  // are posted to the window's thread, which takes them in order before any timer: the
  // position tick cannot move the slider back between the two.
  HWND tb = Control(main, ids::tb);
  ASSERT_TRUE(tb);
  ASSERT_TRUE(PostMessageA(tb, TBM_SETPOS, TRUE, max / 2));
  ASSERT_TRUE(PostMessageA(main, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, max / 2),
                           reinterpret_cast<LPARAM>(tb)));
  const uint64_t seek_at = sink.Size();
  EXPECT_TRUE(WaitForControlText(main, ids::banner2, "Playing")) << Status(main);
  // The position timer reads the new place back from the plug-in.
  EXPECT_TRUE(WaitForControlText(main, ids::poslab, "00:05"))
      << "time label: " << ControlText(main, ids::poslab);
  EXPECT_GE(SliderPos(main, ids::tb), max / 2 - 10);

  ASSERT_TRUE(WaitForStopDisplay(main));
  ASSERT_TRUE(WaitSinkQuiet(sink));

  // The start of the file, up to the seek and what the device still held then; then
  // exactly seconds 5 to 10.
  const std::vector<int16_t> left = LeftChannel(sink.Samples());
  const Audible a = FindAudible(left);
  const double before = static_cast<double>(seek_at / 4) / AudioSink::kRate;
  ASSERT_LT(before, 4.0) << "the seek came too late to tell it from playing on";
  EXPECT_GT(HeardSeconds(left, a), 5.0);
  EXPECT_LT(HeardSeconds(left, a), before + 5.6) << "nothing was skipped";
  EXPECT_NEAR(Frequency(left, a.begin + 2000, a.begin + 8000), 300.0, 8.0) << "the first second";
  for (int k = 0; k < 5; ++k) {
    const size_t from = a.end - static_cast<size_t>(5 - k) * AudioSink::kRate + 2000;
    EXPECT_NEAR(Frequency(left, from, from + AudioSink::kRate - 4000), 800.0 + 100 * k, 8.0)
        << "second " << 5 + k;
  }
  ExpectCleanExit();
}

TEST_F(AudioPlayback, TheEndOfATrackMovesTheTimerOnToTheNextEntry) {
  WriteSettings({});  // loop off: the list ends after its last entry
  const std::string first = Media("sine_1k_5s.mp3");
  const std::string second = Media("tag_v2.mp3");  // the same tone, with a title in its tag
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  folder_.WriteFile("pl.m3u", first + "\r\n" + second + "\r\n");
  AudioSink sink;
  HWND main = Start();
  ASSERT_TRUE(main);
  ASSERT_EQ(SendRegistered(main, "VelmoraNumberFiles"), 2);
  ASSERT_TRUE(PlaylistWindow(player_));
  EXPECT_EQ(CurrentIndexText(player_), "0");

  ASSERT_EQ(SendRegistered(main, "VelmoraPlay"), 0);
  EXPECT_TRUE(WaitUntil([&] {
    return ControlText(main, ids::Banner1).rfind("0sine_1k_5s.mp3    <00:05>", 0) == 0;
  })) << ControlText(main, ids::Banner1);

  // No one touches the player: its timer notices the end and starts the next entry
  // (after the four seconds of "Flushing the buffer").
  ASSERT_TRUE(WaitUntil([&] { return CurrentIndexText(player_) == "1"; }, 30000))
      << "current index: " << CurrentIndexText(player_);
  EXPECT_TRUE(WaitUntil([&] {
    return ControlText(main, ids::Banner1).rfind("1Second Artist - Second Title    <00:05>", 0) ==
           0;
  })) << ControlText(main, ids::Banner1);
  EXPECT_TRUE(IsControlEnabled(main, ids::stopbut));
  EXPECT_EQ(ListSelection(PlaylistWindow(player_), ids::pl), std::vector<int>{1});

  ASSERT_TRUE(WaitForStopDisplay(main));
  EXPECT_EQ(CurrentIndexText(player_), "1");
  ASSERT_TRUE(WaitSinkQuiet(sink));
  // Both files were heard whole: ten seconds of the tone, with at most a pause between.
  const std::vector<int16_t> left = LeftChannel(sink.Samples());
  const std::vector<Audible> runs = AudibleRuns(left);
  ASSERT_FALSE(runs.empty());
  ASSERT_LE(runs.size(), 2u);
  double seconds = 0;
  for (const Audible& run : runs) {
    seconds += HeardSeconds(left, run);
    EXPECT_NEAR(Frequency(left, run.begin, run.end), 1000.0, 10.0);
  }
  EXPECT_NEAR(seconds, 10.0, 0.1);
  ExpectCleanExit();
}

}  // namespace
}  // namespace velmora::e2e
