// A list box that holds no text of its own: an owner-data (LBS_NODATA) list drawn from a
// vector of texts the model owns, so 100,000 rows cost nothing to show. It still answers
// the standard list-box queries, from this process and from others: LB_GETCOUNT and
// LB_GETSEL natively, LB_GETTEXT and LB_GETTEXTLEN from the texts.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "playlist/playlist_look.h"
#include "ui/accessible_win.h"
#include "ui/handles_win.h"

namespace velmora {

class VirtualList : private ui::AccessibleSource {
 public:
  VirtualList() = default;
  ~VirtualList();
  VirtualList(const VirtualList&) = delete;
  VirtualList& operator=(const VirtualList&) = delete;

  // `texts` must outlive the control. `extra_style` adds e.g. WS_VISIBLE, LBS_EXTENDEDSEL.
  HWND Create(HWND parent, int id, const std::vector<std::string>* texts, DWORD extra_style, int x,
              int y, int width, int height);
  HWND Handle() const { return hwnd_; }

  // Number of rows shown (LB_SETCOUNT); selection marks of surviving rows are kept.
  void SetCount(size_t count);
  void Redraw() const;

  // Selection marks, both ways. Marks holds one byte per row.
  void ReadMarks(std::vector<uint8_t>& marks) const;
  void WriteMarks(const std::vector<uint8_t>& marks);
  // LB_GETCARETINDEX, -1 for an empty list.
  int Caret() const;
  void SetCaret(int row);

  // The colours and font the rows are drawn with (unset parts: the system's), and the
  // row drawn in the current row's colour (-1 for none).
  void SetLook(const PlaylistLook& look);
  void SetCurrentRow(int row);

  // WM_DRAWITEM / WM_MEASUREITEM sent to the parent for this control.
  void DrawItem(const DRAWITEMSTRUCT& item) const;
  static int ItemHeight(HWND parent);

  // Called for messages that reach the control before the list box sees them; return
  // true to consume. Used for the keys and clicks the window reacts to.
  std::function<bool(UINT msg, WPARAM wp, LPARAM lp)> before;
  // Called when someone else (another process, the keyboard) changed the marks.
  std::function<void()> marks_changed;

 private:
  // Screen readers: the list and its rows (list items named by their texts).
  bool Describe(long item, ui::AccessibleInfo& info) override;
  long ItemCount() override;
  long FocusedItem() override;

  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR data) noexcept;
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

  HWND hwnd_ = nullptr;
  const std::vector<std::string>* texts_ = nullptr;
  bool writing_marks_ = false;
  PlaylistLook look_;
  ui::UniqueFont look_font_;
  int current_row_ = -1;
};

}  // namespace velmora
