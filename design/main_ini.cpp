#include "design/main_ini.h"

namespace velmora {

namespace {

struct ControlInfo {
  const char* name;
  const char* prefix;
  const char* hint;
};

const ControlInfo kControls[] = {
    {"prevtrackbut", "prev", "Previous Track"},
    {"revbut", "rev", "Rewind"},
    {"stopbut", "stop", "Stop"},
    {"pausebut", "pause", "Pause"},
    {"playbut", "play", "Play"},
    {"fwdbut", "fwd", "Fast Forward"},
    {"nexttrackbut", "next", "Next Track"},
    {"plbut", "plist", "Playlist"},
    {"id3but", "id3", "ID3 Tag 1.0/2.0 (Autodetected)"},
    {"openbut", "open", "Add Song/Playlist to the current playlist"},
    {"optionbut", "option", "General Popup Menu"},
    {"minibut", "mini", "Minimize"},
    {"Button1", "move", "Move Window"},
    {"Bitbtn1", "exit", "Exit"},
    {"Versiontext", "versiontext", ""},
    {"Freq", "frequency", ""},
    {"bitr", "bitrate", ""},
    {"lay", "layer", ""},
    {"poslab", "time", ""},
    {"banner2", "info", ""},
    {"lengthlab", "totaltime", ""},
    {"Statictext1", "totalinfo", ""},
    {"tb", "tbbar", ""},
    {"volbar", "volbar", ""},
    {"Banner1", "songtitle", ""},
};
static_assert(sizeof(kControls) / sizeof(kControls[0]) ==
              static_cast<size_t>(DesignControl::Count));

const char kSection[] = "main";

class Reader {
 public:
  Reader(const IniFile& ini, DesignTarget& t) : ini_(ini), t_(t) {}

  int32_t Int(const std::string& key, int32_t def) const {
    return ini_.ReadInteger(kSection, key, def);
  }
  bool Bool(const std::string& key, bool def) const { return ini_.ReadBool(kSection, key, def); }
  Colour Col(const std::string& key, Colour def) const {
    return static_cast<Colour>(ini_.ReadInteger(kSection, key, static_cast<int32_t>(def)));
  }
  std::string Str(const std::string& key, const std::string& def) const {
    // An empty font name would leave the label with whatever face the system picks.
    auto v = ini_.Value(kSection, key);
    return v && !v->empty() ? *v : def;
  }

  void Geometry(DesignControl c, const std::string& prefix, Edge e) {
    static const char* const suffix[] = {"top", "left", "width", "height"};
    t_.SetGeometry(c, e, Int(prefix + suffix[static_cast<int>(e)], t_.Geometry(c, e)));
  }

  // One key of a label: read the label, change one property through its setter, write it
  // back, so every key takes effect in turn.
  template <typename F>
  void Label(DesignControl c, F&& change) {
    LabelEffectStyle s = t_.LabelStyle(c);
    change(s);
    t_.SetLabelStyle(c, s);
  }

  const IniFile& ini_;
  DesignTarget& t_;
};

// place prefix (pp) is used for top/left/width/height/font/fontsize/color/bkcolor/transparent,
// effect prefix (ep) for the effect keys.
void ApplyTransparent(Reader& r, DesignControl c, const std::string& pp) {
  r.Label(c, [&](LabelEffectStyle& s) { s.transparent = r.Bool(pp + "transparent", false); });
}

void ApplyEffects(Reader& r, DesignControl c, const std::string& ep) {
  r.Label(c,
          [&](LabelEffectStyle& s) { s.keep_letters_vertical = r.Bool(ep + "vertical", false); });
  r.Label(c,
          [&](LabelEffectStyle& s) { s.SetEffectStyle(EffectFromIni(r.Int(ep + "effect", 0))); });
  r.Label(c, [&](LabelEffectStyle& s) { s.SetDepthHighlight(r.Int(ep + "depthH", 0)); });
  r.Label(c, [&](LabelEffectStyle& s) { s.SetDepthShadow(r.Int(ep + "depthS", 0)); });
  r.Label(c, [&](LabelEffectStyle& s) { s.angle = r.Int(ep + "angle", 0); });
  r.Label(c, [&](LabelEffectStyle& s) { s.SetColourHighlight(r.Col(ep + "colorH", 0)); });
  r.Label(c, [&](LabelEffectStyle& s) { s.SetColourShadow(r.Col(ep + "colorS", 0)); });
  r.Label(c, [&](LabelEffectStyle& s) {
    s.SetColourScheme(SchemeFromIni(r.Int(ep + "colourscheme", 0)));
  });
  r.Label(c, [&](LabelEffectStyle& s) {
    s.SetDirectionHighlight(DirectionFromIni(r.Int(ep + "directionhighlight", 4)));
  });
  r.Label(c, [&](LabelEffectStyle& s) {
    s.SetDirectionShadow(DirectionFromIni(r.Int(ep + "directionshadow", 4)));
  });
  r.Label(c, [&](LabelEffectStyle& s) {
    s.SetGraduateFace(GradientFromIni(r.Int(ep + "graduateface", 1)));
  });
  r.Label(c, [&](LabelEffectStyle& s) {
    s.SetGraduateFrom(r.Col(ep + "graduatefrom", kSystemWindowText));
  });
  r.Label(c, [&](LabelEffectStyle& s) {
    s.SetStyleHighlight(StyleFromIni(r.Int(ep + "stylehighlight", 2)));
  });
  r.Label(c, [&](LabelEffectStyle& s) {
    s.SetStyleShadow(StyleFromIni(r.Int(ep + "styleshadow", 2)));
  });
}

void ApplyPlace(Reader& r, DesignControl c, const std::string& pp, bool height_first) {
  r.Geometry(c, pp, Edge::Top);
  r.Geometry(c, pp, Edge::Left);
  if (height_first) {
    r.Geometry(c, pp, Edge::Height);
    r.Geometry(c, pp, Edge::Width);
  } else {
    r.Geometry(c, pp, Edge::Width);
    r.Geometry(c, pp, Edge::Height);
  }
}

void ApplyFont(Reader& r, DesignControl c, const std::string& pp, const std::string& colour_key,
               bool bk_default_black) {
  r.Label(c, [&](LabelEffectStyle& s) { s.font_name = r.Str(pp + "font", s.font_name); });
  r.Label(c, [&](LabelEffectStyle& s) { s.font_size = r.Int(pp + "fontsize", s.font_size); });
  r.Label(c, [&](LabelEffectStyle& s) { s.font_colour = r.Col(colour_key, s.font_colour); });
  r.Label(c, [&](LabelEffectStyle& s) {
    s.bk_colour = r.Col(pp + "bkcolor", bk_default_black ? 0u : s.bk_colour);
  });
}

// version, frequency, bit rate, layer, time: effects first, then place and font, so the
// label's own colour wins over a colour scheme.
void ApplyEffectFirstLabel(Reader& r, DesignControl c, const std::string& pp, const std::string& ep,
                           bool height_first, const std::string& colour_key, bool bk_black) {
  r.t_.SetEnabled(c, false);
  ApplyTransparent(r, c, pp);
  ApplyEffects(r, c, ep);
  ApplyPlace(r, c, pp, height_first);
  ApplyFont(r, c, pp, colour_key, bk_black);
  r.t_.SetEnabled(c, true);
}

// status, total time, total caption: place and font first, then the effects, so a colour
// scheme wins over the label's own colour.
void ApplyPlaceFirstLabel(Reader& r, DesignControl c, const std::string& p, bool height_first) {
  r.t_.SetEnabled(c, false);
  ApplyPlace(r, c, p, height_first);
  ApplyFont(r, c, p, p + "color", false);
  ApplyTransparent(r, c, p);
  ApplyEffects(r, c, p);
  r.t_.SetEnabled(c, true);
}

void ApplySlider(Reader& r, DesignControl c) {
  const std::string p = KeyPrefix(c);
  r.t_.SetEnabled(c, false);
  ApplyPlace(r, c, p, false);
  r.t_.SetSliderColour(c, r.Col(p + "color", r.t_.SliderColour(c)));
  r.t_.SetSliderVertical(c, r.Bool(p + "vertical", false));
  r.t_.SetEnabled(c, true);
}

void ApplyTitle(Reader& r) {
  DesignTarget& t = r.t_;
  const DesignControl c = DesignControl::Banner1;
  t.SetTitleScrolling(false);
  auto title = [&](auto&& change) {
    TitleLook look = t.Title();
    change(look);
    t.SetTitle(look);
  };
  title([&](TitleLook& l) { l.bk_colour = r.Col("songtitlebkcolor", l.bk_colour); });
  title([&](TitleLook& l) { l.colour = r.Col("songtitlecolor", l.colour); });
  ApplyPlace(r, c, "songtitle", false);
  title([&](TitleLook& l) { l.font_name = r.Str("songtitlefont", l.font_name); });
  title([&](TitleLook& l) { l.font_size = r.Int("songtitlefontsize", l.font_size); });
  t.SetTitleScrolling(true);
}

}  // namespace

const char* ControlName(DesignControl c) { return kControls[static_cast<int>(c)].name; }
const char* KeyPrefix(DesignControl c) { return kControls[static_cast<int>(c)].prefix; }
const char* ButtonHint(DesignControl c) { return kControls[static_cast<int>(c)].hint; }

void ApplyMainIni(const IniFile& ini, DesignTarget& t) {
  Reader r(ini, t);
  t.SetMainSize(Edge::Width, r.Int("mainwidth", t.MainSize(Edge::Width)));
  t.SetMainSize(Edge::Height, r.Int("mainheight", t.MainSize(Edge::Height)));

  for (int i = 0; i < kButtonCount; ++i) {
    const auto c = static_cast<DesignControl>(i);
    const std::string p = KeyPrefix(c);
    ApplyPlace(r, c, p, false);
    t.SetNoBorder(c, r.Bool(p + "noborder", false));
  }

  using C = DesignControl;
  ApplyEffectFirstLabel(r, C::Versiontext, "versiontext", "version", false, "versiontextcolor",
                        false);
  ApplyEffectFirstLabel(r, C::Freq, "frequency", "frequency", true, "frequencycolor", false);
  ApplyEffectFirstLabel(r, C::bitr, "bitrate", "bitrate", true, "bitratecolor", false);
  ApplyEffectFirstLabel(r, C::lay, "layer", "layer", true, "layercolor", false);

  const Colour elapsed = r.Col("timecolor", t.LabelStyle(C::poslab).font_colour);
  const Colour remaining = r.Col("timeremainingcolor", kDefaultRemainingTimeColour);
  t.SetTimeColours(elapsed, remaining);
  t.SetTimeModeElapsed();
  ApplyEffectFirstLabel(r, C::poslab, "time", "time", false, "timecolor", true);

  ApplyPlaceFirstLabel(r, C::banner2, "info", false);
  ApplyPlaceFirstLabel(r, C::lengthlab, "totaltime", false);
  ApplyPlaceFirstLabel(r, C::Statictext1, "totalinfo", true);

  ApplySlider(r, C::tb);
  ApplySlider(r, C::volbar);
  ApplyTitle(r);

  t.SetHintColour(r.Col("hintcolor", t.HintColour()));
}

}  // namespace velmora
