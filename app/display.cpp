#include "app/display.h"

namespace velmora {

template <typename F>
void Display::ToSink(F&& call) {
  if (!sink_) return;
  try {
    call(*sink_);
  } catch (...) {
    // Silent on purpose. The fault guard has recovered the library's fault already and
    // the library stays in force, hearing every later notification: one that faults in a
    // slot faults on each tick, and a report would put its "Error : " text through the
    // library's status slot again. The player goes on as if the library had drawn it.
  }
}

void Display::ShowStatus(const std::string& text) {
  if (sink_) {
    ToSink([&](DesignSink& s) { s.OnStatus(text); });
  } else {
    window_status_ = text;
    view_->SetStatusText(text);
  }
}

void Display::ShowPositionTime(const std::string& text) {
  if (sink_)
    ToSink([&](DesignSink& s) { s.OnPositionTime(text); });
  else
    view_->SetPositionTimeText(text);
}

void Display::ShowPosition(int32_t value) {
  if (sink_)
    ToSink([&](DesignSink& s) { s.OnPosition(value); });
  else
    view_->SetPositionValue(value);
}

void Display::ShowTotalTime(const std::string& text) {
  view_->SetTotalTimeText(text);
  ToSink([&](DesignSink& s) { s.OnTotalTime(text); });
}

void Display::SetPositionMax(int32_t max) {
  view_->SetPositionMax(max);
  ToSink([&](DesignSink& s) { s.OnPositionMax(max); });
}

void Display::ShowSongTitle(const std::string& text) {
  view_->SetSongTitle(text);
  ToSink([&](DesignSink& s) { s.OnSongTitle(text); });
}

void Display::ShowFrequency(const std::string& text) {
  view_->SetFrequencyText(text);
  ToSink([&](DesignSink& s) { s.OnFrequency(text); });
}

void Display::ShowLayer(const std::string& text) {
  view_->SetLayerText(text);
  ToSink([&](DesignSink& s) { s.OnLayer(text); });
}

void Display::ShowBitrate(const std::string& text) {
  view_->SetBitrateText(text);
  ToSink([&](DesignSink& s) { s.OnBitrate(text); });
}

namespace {

// Stands in for the main window's controls before the window exists and after it is gone.
class NoMainView : public MainView {
 public:
  void SetStatusText(const std::string&) override {}
  void SetPositionTimeText(const std::string&) override {}
  void SetPositionValue(int32_t) override {}
  void SetPositionMax(int32_t) override {}
  void SetTotalTimeText(const std::string&) override {}
  void SetSongTitle(const std::string&) override {}
  void SetFrequencyText(const std::string&) override {}
  void SetLayerText(const std::string&) override {}
  void SetBitrateText(const std::string&) override {}
};

NoMainView g_no_view;

}  // namespace

Display::Display(Playlist& playlist) : view_(&g_no_view), playlist_(playlist) {
  playlist_.AddObserver(this);
}

Display::Display(MainView& view, Playlist& playlist) : Display(playlist) { view_ = &view; }

void Display::AttachView(MainView* view) { view_ = view ? view : &g_no_view; }

Display::~Display() { playlist_.RemoveObserver(this); }

void Display::OnCurrentIndexChanged(int32_t index) {
  ToSink([&](DesignSink& s) { s.OnCurrentIndex(index); });
}

std::string TwoDigits(long long n) {
  if (n == 0) return "00";
  if (n > 9) return std::to_string(n);
  return "0" + std::to_string(n);
}

}  // namespace velmora
