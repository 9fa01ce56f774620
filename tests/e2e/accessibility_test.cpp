// Screen readers and the keyboard, as another program sees them: the main window's buttons
// and sliders read through oleacc under two designs (names, roles, the position's value
// while playing, the Play button's default action), a playlist row named by its text, and
// the tab order in the order the controls are seen.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "external_ctl.h"
#include "harness/harness.h"
#include "ui/control_ids.h"
#include "ui/widgets.h"

namespace velmora::e2e {
namespace {

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
};

// The client object of a window, released with its owner.
class Object {
 public:
  explicit Object(HWND window) {
    void* out = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                             IID_IAccessible, &out)))
      acc_ = static_cast<IAccessible*>(out);
  }
  ~Object() {
    if (acc_) acc_->Release();
  }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  IAccessible* operator->() const { return acc_; }
  explicit operator bool() const { return acc_ != nullptr; }

  std::string Name(long child = CHILDID_SELF) const {
    return Text(&IAccessible::get_accName, child);
  }
  std::string Value(long child = CHILDID_SELF) const {
    return Text(&IAccessible::get_accValue, child);
  }
  std::string Description() const { return Text(&IAccessible::get_accDescription, CHILDID_SELF); }
  long Role(long child = CHILDID_SELF) const {
    VARIANT role;
    VariantInit(&role);
    if (acc_->get_accRole(Child(child), &role) != S_OK || role.vt != VT_I4) return -1;
    return role.lVal;
  }
  long State(long child) const {
    VARIANT state;
    VariantInit(&state);
    if (acc_->get_accState(Child(child), &state) != S_OK || state.vt != VT_I4) return -1;
    return state.lVal;
  }

 private:
  static VARIANT Child(long child) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = child;
    return v;
  }
  std::string Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
                   long child) const {
    BSTR text = nullptr;
    if ((acc_->*get)(Child(child), &text) != S_OK || !text) return "";
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
    SysFreeString(text);
    return out;
  }

  IAccessible* acc_ = nullptr;
};

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> out;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
  return out;
}

RECT ScreenRect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

class Accessibility : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    registry::ClearSettings();
    registry::WriteDword("Nag", 0);
    registry::WriteString("design", GetParam());
    folder_.AddPlugin("probe.dll", "probe.dll", std::string("extensions=PRB\nlength_ms=600000\n"));
    const std::string a = folder_.MakeMediaFile("first song.prb");
    const std::string b = folder_.MakeMediaFile("second song.prb");
    folder_.WriteFile("pl.m3u", a + "\r\n" + b + "\r\n");
  }

  ComApartment com_;
  TestFolder folder_;
  PlayerProcess player_;
};

TEST_P(Accessibility, ReadersAndTheKeyboardReachEveryControl) {
  ASSERT_TRUE(player_.Start(folder_));
  ASSERT_TRUE(player_.WaitForStartup());
  HWND main = player_.MainWindow();
  ASSERT_TRUE(WaitUntil([&] { return IsControlEnabled(main, ids::playbut); }));
  ProbeLog log(folder_);
  ASSERT_TRUE(log.WaitFor("extension"));  // the library scan has run: files can load

  // Play is pressed through its default action.
  {
    Object play(Control(main, ids::playbut));
    ASSERT_TRUE(play);
    EXPECT_EQ(play.Name(), "Play");
    EXPECT_EQ(play.Description(), "Play");
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR action = nullptr;
    ASSERT_EQ(play->get_accDefaultAction(self, &action), S_OK);
    EXPECT_STREQ(action, L"Press");
    SysFreeString(action);
    ASSERT_EQ(play->accDoDefaultAction(self), S_OK);
  }
  ASSERT_TRUE(log.WaitFor("play first song.prb"));
  ASSERT_TRUE(WaitUntil([&] { return IsControlEnabled(main, ids::stopbut); }));

  // Every button and slider shown has a name and the role of what it is; glyph captions
  // (">", "||") are never what a reader says.
  int buttons = 0, sliders = 0;
  for (HWND c : Children(main)) {
    const std::string cls = ClassNameOf(c);
    if (!IsWindowVisible(c) || (cls != ui::kImageButtonClass && cls != ui::kSliderClass)) continue;
    Object o(c);
    ASSERT_TRUE(o) << GetDlgCtrlID(c);
    const std::string name = o.Name();
    EXPECT_FALSE(name.empty()) << GetDlgCtrlID(c);
    EXPECT_EQ(name.find_first_of("<>|[]"), std::string::npos) << name;
    if (cls == ui::kImageButtonClass) {
      ++buttons;
      EXPECT_EQ(o.Role(), ROLE_SYSTEM_PUSHBUTTON) << name;
    } else {
      ++sliders;
      EXPECT_EQ(o.Role(), ROLE_SYSTEM_SLIDER) << name;
    }
  }
  EXPECT_GE(buttons, 7);
  EXPECT_EQ(sliders, 2);
  {
    Object next(Control(main, ids::nexttrackbut));
    EXPECT_EQ(next.Name(), "Next track");
    Object title(Control(main, ids::Banner1));
    EXPECT_EQ(title.Role(), ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(title.Name(), ControlText(main, ids::Banner1));
    Object time(Control(main, ids::lengthlab));
    EXPECT_EQ(time.Role(), ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(time.Name(), "10:00");
    Object volume(Control(main, ids::volbar));
    EXPECT_TRUE(std::regex_match(volume.Value(), std::regex(R"(\d{1,3}%)"))) << volume.Value();
  }

  // The position reads as time and moves while playing.
  {
    Object position(Control(main, ids::tb));
    const std::regex clock(R"(\d+:\d\d of 10:00)");
    const std::string first = position.Value();
    EXPECT_TRUE(std::regex_match(first, clock)) << first;
    std::string later;
    EXPECT_TRUE(WaitUntil([&] {
      later = position.Value();
      return later != first;
    })) << first;
    EXPECT_TRUE(std::regex_match(later, clock)) << later;
  }

  // The tab order runs row by row, each row left to right, through every enabled button
  // and slider shown.
  std::vector<HWND> order;
  for (HWND c = GetNextDlgTabItem(main, nullptr, FALSE); c && order.size() < 64;
       c = GetNextDlgTabItem(main, c, FALSE)) {
    if (!order.empty() && c == order.front()) break;
    order.push_back(c);
  }
  // (A design hides a control by placing it outside the window.)
  int reachable = 0;
  const RECT window = ScreenRect(main);
  for (HWND c : Children(main)) {
    const std::string cls = ClassNameOf(c);
    RECT rc = ScreenRect(c), seen{};
    if (IsWindowVisible(c) && IsWindowEnabled(c) && IntersectRect(&seen, &rc, &window) &&
        (cls == ui::kImageButtonClass || cls == ui::kSliderClass))
      ++reachable;
  }
  EXPECT_EQ(static_cast<int>(order.size()), reachable);
  for (size_t i = 1; i < order.size(); ++i) {
    const RECT a = ScreenRect(order[i - 1]), b = ScreenRect(order[i]);
    const int mid_a = (a.top + a.bottom) / 2, mid_b = (b.top + b.bottom) / 2;
    const bool same_row = std::abs(mid_a - mid_b) < (a.bottom - a.top) / 2 + 1;
    EXPECT_TRUE(same_row ? b.left > a.left : mid_b > mid_a)
        << GetDlgCtrlID(order[i - 1]) << " then " << GetDlgCtrlID(order[i]);
  }

  // A Tab sent to the window puts the focus on the first of them; an arrow key on the
  // focused volume slider moves it as a drag does.
  PostMessageA(main, WM_KEYDOWN, VK_TAB, 0);
  GUITHREADINFO gui{sizeof gui};
  const DWORD thread = GetWindowThreadProcessId(main, nullptr);
  EXPECT_TRUE(WaitUntil([&] {
    return GetGUIThreadInfo(thread, &gui) && !order.empty() && gui.hwndFocus == order.front();
  }));
  // The focused control wears a dotted rectangle in the design's text colour.
  const COLORREF mark =
      static_cast<COLORREF>(SendMessageA(Control(main, ids::Banner1), ui::VBM_GETTEXTCOLOR, 0, 0));
  const RECT focused = ScreenRect(order.front());
  HDC screen = GetDC(nullptr);
  EXPECT_TRUE(WaitUntil([&] {
    return GetPixel(screen, focused.left, focused.top + 2) == mark &&
           GetPixel(screen, focused.left, focused.top + 4) == mark &&
           GetPixel(screen, focused.left + 4, focused.top) == mark;
  }));
  ReleaseDC(nullptr, screen);

  HWND volume = Control(main, ids::volbar);
  const int before = SliderPos(main, ids::volbar);
  const int key = before >= 240 ? VK_LEFT : VK_RIGHT;
  PostMessageA(volume, WM_KEYDOWN, key, 0);
  EXPECT_TRUE(WaitUntil(
      [&] { return SliderPos(main, ids::volbar) == before + (key == VK_RIGHT ? 10 : -10); }));
  // The level follows, as after a drag (the answer is the slider's percentage).
  const int expected = SliderPos(main, ids::volbar) * 100 / 250;
  EXPECT_TRUE(WaitUntil([&] {
    const auto level = SendRegistered(main, "VelmoraGetVolume");
    return level && static_cast<int>(*level) == expected;
  }));

  // Page Up on the position slider seeks as a release of the thumb does.
  PostMessageA(Control(main, ids::tb), WM_KEYDOWN, VK_PRIOR, 0);
  EXPECT_TRUE(log.WaitForCount("jumpto", 1));

  // The playlist's rows are list items named by their texts.
  ASSERT_TRUE(SendRegistered(main, "VelmoraShowPlaylist").has_value());
  HWND playlist = player_.FindWindowOfClassWait("TForm3");
  ASSERT_NE(playlist, nullptr);
  HWND list = Control(playlist, ids::pl);
  ASSERT_TRUE(WaitUntil([&] { return ListCount(playlist, ids::pl) == 2; }));
  Object rows(list);
  ASSERT_TRUE(rows);
  EXPECT_EQ(rows.Role(), ROLE_SYSTEM_LIST);
  long count = 0;
  EXPECT_EQ(rows->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 2);
  VARIANT self, next;
  VariantInit(&self);
  VariantInit(&next);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  ASSERT_EQ(rows->accNavigate(NAVDIR_LASTCHILD, self, &next), S_OK);
  ASSERT_EQ(next.vt, VT_I4);
  EXPECT_EQ(next.lVal, 2);
  EXPECT_EQ(rows.Role(2), ROLE_SYSTEM_LISTITEM);
  EXPECT_EQ(rows.Name(2), ListText(playlist, ids::pl, 1));
  EXPECT_FALSE(rows.Name(2).empty());
  EXPECT_NE(rows.State(2), -1);
  EXPECT_TRUE(player_.Close());
}

INSTANTIATE_TEST_SUITE_P(Designs, Accessibility, ::testing::Values("Default", "Compact"));

}  // namespace
}  // namespace velmora::e2e
