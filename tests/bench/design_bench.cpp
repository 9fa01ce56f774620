// Designs: the outline of a 1000 x 1000 mask (target under 20 ms), decoding that mask,
// and the portable part of applying a design (parsing and applying a full main.ini).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "design/bmp.h"
#include "design/main_ini.h"
#include "design/outline.h"

using namespace velmora;

namespace {

template <typename F>
double BestMs(int rounds, F&& f) {
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const auto t1 = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  return best;
}

// A mask with many runs: a disc with holes and a comb along the bottom.
Image BusyMask(int n) {
  Image m;
  m.width = m.height = n;
  m.pixels.resize(static_cast<size_t>(n) * n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const double dx = x - n / 2.0, dy = y - n / 2.0;
      bool in = dx * dx + dy * dy < (n / 2.0) * (n / 2.0);
      if (((x / 7) + (y / 7)) % 5 == 0) in = false;
      if (y > n * 9 / 10 && (x % 4) < 2) in = true;
      m.pixels[static_cast<size_t>(y) * n + x] = in ? 0xFFFFFF : 0;
    }
  return m;
}

class NullTarget : public DesignTarget {
 public:
  int32_t MainSize(Edge) const override { return 100; }
  void SetMainSize(Edge, int32_t) override {}
  Colour HintColour() const override { return 0; }
  void SetHintColour(Colour) override {}
  int32_t Geometry(DesignControl, Edge) const override { return 1; }
  void SetGeometry(DesignControl, Edge, int32_t v) override { sink += v; }
  void SetEnabled(DesignControl, bool) override {}
  void SetNoBorder(DesignControl, bool) override {}
  LabelEffectStyle LabelStyle(DesignControl) const override { return style; }
  void SetLabelStyle(DesignControl, const LabelEffectStyle& s) override { style = s; }
  void SetTimeColours(Colour, Colour) override {}
  void SetTimeModeElapsed() override {}
  Colour SliderColour(DesignControl) const override { return 0; }
  void SetSliderColour(DesignControl, Colour) override {}
  void SetSliderVertical(DesignControl, bool) override {}
  TitleLook Title() const override { return {}; }
  void SetTitle(const TitleLook&) override {}
  void SetTitleScrolling(bool) override {}
  LabelEffectStyle style;
  long long sink = 0;
};

std::string FullIni() {
  std::string s = "[main]\nmainwidth=340\nmainheight=170\n";
  for (const char* p : {"prev", "rev", "stop", "pause", "play", "fwd", "next", "plist", "id3",
                        "open", "option", "mini", "move", "exit"})
    for (const char* k : {"top", "left", "width", "height", "noborder"})
      s += std::string(p) + k + "=12\n";
  for (const char* p : {"versiontext", "version", "frequency", "bitrate", "layer", "time", "info",
                        "totaltime", "totalinfo"})
    for (const char* k :
         {"top", "left", "width", "height", "font", "fontsize", "color", "bkcolor", "transparent",
          "effect", "depthH", "depthS", "colourscheme", "directionshadow", "graduateface"})
      s += std::string(p) + k + "=2\n";
  return s;
}

}  // namespace

int main() {
  const Image mask = BusyMask(1000);
  size_t runs = 0;
  const double outline_ms = BestMs(20, [&] { runs = OutlineRuns(mask).size(); });
  std::printf("outline of a 1000 x 1000 mask: %.2f ms (%zu runs; target < 20 ms)\n", outline_ms,
              runs);

  const auto bytes = EncodeBmp24(mask);
  Image decoded;
  std::string err;
  const double decode_ms =
      BestMs(20, [&] { DecodeBmp(bytes.data(), bytes.size(), &decoded, &err); });
  std::printf("decoding that mask (24-bit, %zu bytes): %.2f ms\n", bytes.size(), decode_ms);

  const std::string text = FullIni();
  NullTarget target;
  const double ini_ms = BestMs(50, [&] { ApplyMainIni(IniFile::Parse(text), target); });
  std::printf("parsing and applying a full main.ini (%zu bytes): %.3f ms\n", text.size(), ini_ms);
  return 0;
}
