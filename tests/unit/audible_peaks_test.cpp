#include <gtest/gtest.h>

#include <vector>

#include "plugins/output/audible_peaks.h"

namespace velmora::output {
namespace {

// `frames` stereo frames with these sample values on the left and the right.
std::vector<int16_t> Frames(size_t frames, int16_t left, int16_t right) {
  std::vector<int16_t> s;
  for (size_t i = 0; i < frames; ++i) {
    s.push_back(static_cast<int16_t>(i % 2 ? left : -left));
    s.push_back(right);
  }
  return s;
}

TEST(MpegAudiblePeaks, PeaksFollowThePlayPositionNotWhatWasDecodedAhead) {
  AudiblePeaks peaks;
  peaks.Restart();
  // 100 ms loud, then 100 ms quiet, queued at once (44.1 kHz).
  const auto loud = Frames(4410, -32768, 1000);
  const auto quiet = Frames(4410, 8000, 0);
  peaks.Written(loud.data(), 4410);
  peaks.Written(quiet.data(), 4410);
  int32_t left = -1, right = -1;
  ASSERT_TRUE(peaks.PeaksBefore(2205, 2205, &left, &right));
  EXPECT_EQ(left, 32768);
  EXPECT_EQ(right, 1000);
  // The device has reached the quiet part (past the block shared with the loud one).
  ASSERT_TRUE(peaks.PeaksBefore(8000, 2205, &left, &right));
  EXPECT_EQ(left, 8000);
  EXPECT_EQ(right, 0);
  // Nothing played yet, or beyond what was written: nothing known.
  EXPECT_FALSE(peaks.PeaksBefore(0, 2205, &left, &right));
  EXPECT_FALSE(peaks.PeaksBefore(20000, 2205, &left, &right));
  EXPECT_EQ(left, 0);
  // A seek resets the device: what was queued before is gone.
  peaks.Restart();
  EXPECT_FALSE(peaks.PeaksBefore(2205, 2205, &left, &right));
  // Long playback: old blocks are overwritten, recent ones stay.
  const auto tone = Frames(44100, 1234, 4321);
  for (int second = 0; second < 5; ++second) peaks.Written(tone.data(), 44100);
  ASSERT_TRUE(peaks.PeaksBefore(5 * 44100, 2205, &left, &right));
  EXPECT_EQ(left, 1234);
  EXPECT_EQ(right, 4321);
  EXPECT_FALSE(peaks.PeaksBefore(44100, 2205, &left, &right)) << "four seconds ago is gone";
}

TEST(MpegAudiblePeaks, TheSamplesJustBeforeThePlayPositionAreKeptForAWhile) {
  AudiblePeaks peaks;
  peaks.Restart();
  std::vector<int16_t> ramp;
  for (int i = 0; i < 100000; ++i) {
    ramp.push_back(static_cast<int16_t>(i % 30000));
    ramp.push_back(static_cast<int16_t>(-(i % 30000)));
  }
  peaks.Written(ramp.data(), 100000);
  int16_t left[576], right[576];
  ASSERT_EQ(peaks.SamplesBefore(90000, 576, left, right), 576);
  EXPECT_EQ(left[0], (90000 - 576) % 30000);
  EXPECT_EQ(left[575], 89999 % 30000);
  EXPECT_EQ(right[575], -(89999 % 30000));
  EXPECT_EQ(peaks.SamplesBefore(100001, 576, left, right), 0) << "not written yet";
  EXPECT_EQ(peaks.SamplesBefore(100000 - AudiblePeaks::kSampleFrames, 576, left, right), 0)
      << "overwritten since";
  EXPECT_EQ(peaks.SamplesBefore(500, 576, left, right), 0) << "before the start";
}

}  // namespace
}  // namespace velmora::output
