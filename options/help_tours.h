// The Help page's three guided tours: each walks the mouse cursor to the control to use
// and says what to do in one line. Portable: the windows are reached through TourHost.
#pragma once

#include <optional>
#include <utility>
#include <string>

#include "options/glide_cursor.h"

namespace velmora {

enum class TourTarget { OptionsButton, PlaylistButton, OpenButton, DesignListArrow };

class TourHost : public CursorDevice {
 public:
  // The screen point the tour walks to; none when the control is not there.
  virtual std::optional<std::pair<int, int>> TargetPoint(TourTarget target) = 0;
  // The line of the Help page that tells the current step ("infor").
  virtual void SetStepText(const std::string& text) = 0;
  // Waits without letting messages run (the tour's pauses).
  virtual void Wait(int milliseconds) = 0;
  // The options button's drop-down menu at (x, y); returns when the user closed it.
  virtual void ShowSetupMenu(int x, int y) = 0;
  virtual void ShowDesignChooser() = 0;
};

// Each tour starts where the cursor is (the label just clicked). A goal the cursor cannot
// reach ends the tour there.
void ChangeDesignTour(TourHost& host);
void EditPlaylistTour(TourHost& host);
void OpenFilesTour(TourHost& host);

}  // namespace velmora
