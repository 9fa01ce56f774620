// Where the hints of a window's controls go besides their tooltips: the program echoes
// them on its status line while the user asks for it ("Enable Tooltips"). Portable.
#pragma once

#include <string>

namespace velmora::ui {

class HintEcho {
 public:
  // The mouse entered a control (or window) whose hint is `hint`.
  virtual void EchoHint(const std::string& hint) = 0;

 protected:
  ~HintEcho() = default;
};

}  // namespace velmora::ui
