#include "design/outline.h"

namespace velmora {

std::vector<OutlineRun> OutlineRuns(const Image& mask) {
  std::vector<OutlineRun> runs;
  if (mask.Empty() || mask.pixels.size() < static_cast<size_t>(mask.width) * mask.height)
    return runs;
  for (int32_t y = 0; y < mask.height; ++y) {
    const uint32_t* row = &mask.pixels[static_cast<size_t>(y) * mask.width];
    int32_t x = 0;
    while (x < mask.width) {
      while (x < mask.width && (row[x] & 0xFFFFFF) == 0) ++x;
      if (x == mask.width) break;
      const int32_t start = x;
      while (x < mask.width && (row[x] & 0xFFFFFF) != 0) ++x;
      runs.push_back({y, start, x});
    }
  }
  return runs;
}

}  // namespace velmora
