// How the playlist window paints its list, where a design says so: text colours for the
// rows and the current row, background colours of the list and of selected rows, and the
// font's face. What is not set keeps the system's look. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

struct PlaylistLook {
  // Colour values ($00BBGGRR).
  std::optional<uint32_t> normal_text;
  std::optional<uint32_t> current_text;
  std::optional<uint32_t> normal_background;
  std::optional<uint32_t> selected_background;
  std::string font;  // face name; empty for the list's usual font

  bool operator==(const PlaylistLook& o) const {
    return normal_text == o.normal_text && current_text == o.current_text &&
           normal_background == o.normal_background &&
           selected_background == o.selected_background && font == o.font;
  }
};

}  // namespace velmora
