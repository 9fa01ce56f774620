#include "options/help_tours.h"

namespace velmora {

namespace {

// Glides from the cursor's place to the target; false when there is no target or the
// cursor could not get there.
bool GlideTo(TourHost& host, TourTarget target) {
  const auto goal = host.TargetPoint(target);
  if (!goal) return false;
  int x = 0, y = 0;
  host.Position(&x, &y);
  return GlideCursor(host, x, y, goal->first, goal->second);
}

void ButtonTour(TourHost& host, TourTarget target, const char* first_step) {
  host.SetStepText(first_step);
  if (!GlideTo(host, target)) return;
  host.SetStepText("2. Click the button");
}

}  // namespace

void ChangeDesignTour(TourHost& host) {
  host.SetStepText("1. Go to the 'options' button");
  if (!GlideTo(host, TourTarget::OptionsButton)) return;
  host.SetStepText("2. Click the button");
  host.Wait(1000);
  const auto button = host.TargetPoint(TourTarget::OptionsButton);
  if (!button) return;
  host.MoveTo(button->first, button->second);
  host.SetStepText("3. Click Preferences/Design");
  host.ShowSetupMenu(button->first, button->second);
  host.ShowDesignChooser();
  host.SetStepText("4. Click on the listbox");
  if (!GlideTo(host, TourTarget::DesignListArrow)) return;
  host.Wait(1000);
  host.SetStepText("5. Choose 'apply' to see it");
  host.Wait(1000);
  host.SetStepText("6. Choose 'set default' to save");
}

void EditPlaylistTour(TourHost& host) {
  ButtonTour(host, TourTarget::PlaylistButton, "1. Go to the 'playlist' button");
}

void OpenFilesTour(TourHost& host) {
  ButtonTour(host, TourTarget::OpenButton, "1. Go to the 'open' button");
}

}  // namespace velmora
