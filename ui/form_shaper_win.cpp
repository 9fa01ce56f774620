#include "ui/form_shaper_win.h"

#include <map>
#include <memory>

#include "ui/handles_win.h"

namespace velmora::ui {

namespace {
std::map<HWND, std::unique_ptr<FormShaper>>& Shapers() {
  static std::map<HWND, std::unique_ptr<FormShaper>> shapers;
  return shapers;
}
}  // namespace

FormShaper& FormShaper::Of(HWND owner) {
  auto& slot = Shapers()[owner];
  if (!slot) slot = std::make_unique<FormShaper>(owner);
  return *slot;
}

void FormShaper::Forget(HWND owner) { Shapers().erase(owner); }

HRGN RegionFromRuns(const std::vector<OutlineRun>& runs) {
  if (runs.empty()) return nullptr;
  // One region from all rectangles at once: far quicker than combining them one by one.
  const size_t bytes = sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[bytes]);
  if (!buffer) return nullptr;
  auto* data = reinterpret_cast<RGNDATA*>(buffer.get());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(runs.size());
  data->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  RECT bounds{runs[0].x0, runs[0].y, runs[0].x1, runs[0].y + 1};
  auto* rects = reinterpret_cast<RECT*>(data->Buffer);
  for (size_t i = 0; i < runs.size(); ++i) {
    const auto& r = runs[i];
    rects[i] = {r.x0, r.y, r.x1, r.y + 1};
    if (r.x0 < bounds.left) bounds.left = r.x0;
    if (r.x1 > bounds.right) bounds.right = r.x1;
    if (r.y + 1 > bounds.bottom) bounds.bottom = r.y + 1;
  }
  data->rdh.rcBound = bounds;
  HRGN rgn = ExtCreateRegion(nullptr, static_cast<DWORD>(bytes), data);
  if (rgn) return rgn;
  // Fall back to combining rectangles one by one.
  rgn = CreateRectRgn(0, 0, 0, 0);
  for (const auto& r : runs) {
    UniqueRegion part(CreateRectRgn(r.x0, r.y, r.x1, r.y + 1));
    CombineRgn(rgn, rgn, part.get(), RGN_OR);
  }
  return rgn;
}

void FormShaper::SetMask(std::vector<OutlineRun> runs, int width, int height) {
  runs_ = std::move(runs);
  if (width > 0 && height > 0)
    SetWindowPos(owner_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Apply();
}

void FormShaper::ClearMask() {
  runs_.clear();
  Apply();
}

void FormShaper::SetActive(bool active) {
  active_ = active;
  Apply();
}

void FormShaper::Apply() {
  if (!IsWindow(owner_)) return;
  UniqueRegion rgn(active_ ? RegionFromRuns(runs_) : nullptr);
  // The window owns the region after SetWindowRgn succeeds.
  if (SetWindowRgn(owner_, rgn.get(), TRUE)) rgn.release();
}

}  // namespace velmora::ui
