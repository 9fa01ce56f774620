// The program's one pseudo-random generator (shuffle, random play, random design):
// seed := seed * 134775813 + 1 (32-bit wrap-around); the draw is the high 32 bits of
// seed * n. The seed starts at 0 and is set only by the random-design start-up.
#pragma once

#include <cstdint>

namespace velmora {

class RandomGenerator {
 public:
  void Seed(uint32_t seed) { seed_ = seed; }
  uint32_t SeedValue() const { return seed_; }
  // An integer from 0 to n - 1 (0 when n <= 0).
  int32_t Next(int32_t n) {
    seed_ = seed_ * 134775813u + 1u;
    if (n <= 0) return 0;
    return static_cast<int32_t>((static_cast<uint64_t>(seed_) * static_cast<uint32_t>(n)) >> 32);
  }

 private:
  uint32_t seed_ = 0;
};

}  // namespace velmora
