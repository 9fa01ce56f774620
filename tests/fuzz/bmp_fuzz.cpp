// Any bytes through the design bitmap reader and the outline: no crash, no huge allocation.
#include <cstddef>
#include <cstdint>
#include <string>

#include "design/bmp.h"
#include "design/outline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velmora::Image img;
  std::string err;
  if (velmora::DecodeBmp(data, size, &img, &err)) {
    (void)velmora::OutlineRuns(img);
    (void)velmora::BuildGlyphStrip(img, img, {1, 1, img.width, img.height});
  }
  return 0;
}
