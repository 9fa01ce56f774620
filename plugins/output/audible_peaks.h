// Peaks of what the wave-out device is sounding now. The output thread notes the peaks of
// each stretch of samples it hands to the device, in order; a reader asks for the stretch
// just before the device's play position, which lags what was decoded by up to the
// queued buffers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace velmora::output {

class AudiblePeaks {
 public:
  static constexpr int64_t kBlockFrames = 256;
  // Kept: 512 blocks, about 3 s at 44.1 kHz (the device holds well under a second).
  static constexpr size_t kBlocks = 512;

  // The device counts from 0 again (opened, or reset for a seek).
  void Restart();
  // Interleaved stereo 16-bit frames handed to the device after all before them.
  void Written(const int16_t* samples, size_t frames);
  // The largest |sample| per channel of the frames [played - window, played), where
  // `played` counts the frames the device has played since the restart. False (peaks 0)
  // when none of those frames is known: not written yet, or too long ago.
  bool PeaksBefore(int64_t played, int64_t window, int32_t* left, int32_t* right) const;
  // The `count` frames just before `played` as two channels, oldest first. Returns how
  // many it filled: `count`, or 0 when any of them is not known (not written yet, or
  // too long ago: the samples of the last kSampleFrames frames are kept).
  static constexpr int64_t kSampleFrames = 65536;  // about 1.5 s at 44.1 kHz
  int SamplesBefore(int64_t played, int count, int16_t* left, int16_t* right) const;

 private:
  struct Block {
    int64_t index = -1;  // which block of the stream this slot holds
    int32_t left = 0;
    int32_t right = 0;
  };
  mutable std::mutex mutex_;
  int64_t written_ = 0;
  std::array<Block, kBlocks> blocks_{};
  std::vector<int16_t> samples_ = std::vector<int16_t>(kSampleFrames * 2);  // a ring of frames
};

}  // namespace velmora::output
