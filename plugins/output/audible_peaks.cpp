#include "plugins/output/audible_peaks.h"

#include <algorithm>

namespace velmora::output {

namespace {

int32_t Magnitude(int16_t sample) { return sample < 0 ? -static_cast<int32_t>(sample) : sample; }

}  // namespace

void AudiblePeaks::Restart() {
  std::lock_guard<std::mutex> lock(mutex_);
  written_ = 0;
  blocks_.fill(Block{});
}

void AudiblePeaks::Written(const int16_t* samples, size_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t i = 0; i < frames; ++i, ++written_) {
    const int64_t index = written_ / kBlockFrames;
    Block& block = blocks_[static_cast<size_t>(index) % kBlocks];
    if (block.index != index) block = Block{index, 0, 0};
    block.left = std::max(block.left, Magnitude(samples[2 * i]));
    block.right = std::max(block.right, Magnitude(samples[2 * i + 1]));
    const size_t slot = static_cast<size_t>(written_ % kSampleFrames) * 2;
    samples_[slot] = samples[2 * i];
    samples_[slot + 1] = samples[2 * i + 1];
  }
}

int AudiblePeaks::SamplesBefore(int64_t played, int count, int16_t* left, int16_t* right) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const int64_t begin = played - count;
  if (count <= 0 || begin < 0 || played > written_ || begin < written_ - kSampleFrames) return 0;
  for (int i = 0; i < count; ++i) {
    const size_t slot = static_cast<size_t>((begin + i) % kSampleFrames) * 2;
    left[i] = samples_[slot];
    right[i] = samples_[slot + 1];
  }
  return count;
}

bool AudiblePeaks::PeaksBefore(int64_t played, int64_t window, int32_t* left,
                               int32_t* right) const {
  *left = *right = 0;
  const int64_t end = played;  // exclusive
  const int64_t begin = std::max<int64_t>(0, end - std::max<int64_t>(window, 1));
  if (end <= begin) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  bool known = false;
  for (int64_t index = begin / kBlockFrames; index <= (end - 1) / kBlockFrames; ++index) {
    const Block& block = blocks_[static_cast<size_t>(index) % kBlocks];
    if (block.index != index) continue;
    known = true;
    *left = std::max(*left, block.left);
    *right = std::max(*right, block.right);
  }
  return known;
}

}  // namespace velmora::output
