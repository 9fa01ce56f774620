// Any text as main.ini, applied to a target that checks nothing but survives everything.
#include <cstddef>
#include <cstdint>
#include <string>

#include "design/main_ini.h"

namespace {
class Target : public velmora::DesignTarget {
 public:
  int32_t MainSize(velmora::Edge) const override { return 10; }
  void SetMainSize(velmora::Edge, int32_t) override {}
  velmora::Colour HintColour() const override { return 0; }
  void SetHintColour(velmora::Colour) override {}
  int32_t Geometry(velmora::DesignControl, velmora::Edge) const override { return 0; }
  void SetGeometry(velmora::DesignControl, velmora::Edge, int32_t) override {}
  void SetEnabled(velmora::DesignControl, bool) override {}
  void SetNoBorder(velmora::DesignControl, bool) override {}
  velmora::LabelEffectStyle LabelStyle(velmora::DesignControl) const override { return style; }
  void SetLabelStyle(velmora::DesignControl, const velmora::LabelEffectStyle& s) override {
    style = s;
  }
  void SetTimeColours(velmora::Colour, velmora::Colour) override {}
  void SetTimeModeElapsed() override {}
  velmora::Colour SliderColour(velmora::DesignControl) const override { return 0; }
  void SetSliderColour(velmora::DesignControl, velmora::Colour) override {}
  void SetSliderVertical(velmora::DesignControl, bool) override {}
  velmora::TitleLook Title() const override { return title; }
  void SetTitle(const velmora::TitleLook& t) override { title = t; }
  void SetTitleScrolling(bool) override {}
  velmora::LabelEffectStyle style;
  velmora::TitleLook title;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Target t;
  velmora::ApplyMainIni(
      velmora::IniFile::Parse(std::string(reinterpret_cast<const char*>(data), size)), t);
  // The names of whatever enumeration values came out must exist.
  (void)velmora::Name(t.style.EffectStyle());
  (void)velmora::Name(t.style.DirectionHighlight());
  return 0;
}
