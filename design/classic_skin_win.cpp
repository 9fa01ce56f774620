// Applying a classic skin: the face is painted from the skin's sheets step by step and
// shown after every step, so a sheet that cannot be read stops the import with the
// picture loader's error and leaves what was done before in place.
#include "design/classic_skin_win.h"

#include <commctrl.h>

#include "design/classic_skin.h"
#include "design/design_apply_win.h"
#include "design/picture_win.h"
#include "ui/control_ids.h"
#include "ui/form_shaper_win.h"
#include "ui/widgets.h"
#include "ui/window_util_win.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

int ControlId(DesignControl c) {
  switch (c) {
    case DesignControl::prevtrackbut: return ids::prevtrackbut;
    case DesignControl::revbut: return ids::revbut;
    case DesignControl::stopbut: return ids::stopbut;
    case DesignControl::pausebut: return ids::pausebut;
    case DesignControl::playbut: return ids::playbut;
    case DesignControl::fwdbut: return ids::fwdbut;
    case DesignControl::nexttrackbut: return ids::nexttrackbut;
    case DesignControl::plbut: return ids::plbut;
    case DesignControl::id3but: return ids::id3but;
    case DesignControl::openbut: return ids::openbut;
    case DesignControl::optionbut: return ids::optionbut;
    case DesignControl::minibut: return ids::minibut;
    case DesignControl::Button1: return ids::Button1;
    case DesignControl::Bitbtn1: return ids::Bitbtn1;
    case DesignControl::Versiontext: return ids::Versiontext;
    case DesignControl::Freq: return ids::Freq;
    case DesignControl::bitr: return ids::bitr;
    case DesignControl::lay: return ids::lay;
    case DesignControl::poslab: return ids::poslab;
    case DesignControl::banner2: return ids::banner2;
    case DesignControl::lengthlab: return ids::lengthlab;
    case DesignControl::Statictext1: return ids::Statictext1;
    case DesignControl::tb: return ids::tb;
    case DesignControl::volbar: return ids::volbar;
    case DesignControl::Banner1: return ids::Banner1;
    case DesignControl::Count: break;
  }
  return 0;
}

const ClassicPlace& PlaceOf(DesignControl c) {
  for (const ClassicPlace& p : ClassicPlaces())
    if (p.control == c) return p;
  return ClassicPlaces().front();
}

class ClassicImport {
 public:
  ClassicImport(const DesignStage& stage, const std::string& name)
      : stage_(stage), name_(name), main_(stage.main_window) {}

  void Run() {
    if (!main_) return;
    // A classic skin is a plain rectangle. The outline of an earlier design is dropped
    // too, so switching "Transparency" later cannot clip the skin with it.
    ui::FormShaper& shaper = ui::FormShaper::Of(main_);
    shaper.SetActive(false);
    shaper.ClearMask();
    SetWindowPos(main_, nullptr, 0, 0, kClassicWidth, kClassicHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // An earlier design's inactive face on show gives way to the normal one, the way
    // re-activation does.
    HWND deact = GetDlgItem(main_, ids::imdeactivated);
    if (deact && IsWindowVisible(deact)) {
      SendMessageW(main_, WM_ACTIVATEAPP, TRUE, 0);
      ShowWindow(deact, SW_HIDE);
      ShowWindow(GetDlgItem(main_, ids::background), SW_SHOW);
    }

    face_ = ClassicFace(Load(ClassicSheet::main, &main_bmp_));
    slider_colour_ = SliderColourOf(main_bmp_);
    main_bmp_ = Image{};
    ShowFace();

    Image sheet;
    Load(ClassicSheet::cbuttons, &sheet);
    PaintSheet(ClassicSheet::cbuttons, sheet);
    Load(ClassicSheet::titlebar, &sheet);
    PaintSheet(ClassicSheet::titlebar, sheet);
    Load(ClassicSheet::numbers, &sheet);
    digit_colour_ = DigitColourOf(sheet);
    Load(ClassicSheet::shufrep, &sheet);
    PaintSheet(ClassicSheet::shufrep, sheet);

    for (const ClassicPlace& p : ClassicPlaces())
      if (p.look != ClassicLook::slider) Place(p);
    if (!PumpMessages()) return;

    HWND vol = Ctl(DesignControl::volbar), tb = Ctl(DesignControl::tb);
    EnableWindow(vol, FALSE);
    SendMessageW(vol, ui::VSM_SETBKCOLOR, 0, slider_colour_);
    Place(PlaceOf(DesignControl::volbar));
    EnableWindow(vol, TRUE);

    Load(ClassicSheet::posbar, &sheet);
    if (!PumpMessages()) return;
    EnableWindow(tb, FALSE);
    SendMessageW(tb, ui::VSM_SETPICTURE, ui::kHorizontalTrack,
                 reinterpret_cast<LPARAM>(BitmapFromImage(CutOut(sheet, kPositionTrack))));
    SendMessageW(tb, ui::VSM_SETPICTURE, ui::kHorizontalThumb,
                 reinterpret_cast<LPARAM>(BitmapFromImage(CutOut(sheet, kPositionThumb))));
    if (!PumpMessages()) return;
    Place(PlaceOf(DesignControl::tb));
    SendMessageW(tb, ui::VSM_SETBKCOLOR, 0, slider_colour_);
    if (!PumpMessages()) return;
    EnableWindow(tb, TRUE);
    RedrawWindow(main_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }

 private:
  HWND Ctl(DesignControl c) const { return GetDlgItem(main_, ControlId(c)); }

  // Throws with the picture loader's text ("Cannot open file <path>", "Bitmap image is
  // not valid").
  // A sheet with a second file to take it from reads the first file that is there.
  const Image& Load(ClassicSheet sheet, Image* out) {
    const std::vector<std::string> files = SheetFileCandidates(sheet);
    std::string path = DesignFile(stage_.program_folder, name_, files.front());
    for (const std::string& f : files) {
      const std::string candidate = DesignFile(stage_.program_folder, name_, f);
      const DWORD a = ui::FileAttributes(candidate);
      if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) {
        path = candidate;
        break;
      }
    }
    *out = LoadBitmapPicture(path);
    return *out;
  }

  void PaintSheet(ClassicSheet sheet, const Image& img) {
    for (const ClassicPainting& p : ClassicPaintings())
      if (p.sheet == sheet) PaintOnto(face_, img, p.source, p.x, p.y);
    ShowFace();
  }

  // The face goes to the background picture, under every other control.
  void ShowFace() {
    HWND background = GetDlgItem(main_, ids::background);
    if (!background) return;
    ui::SetStaticBitmap(background, BitmapFromImage(face_));
    SetWindowPos(background, HWND_BOTTOM, 0, 0, kClassicWidth, kClassicHeight, SWP_NOACTIVATE);
  }

  void Place(const ClassicPlace& p) {
    HWND w = Ctl(p.control);
    if (!w) return;
    const Colour text = ClassicTextColour(p.look, digit_colour_);
    if (p.control == DesignControl::Banner1) {
      SendMessageW(w, ui::VBM_SETACTIVE, FALSE, 0);
      SetWindowPos(w, nullptr, p.left, p.top, p.width, p.height, SWP_NOZORDER | SWP_NOACTIVATE);
      SendMessageW(w, ui::VBM_SETCOLORS, text, 0);
      SendMessageW(w, ui::VBM_SETFONTSPEC, static_cast<WPARAM>(p.font_points),
                   reinterpret_cast<LPARAM>(kClassicFont));
      SendMessageW(w, ui::VBM_SETACTIVE, TRUE, 0);
      return;
    }
    SetWindowPos(w, nullptr, p.left, p.top, p.width, p.height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (p.look == ClassicLook::place_only || p.look == ClassicLook::slider) return;
    // The label keeps its effects and transparency; only font and colours change.
    LabelEffectStyle style;
    SendMessageW(w, ui::VLM_GETSTYLE, 0, reinterpret_cast<LPARAM>(&style));
    style.font_name = kClassicFont;
    style.font_size = p.font_points;
    style.font_colour = text;
    style.bk_colour = 0;
    SendMessageW(w, ui::VLM_SETSTYLE, 0, reinterpret_cast<LPARAM>(&style));
  }

  // Lets waiting messages run; false when the shutdown began meanwhile.
  bool PumpMessages() {
    ui::PumpWaitingMessages(1000);  // bounded, so a flood of messages cannot hold it up
    return !stage_.core->Closing();
  }

  const DesignStage& stage_;
  std::string name_;
  HWND main_;
  Image main_bmp_;
  Image face_;
  Colour slider_colour_ = 0;
  Colour digit_colour_ = kDefaultDigitColour;
};

}  // namespace

void ImportClassicSkin(const DesignStage& stage, const std::string& name) {
  ClassicImport(stage, name).Run();
}

}  // namespace velmora
