#include "design/design_apply_win.h"

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "design/design_folder.h"
#include "design/main_ini.h"
#include "design/outline.h"
#include "design/picture_win.h"
#include "ui/control_ids.h"
#include "ui/wide_win.h"
#include "ui/form_shaper_win.h"
#include "ui/gdi_win.h"
#include "ui/widgets.h"
#include "ui/window_util_win.h"
#include "ui/utf8.h"

namespace velmora {

namespace {

// A design cannot make a control or the window larger or further away than this; the
// window system would refuse (or try to allocate) anything beyond.
constexpr int32_t kMaxExtent = 8192;

int ControlId(DesignControl c) {
  static const int ids_by_control[] = {
      ids::prevtrackbut, ids::revbut,       ids::stopbut, ids::pausebut, ids::playbut,
      ids::fwdbut,       ids::nexttrackbut, ids::plbut,   ids::id3but,   ids::openbut,
      ids::optionbut,    ids::minibut,      ids::Button1, ids::Bitbtn1,  ids::Versiontext,
      ids::Freq,         ids::bitr,         ids::lay,     ids::poslab,   ids::banner2,
      ids::lengthlab,    ids::Statictext1,  ids::tb,      ids::volbar,   ids::Banner1};
  return ids_by_control[static_cast<int>(c)];
}

// Bounded, so a flood of messages cannot hold up applying a design.
void PumpMessages() { ui::PumpWaitingMessages(1000); }

bool Exists(const std::string& path) {
  const DWORD a = ui::FileAttributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ListDir(const std::string& dir, std::vector<DirEntry>* entries) {
  return ui::ForEachFile(dir + "\\*", [&](const ui::FoundFile& fd) {
    entries->push_back({fd.name, (fd.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  });
}

// The main window's controls as main.ini sees them.
class MainWindowTarget : public DesignTarget {
 public:
  explicit MainWindowTarget(const DesignStage& stage)
      : core_(*stage.core), main_(stage.main_window) {}

  int32_t MainSize(Edge e) const override {
    RECT r{};
    GetWindowRect(main_, &r);
    return e == Edge::Width ? r.right - r.left : r.bottom - r.top;
  }
  void SetMainSize(Edge e, int32_t v) override {
    v = std::clamp(v, 1, kMaxExtent);
    const int w = e == Edge::Width ? v : MainSize(Edge::Width);
    const int h = e == Edge::Height ? v : MainSize(Edge::Height);
    SetWindowPos(main_, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Colour HintColour() const override { return ui::HintColor(); }
  void SetHintColour(Colour c) override { ui::SetHintColor(ui::ResolveColour(c)); }

  int32_t Geometry(DesignControl c, Edge e) const override {
    RECT r{};
    HWND w = Ctl(c);
    if (!w) return 0;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&r), 2);
    switch (e) {
      case Edge::Top: return r.top;
      case Edge::Left: return r.left;
      case Edge::Width: return r.right - r.left;
      case Edge::Height: return r.bottom - r.top;
    }
    return 0;
  }
  void SetGeometry(DesignControl c, Edge e, int32_t v) override {
    HWND w = Ctl(c);
    if (!w) return;
    int32_t top = Geometry(c, Edge::Top), left = Geometry(c, Edge::Left);
    int32_t width = Geometry(c, Edge::Width), height = Geometry(c, Edge::Height);
    switch (e) {
      case Edge::Top: top = std::clamp(v, -kMaxExtent, kMaxExtent); break;
      case Edge::Left: left = std::clamp(v, -kMaxExtent, kMaxExtent); break;
      case Edge::Width: width = std::clamp(v, 0, kMaxExtent); break;
      case Edge::Height: height = std::clamp(v, 0, kMaxExtent); break;
    }
    SetWindowPos(w, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void SetEnabled(DesignControl c, bool enabled) override { EnableWindow(Ctl(c), enabled); }
  void SetNoBorder(DesignControl c, bool nb) override {
    SendMessageW(Ctl(c), ui::VMB_SETNOBORDER, nb, 0);
  }

  LabelEffectStyle LabelStyle(DesignControl c) const override {
    LabelEffectStyle s;
    SendMessageW(Ctl(c), ui::VLM_GETSTYLE, 0, reinterpret_cast<LPARAM>(&s));
    return s;
  }
  void SetLabelStyle(DesignControl c, const LabelEffectStyle& s) override {
    SendMessageW(Ctl(c), ui::VLM_SETSTYLE, 0, reinterpret_cast<LPARAM>(&s));
  }
  void SetTimeColours(Colour elapsed, Colour remaining) override {
    core_.SetTimeColours(elapsed, remaining);
  }
  void SetTimeModeElapsed() override {
    // The label shows elapsed time from here on; its colour comes with the keys below.
    core_.ShowTimeElapsed();
  }

  Colour SliderColour(DesignControl c) const override {
    return static_cast<Colour>(SendMessageW(Ctl(c), ui::VSM_GETBKCOLOR, 0, 0));
  }
  void SetSliderColour(DesignControl c, Colour col) override {
    SendMessageW(Ctl(c), ui::VSM_SETBKCOLOR, 0, col);
  }
  void SetSliderVertical(DesignControl c, bool v) override {
    SendMessageW(Ctl(c), ui::VSM_SETVERTICAL, v, 0);
  }

  TitleLook Title() const override {
    TitleLook t;
    COLORREF text = 0, bk = 0;
    HWND w = Ctl(DesignControl::Banner1);
    if (SendMessageW(w, ui::VBM_GETCOLORS, reinterpret_cast<WPARAM>(&text),
                     reinterpret_cast<LPARAM>(&bk))) {
      t.colour = text;
      t.bk_colour = bk;
    }
    char face[LF_FACESIZE] = "";
    t.font_size = static_cast<int32_t>(
        SendMessageW(w, ui::VBM_GETFONTSPEC, sizeof face, reinterpret_cast<LPARAM>(face)));
    t.font_name = face;
    return t;
  }
  void SetTitle(const TitleLook& t) override {
    HWND w = Ctl(DesignControl::Banner1);
    SendMessageW(w, ui::VBM_SETCOLORS, t.colour, t.bk_colour);
    SendMessageW(w, ui::VBM_SETFONTSPEC, static_cast<WPARAM>(t.font_size),
                 reinterpret_cast<LPARAM>(t.font_name.c_str()));
  }
  void SetTitleScrolling(bool on) override {
    SendMessageW(Ctl(DesignControl::Banner1), ui::VBM_SETACTIVE, on, 0);
  }

 private:
  HWND Ctl(DesignControl c) const { return GetDlgItem(main_, ControlId(c)); }
  DesignHostTarget& core_;
  HWND main_;
};

const DesignControl kButtonImageOrder[] = {
    DesignControl::prevtrackbut, DesignControl::fwdbut,       DesignControl::playbut,
    DesignControl::pausebut,     DesignControl::stopbut,      DesignControl::revbut,
    DesignControl::optionbut,    DesignControl::Bitbtn1,      DesignControl::Button1,
    DesignControl::minibut,      DesignControl::nexttrackbut, DesignControl::openbut,
    DesignControl::plbut,        DesignControl::id3but};

// Loads a slider picture into the slot its orientation uses.
void LoadSliderPicture(HWND slider, const std::string& path, bool thumb) {
  const bool vertical = SendMessageW(slider, ui::VSM_GETVERTICAL, 0, 0) != 0;
  const Image img = LoadBitmapPicture(path);
  const int index = thumb ? (vertical ? ui::kVerticalThumb : ui::kHorizontalThumb)
                          : (vertical ? ui::kVerticalTrack : ui::kHorizontalTrack);
  SendMessageW(slider, ui::VSM_SETPICTURE, index, reinterpret_cast<LPARAM>(BitmapFromImage(img)));
}

}  // namespace

std::string DesignFile(const std::string& program_folder, const std::string& name,
                       const std::string& file) {
  // Windows matches names without regard to case already; the resolver also keeps the
  // spelling found on disk, which is what messages and file systems that keep case need.
  return ResolveNoCase(program_folder, "design\\" + name + "\\" + file, ListDir, '\\');
}

bool LoadMainIni(const DesignStage& stage, const std::string& name) {
  const std::string path = DesignFile(stage.program_folder, name, "main.ini");
  std::ifstream in(ui::PathFromUtf8(path), std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  MainWindowTarget target(stage);
  ApplyMainIni(IniFile::Parse(text.str()), target);
  return true;
}

void ClearButtonImages(HWND main_window) {
  for (int i = 0; i < kButtonCount; ++i)
    SendMessageW(GetDlgItem(main_window, ControlId(static_cast<DesignControl>(i))),
                 ui::VMB_SETGLYPH, 0, 0);
}

void BuildButtonImages(const DesignStage& stage, const std::string& folder) {
  const Image back = LoadBitmapPicture(folder + "back.bmp");
  const Image disabled = LoadBitmapPicture(folder + "backbut.bmp");
  PumpMessages();
  if (stage.core->Closing()) return;  // the shutdown ran inside
  MainWindowTarget target(stage);
  for (DesignControl c : kButtonImageOrder) {
    HWND button = GetDlgItem(stage.main_window, ControlId(c));
    if (!button) continue;
    const PixelRect r{target.Geometry(c, Edge::Left), target.Geometry(c, Edge::Top),
                      target.Geometry(c, Edge::Width), target.Geometry(c, Edge::Height)};
    HBITMAP strip = BitmapFromImage(BuildGlyphStrip(back, disabled, r));
    SendMessageW(button, ui::VMB_SETGLYPH, reinterpret_cast<WPARAM>(strip), strip ? 2 : 0);
  }
}

void ApplyFolderDesign(const DesignStage& stage, FolderDesignState& state,
                       const std::string& name) {
  HWND main = stage.main_window;
  if (!main) return;
  DesignHostTarget& core = *stage.core;
  const std::string folder = DesignFile(stage.program_folder, name, "");
  const std::string F = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
  auto file = [&](const char* f) { return DesignFile(stage.program_folder, name, f); };
  ui::FormShaper& shaper = ui::FormShaper::Of(main);

  // The window loses its shape while the design changes; buttons lose their pictures
  // unless the design brings its own, and main.ini places the controls.
  shaper.SetActive(false);
  if (!Exists(file("backbut.bmp"))) ClearButtonImages(main);
  if (Exists(file("main.ini"))) LoadMainIni(stage, name);
  // The slider pictures the design brings, while the sliders are disabled.
  HWND tb = GetDlgItem(main, ids::tb), vol = GetDlgItem(main, ids::volbar);
  EnableWindow(tb, FALSE);
  EnableWindow(vol, FALSE);
  auto optional_picture = [&](const char* f, auto&& load) {
    // A broken optional picture is skipped like a missing one.
    const std::string p = file(f);
    if (!Exists(p)) return false;
    try {
      load(p);
    } catch (const std::exception&) {
      return false;
    }
    return true;
  };
  optional_picture("posruler.bmp", [&](const std::string& p) { LoadSliderPicture(tb, p, false); });
  optional_picture("posthumb.bmp", [&](const std::string& p) { LoadSliderPicture(tb, p, true); });
  optional_picture("volthumb.bmp", [&](const std::string& p) { LoadSliderPicture(vol, p, true); });
  const bool ruler = optional_picture(
      "volruler.bmp", [&](const std::string& p) { LoadSliderPicture(vol, p, false); });
  // Without a ruler of the design's own, the volume thumb follows the level.
  core.SetOwnVolumeRuler(ruler);
  // Let the window catch up, then the sliders work again.
  PumpMessages();
  if (core.Closing()) return;  // the shutdown ran inside
  EnableWindow(tb, TRUE);
  EnableWindow(vol, TRUE);
  core.ShowStatus("Loaded ok ...");
  // The background picture.
  const Image back = LoadBitmapPicture(file("back.bmp"));
  ui::SetStaticBitmap(GetDlgItem(main, ids::background), BitmapFromImage(back));
  // The two faces lie under every other control, the inactive one over the normal one.
  for (int id : {ids::imdeactivated, ids::background})
    SetWindowPos(GetDlgItem(main, id), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The picture shown while the program is inactive, when the design has one.
  HWND deact = GetDlgItem(main, ids::imdeactivated);
  if (optional_picture("deact.bmp", [&](const std::string& p) {
        ui::SetStaticBitmap(deact, BitmapFromImage(LoadBitmapPicture(p)));
      })) {
    state.deact_image_available = true;
  } else {
    if (deact && IsWindowVisible(deact)) {
      // Bring the normal face back the way re-activation does.
      SendMessageW(main, WM_ACTIVATEAPP, TRUE, 0);
      ShowWindow(deact, SW_HIDE);
      ShowWindow(GetDlgItem(main, ids::background), SW_SHOW);
    }
    state.deact_image_available = false;
  }
  // The window's shape from the design's mask.
  {
    const Image mask = LoadBitmapPicture(file("mask.bmp"));
    shaper.SetMask(OutlineRuns(mask), mask.width, mask.height);
    for (int id : {ids::background, ids::imdeactivated})
      if (HWND w = GetDlgItem(main, id))
        SetWindowPos(w, nullptr, 0, 0, mask.width, mask.height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (core.Transparency()) shaper.SetActive(true);
  }
  // The button pictures.
  if (Exists(file("backbut.bmp"))) BuildButtonImages(stage, F);
  if (core.Closing()) return;
  RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace velmora
