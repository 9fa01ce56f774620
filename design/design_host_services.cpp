#include "design/design_host_services.h"

#include <algorithm>
#include <utility>

namespace velmora {

std::string VolumeStatusText(int volume) {
  return "Volume : " + std::to_string(volume * 10 / 25) + "%";
}

void SoundBalance::Set(int v) {
  value_ = std::clamp(v, 0, 100);
  output_.SetBalance(100 - value_);  // re-applies the current level with the new split
  if (view_) view_(value_);
  if (listener_) listener_(100 - value_);
}

std::string SoundBalance::Text(int b) {
  if (b > 50) return std::to_string(2 * b - 100) + " Left";
  if (b == 50) return "Centered";
  return std::to_string(100 - 2 * b) + " Right";
}

void DesignHostServices::Seek(int32_t position) {
  if (!d_.plugin.Has(PluginEntry::jumpto)) return;
  d_.plugin.jumpto(
      static_cast<int32_t>(static_cast<int64_t>(position) * d_.core.PositionScale()));
}

void DesignHostServices::SetVolume(int32_t volume) { d_.core.SetVolume(volume); }

void DesignHostServices::SetBalance(int32_t balance) {
  if (balance > 100) return;
  d_.balance.Set(balance);
}

int32_t DesignHostServices::GetBalance() {
  d_.commands.RefreshOptions();
  return d_.balance.Value();
}

void DesignHostServices::GetPlaylist(std::vector<std::string>& names,
                                     std::vector<std::string>& paths) const {
  names = d_.playlist.Names();
  paths = d_.playlist.Paths();
}

void DesignHostServices::SortPlaylist(std::vector<std::string>& names,
                                      std::vector<std::string>& paths) {
  d_.commands.SortPlaylistByName();
  GetPlaylist(names, paths);
}

void DesignHostServices::SetPlaylist(std::vector<std::string> names,
                                     std::vector<std::string> paths) {
  // The model keeps the two lists parallel: the shorter one decides.
  d_.playlist.Replace(std::move(names), std::move(paths));
}

void DesignHostServices::PlayIndex(int32_t index) {
  {
    DesignLibraryHost::SuppressIndexEcho quiet(d_.host);
    d_.playlist.SetCurrentIndex(index);
  }
  d_.commands.Click(DesignButton::Play, nullptr);
}

}  // namespace velmora
