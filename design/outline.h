// The window outline of a design: every maximal run of pixels that are not pure black,
// row by row, becomes a one-pixel-high rectangle; the outline is their union.
#pragma once

#include <cstdint>
#include <vector>

#include "design/bmp.h"
#include "ui/outline_run.h"

namespace velmora {

// Runs in row order, left to right. Empty for an all-black mask (such an outline is not
// applied: the window stays rectangular).
std::vector<OutlineRun> OutlineRuns(const Image& mask);

}  // namespace velmora
