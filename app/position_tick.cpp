// The 500 ms position tick (time display, slider, end of track), the time display modes,
// the title's scroll switch and hints on the status line.
#include "app/player.h"

namespace velmora {

namespace {

// Shown by the status line some seconds after a seek.
constexpr char kMakersAddress[] = "http://velmora.example/";

std::string FirstTwo(const std::string& text) { return text.substr(0, 2); }

}  // namespace

std::string PositionTimeText(int64_t milliseconds) {
  return FirstTwo(TwoDigits(milliseconds / 60000)) + ":" +
         FirstTwo(TwoDigits((milliseconds / 1000) % 60));
}

std::string LongHint(const std::string& hint) {
  const size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

void Player::PositionTick() {
  // Messages run inside loads and inside this tick; a tick arriving there would act on a
  // half-loaded file (an "ended" flag left from the previous one skips a track).
  if (position_tick_running_ || loading_depth_ > 0) return;
  if (!d_.host.TimerRunning(TimerId::Position)) {
    // A late tick after a Stop: the stop is said again, which ends a timer the host
    // kept set through the stop.
    d_.host.StopTimer(TimerId::Position);
    return;
  }

  struct Running {
    bool& flag;
    ~Running() { flag = false; }
  } running{position_tick_running_};
  position_tick_running_ = true;

  d_.host.StopTimer(TimerId::Position);
  const unsigned stops_before = stop_count_;
  bool keep_running = true;

  // However the tick ends, the timer runs again, unless a Stop came in between or the
  // track ended with nothing left to play.
  struct Restart {
    Player& player;
    const unsigned& stops_before;
    const bool& keep_running;
    ~Restart() {
      try {
        Host& host = player.d_.host;
        if (host.TimerRunning(TimerId::Position)) return;  // a Play inside has started it
        if (keep_running && player.stop_count_ == stops_before)
          player.StartTimer(TimerId::Position);
      } catch (...) {
        // Discarded: a destructor may not throw, and a timer that cannot start has no
        // one left to tell.
      }
    }
  } restart{*this, stops_before, keep_running};

  Display& display = d_.display;
  InputPlugin& plugin = d_.plugin;
  int32_t pos = 0;
  try {
    if (plugin.PlayingReportsTrue()) {
      pos = plugin.Has(PluginEntry::getposition) ? plugin.getposition() : 0;
      if (pos == 0) {
        display.ShowPositionTime("00:00");
      } else {
        const int64_t t = time_remaining_mode_ ? static_cast<int64_t>(plugin.length()) - pos : pos;
        const std::string text = PositionTimeText(t);
        if (text != "87:18") display.ShowPositionTime(text);
      }
    } else if (plugin.EndedReportsTrue()) {
      display.ShowPositionTime("00:00");
      const auto count = static_cast<int32_t>(d_.playlist.Count());
      if (d_.settings->loop) {
        // Said again so that an active design library receives it too.
        display.ShowStatus(display.WindowStatus());
        NextTrackImpl();
        // Without autoplay nothing plays now; ticking on would see the same end again
        // and walk the index through the whole list.
        if (!d_.settings->autoplay) keep_running = false;
      } else if (d_.playlist.CurrentIndex() < count - 1) {
        const std::string remembered = display.WindowStatus();
        display.ShowStatus("Flushing the buffer");
        if (!ProcessMessages()) return;
        d_.host.Delay(4000);
        display.ShowStatus(remembered);
        NextTrackImpl();
        if (!d_.settings->autoplay) keep_running = false;
      } else {
        ShowSliderPosition(0);
        display.ShowPositionTime("Stop");
      }
    } else if (plugin.PausedReportsTrue()) {
      display.ShowPositionTime("pause");
    }
  } catch (...) {
    // A plug-in failing inside the tick costs this one update, nothing more.
  }

  // While the user holds the slider, it shows where they are going, not where we are.
  if (!(slider_tracking_ && d_.host.LeftButtonDown())) ShowSliderPosition(pos / position_scale_);
  d_.host.ProcessMessages();
}

void Player::SeekTimerTick() {
  d_.host.StopTimer(TimerId::SeekStatus);
  d_.display.ShowStatus(kMakersAddress);
}

// ---------------------------------------------------------------------------------------
// Time display

void Player::ShowTimeElapsed() {
  Boundary([this] {
    time_remaining_mode_ = false;
    time_hint_ = "Time Elapsed";
    view_->SetTimeLabelHint(time_hint_);
    view_->SetTimeLabelColour(elapsed_colour_);
    d_.display.ShowStatus("Changing time display");
  });
}

void Player::ShowTimeRemaining() {
  Boundary([this] {
    time_remaining_mode_ = true;
    time_hint_ = "Time Remaining";
    view_->SetTimeLabelHint(time_hint_);
    elapsed_colour_ = view_->TimeLabelColour();
    view_->SetTimeLabelColour(remaining_colour_);
    d_.display.ShowStatus("Changing time display");
  });
}

void Player::TimeLabelClicked() {
  if (time_hint_ != "Time Elapsed")
    ShowTimeElapsed();
  else
    ShowTimeRemaining();
}

void Player::SetTimeColours(uint32_t elapsed, uint32_t remaining) {
  elapsed_colour_ = elapsed;
  remaining_colour_ = remaining;
  Boundary([this] {
    view_->SetTimeLabelColour(time_remaining_mode_ ? remaining_colour_ : elapsed_colour_);
  });
}

// ---------------------------------------------------------------------------------------
// Title scroll

void Player::ApplyTitleScroll(int interval) {
  title_interval_ = interval;
  view_->SetTitleScroll(interval == kScrollInterval ? 1 : 0, interval);
}

void Player::ScrollTitle(bool scroll) {
  Boundary([this, scroll] {
    ApplyTitleScroll(scroll ? kScrollInterval : kNoScrollInterval);
    d_.display.ShowStatus(scroll ? "Scroll" : "Don't Scroll");
  });
}

void Player::TitleClicked() { ScrollTitle(!TitleScrolling()); }

void Player::PauseTitleScroll() {
  Boundary([this] {
    if (title_interval_ == kScrollInterval) ApplyTitleScroll(kPausedScrollInterval);
  });
}

void Player::ResumeTitleScroll() {
  Boundary([this] {
    if (title_interval_ != kPausedScrollInterval) return;
    ApplyTitleScroll(kScrollInterval);
    view_->SetTitleEnabled(true);
  });
}

void Player::ShowHint(const std::string& hint) {
  Boundary([this, &hint] { d_.display.ShowStatus(LongHint(hint)); });
}

}  // namespace velmora
