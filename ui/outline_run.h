// One row of a window outline: the pixels [x0, x1) of row y are inside. The design reads
// outlines from its mask pictures; the form shaper clips a window to them.
#pragma once

#include <cstdint>

namespace velmora {

struct OutlineRun {
  int32_t y;
  int32_t x0;  // first pixel inside
  int32_t x1;  // one past the last pixel inside
  bool operator==(const OutlineRun& o) const { return y == o.y && x0 == o.x0 && x1 == o.x1; }
};

}  // namespace velmora
