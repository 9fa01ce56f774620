// The settings the options window shows and changes, as it reaches them: by what they
// are, with a signal after every change wherever it was made (the main window's menus
// change them too). Portable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velmora {

enum class OptionFlag : int {
  autoplay,
  loop,
  Multiple,
  ToTop,
  Nag,
  Transparency,
  EnableTooltips,
  ShadowMode,
  Fadestop,
  Fadeplay,
  Fadepause,
  EasyMove,
  Randomplay,
  UseProxy,
  LogErrors,
  MediaKeys,
  GlobalKeys,
};
enum class OptionChoice : int { Minimize, VisibleMode };
enum class OptionText : int { Host, Port, User, Password };

class OptionSettings {
 public:
  virtual ~OptionSettings() = default;
  virtual bool Flag(OptionFlag flag) const = 0;
  virtual int32_t Choice(OptionChoice choice) const = 0;
  virtual std::string Text(OptionText text) const = 0;
  // Each change is announced to everyone who shows the settings.
  virtual void SetFlag(OptionFlag flag, bool on) = 0;
  virtual void SetChoice(OptionChoice choice, int32_t value) = 0;
  virtual void SetText(OptionText text, const std::string& value) = 0;
  // Another program holds some of the media keys the player asked for (their check box
  // says so); announced like a change of the settings.
  virtual bool MediaKeysTaken() const = 0;
  // `changed` runs after every change of the settings; an empty function stops it.
  virtual void SetListener(std::function<void()> changed) = 0;
};

}  // namespace velmora
