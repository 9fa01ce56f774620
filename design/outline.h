// The window outline of a design: every maximal run of pixels that are not pure black,
// row by row, becomes a one-pixel-high rectangle; the outline is their union.
#pragma once

#include <cstdint>
#include <vector>

#include "design/bmp.h"

namespace velmora {

struct OutlineRun {
  int32_t y;
  int32_t x0;  // first pixel inside
  int32_t x1;  // one past the last pixel inside
  bool operator==(const OutlineRun& o) const { return y == o.y && x0 == o.x0 && x1 == o.x1; }
};

// Runs in row order, left to right. Empty for an all-black mask (such an outline is not
// applied: the window stays rectangular).
std::vector<OutlineRun> OutlineRuns(const Image& mask);

}  // namespace velmora
