// Measures of what reached the sink (16-bit samples of one channel at 44.1 kHz), shared by
// the end-to-end audio checks and the MPEG plug-in's own checks.
//
// Wine puts a stretch of silence in front of what it hands the device whenever it holds
// less than a period at its turn (a restart, a late feeding thread); the sink records it as
// a hole of 10 to 30 ms in the middle of the sound. These measures do not count such a hole
// as sound.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace velmora::e2e::sound {

constexpr double kSampleRate = 44100.0;

// Pitch of [begin, end) from the spacing of its rising zero crossings: the mean of the
// periods within 5% of their median, so a hole of silence (one long period) or the seam
// at its edge (one short one) is left out, while a window of another pitch still reads
// as that pitch. 0 when there are too few crossings.
inline double Frequency(const std::vector<int16_t>& s, size_t begin, size_t end) {
  end = std::min(end, s.size());
  std::vector<double> crossings;
  for (size_t i = begin; i + 1 < end; ++i) {
    if (s[i] < 0 && s[i + 1] >= 0)
      crossings.push_back(static_cast<double>(i) + static_cast<double>(-s[i]) / (s[i + 1] - s[i]));
  }
  if (crossings.size() < 3) return 0;
  std::vector<double> periods;
  for (size_t k = 1; k < crossings.size(); ++k) periods.push_back(crossings[k] - crossings[k - 1]);
  std::vector<double> sorted = periods;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  const double median = sorted[sorted.size() / 2];
  double sum = 0;
  size_t n = 0;
  for (double p : periods) {
    if (std::abs(p - median) <= 0.05 * median) {
      sum += p;
      ++n;
    }
  }
  return n ? kSampleRate * static_cast<double>(n) / sum : 0;
}

// Samples of [begin, end) in stretches of silence at least `min_gap` long (2 ms: far
// longer than a tone stays near zero at a crossing).
inline size_t SilentSamples(const std::vector<int16_t>& s, size_t begin, size_t end,
                            size_t min_gap = 88, int threshold = 300) {
  end = std::min(end, s.size());
  size_t silent = 0, run = 0;
  for (size_t i = begin; i < end; ++i) {
    if (std::abs(int{s[i]}) < threshold) {
      ++run;
    } else {
      if (run >= min_gap) silent += run;
      run = 0;
    }
  }
  return silent + (run >= min_gap ? run : 0);
}

}  // namespace velmora::e2e::sound
