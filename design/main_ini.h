// main.ini: how a folder design places and styles the main window's controls. The keys
// are applied one by one, each right after it is read, to a DesignTarget whose current
// values are every key's default; the order matters because the effect label's setters
// rewrite related properties. The Win32 main window and the unit tests' recording fake
// are the two targets.
#pragma once

#include <cstdint>
#include <string>

#include "design/ini_file.h"
#include "ui/label_effect.h"

namespace velmora {

// Controls a design places, buttons first in the order of their key table.
enum class DesignControl : int {
  prevtrackbut,
  revbut,
  stopbut,
  pausebut,
  playbut,
  fwdbut,
  nexttrackbut,
  plbut,
  id3but,
  openbut,
  optionbut,
  minibut,
  Button1,
  Bitbtn1,  // the fourteen buttons
  Versiontext,
  Freq,
  bitr,
  lay,
  poslab,
  banner2,
  lengthlab,
  Statictext1,  // the eight labels
  tb,
  volbar,   // the sliders
  Banner1,  // the scrolling title
  Count
};
inline constexpr int kButtonCount = 14;
inline constexpr int kLabelCount = 8;
inline bool IsButton(DesignControl c) { return static_cast<int>(c) < kButtonCount; }
inline bool IsLabel(DesignControl c) {
  return static_cast<int>(c) >= kButtonCount && static_cast<int>(c) < kButtonCount + kLabelCount;
}
const char* ControlName(DesignControl c);  // "playbut", ...
// The key prefix of a button ("play"), a label's place/font prefix ("versiontext"), a
// slider ("tbbar"), the title ("songtitle").
const char* KeyPrefix(DesignControl c);
// The hint of a button ("Play", ...); empty for other controls.
const char* ButtonHint(DesignControl c);

enum class Edge : int { Top, Left, Width, Height };

// The scrolling title's look.
struct TitleLook {
  std::string font_name;
  int32_t font_size = 8;
  Colour colour = 0x0000FFFF;     // yellow
  Colour bk_colour = 0x00000000;  // black
};

class DesignTarget {
 public:
  virtual ~DesignTarget() = default;

  virtual int32_t MainSize(Edge edge) const = 0;  // Width or Height
  virtual void SetMainSize(Edge edge, int32_t value) = 0;
  virtual Colour HintColour() const = 0;
  virtual void SetHintColour(Colour c) = 0;

  virtual int32_t Geometry(DesignControl c, Edge edge) const = 0;
  virtual void SetGeometry(DesignControl c, Edge edge, int32_t value) = 0;
  virtual void SetEnabled(DesignControl c, bool enabled) = 0;

  virtual void SetNoBorder(DesignControl button, bool no_border) = 0;

  virtual LabelEffectStyle LabelStyle(DesignControl label) const = 0;
  virtual void SetLabelStyle(DesignControl label, const LabelEffectStyle& style) = 0;
  // The time label's two colours and its mode (elapsed).
  virtual void SetTimeColours(Colour elapsed, Colour remaining) = 0;
  virtual void SetTimeModeElapsed() = 0;

  virtual Colour SliderColour(DesignControl slider) const = 0;
  virtual void SetSliderColour(DesignControl slider, Colour c) = 0;
  virtual void SetSliderVertical(DesignControl slider, bool vertical) = 0;

  virtual TitleLook Title() const = 0;
  virtual void SetTitle(const TitleLook& look) = 0;
  virtual void SetTitleScrolling(bool on) = 0;
};

inline constexpr Colour kDefaultRemainingTimeColour = 0x00FFFF00;  // aqua

// Applies the [main] section of a parsed main.ini to the target.
void ApplyMainIni(const IniFile& ini, DesignTarget& target);

}  // namespace velmora
