#include "ui/paced_steps_win.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace velmora::ui {

namespace {

std::vector<PacedStep*> g_steps;  // of the program's window thread
bool g_loop_running = false;
int g_handling = 0;  // depth of messages being handled by the loop

// The steps' timers are set while the loop is not there to make the steps.
bool TimersWanted() { return !g_loop_running || g_handling > 0; }

// A wait that ends a little early still makes its step.
constexpr uint32_t kEarlyMs = 2;

// Runs the due steps; a step may stop or end others, so each is looked up again first.
uint32_t RunDueSteps() {
  const uint64_t now = GetTickCount64();
  uint32_t wait = StepPace::kNever;
  const std::vector<PacedStep*> steps = g_steps;
  for (PacedStep* step : steps) {
    if (std::find(g_steps.begin(), g_steps.end(), step) == g_steps.end()) continue;
    step->RunIfDue(now);
  }
  for (PacedStep* step : g_steps) wait = std::min(wait, step->MsUntilDue(now));
  return wait;
}

void ShowTimers(bool on) {
  for (PacedStep* step : g_steps) step->SetTimerShown(on);
}

// Handles one message with the steps' timers set, so that a modal loop inside keeps
// them going.
template <class Handle>
void Handling(Handle&& handle) {
  if (g_handling++ == 0) ShowTimers(true);
  struct Leave {
    ~Leave() {
      if (--g_handling == 0) ShowTimers(false);
    }
  } leave;
  handle();
}

}  // namespace

PacedStep::PacedStep(HWND window, UINT_PTR timer_id, std::function<void()> step)
    : window_(window), timer_id_(timer_id), step_(std::move(step)) {
  g_steps.push_back(this);
}

PacedStep::~PacedStep() {
  Stop();
  g_steps.erase(std::remove(g_steps.begin(), g_steps.end(), this), g_steps.end());
}

void PacedStep::Start(int interval_ms) {
  interval_ms_ = interval_ms;
  pace_.Start(GetTickCount64(), interval_ms);
  if (timer_) {
    KillTimer(window_, timer_id_);
    timer_ = false;
  }
  SetTimerShown(TimersWanted());
}

void PacedStep::Stop() {
  pace_.Stop();
  SetTimerShown(false);
}

void PacedStep::SetTimerShown(bool on) {
  on = on && pace_.Running();
  if (on == timer_) return;
  if (on) {
    timer_ = SetTimer(window_, timer_id_, static_cast<UINT>(interval_ms_), nullptr) != 0;
  } else {
    KillTimer(window_, timer_id_);
    timer_ = false;
  }
}

void PacedStep::OnTimer() {
  // A timer is not exact to the millisecond, nor set in step with the loop's due times:
  // half an interval early still counts.
  if (pace_.TakeDue(GetTickCount64(), static_cast<uint32_t>(interval_ms_ / 2)) && step_) step_();
}

void PacedStep::RunIfDue(uint64_t now) {
  if (pace_.TakeDue(now, kEarlyMs) && step_) step_();
}

int RunMessageLoop(const std::function<bool(MSG&)>& pretranslate) {
  g_loop_running = true;
  ShowTimers(false);
  MSG msg{};
  for (;;) {
    const uint32_t wait = RunDueSteps();
    const DWORD woke = MsgWaitForMultipleObjectsEx(
        0, nullptr, wait == StepPace::kNever ? INFINITE : wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_TIMEOUT) continue;  // a step is due; the queue is empty
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        g_loop_running = false;
        return static_cast<int>(msg.wParam);
      }
      Handling([&] {
        if (pretranslate && pretranslate(msg)) return;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      });
      RunDueSteps();
    }
  }
}

}  // namespace velmora::ui
