// TFormShaper: clips a window to the outline of a mask picture (black outside, every
// other colour inside). Assigning a mask resizes the window to the mask's size; the
// outline is in force only while the shaper is active, and an empty outline (an
// all-black mask) is never applied, so the window stays a plain rectangle.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/outline_run.h"

namespace velmora::ui {

class FormShaper {
 public:
  // The shaper of a top-level window (made on first use, forgotten with Forget).
  static FormShaper& Of(HWND owner);
  static void Forget(HWND owner);

  explicit FormShaper(HWND owner) : owner_(owner) {}

  // Takes the mask's outline and size; resizes the owner to the size.
  void SetMask(std::vector<OutlineRun> runs, int width, int height);
  void ClearMask();
  void SetActive(bool active);
  bool Active() const { return active_; }
  bool HasOutline() const { return !runs_.empty(); }

 private:
  void Apply();

  HWND owner_;
  bool active_ = false;
  std::vector<OutlineRun> runs_;
};

// A region made of the outline's one-pixel-high rectangles; null for an empty outline.
HRGN RegionFromRuns(const std::vector<OutlineRun>& runs);

}  // namespace velmora::ui
