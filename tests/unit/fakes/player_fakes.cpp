#include "fakes/player_fakes.h"

#include <algorithm>

namespace velmora::fakes {

void FakePlugin::Enter(PluginEntry entry, const char* name) {
  calls.push_back(name);
  if (on_call) on_call(name);
  if (absent.count(entry)) throw PluginFault(std::string("entry ") + name + " missing");
  if (failing.count(entry)) throw PluginFault(std::string("fault in ") + name);
}

std::string FakePlugin::load(const std::string& path) {
  Enter(PluginEntry::load, "load");
  load_args.push_back(path);
  if (load_crashes) throw PluginCrashed("Access violation in load");
  if (load_failures > 0) {
    --load_failures;
    throw PluginFault("cannot open " + path);
  }
  return title;
}

std::string FakePlugin::webload(const std::string& url) {
  Enter(PluginEntry::webload, "webload");
  load_args.push_back(url);
  return web_title;
}

void FakePlugin::play(const std::string& path) {
  Enter(PluginEntry::play, "play");
  play_args.push_back(path);
  is_playing = true;
  is_paused = false;
  is_ended = false;
}

void FakePlugin::pause() {
  Enter(PluginEntry::pause, "pause");
  is_paused = !is_paused;
}

void FakePlugin::stop() {
  Enter(PluginEntry::stop, "stop");
  is_playing = false;
  is_paused = false;
}

void FakePlugin::jumpto(int32_t ms) {
  Enter(PluginEntry::jumpto, "jumpto");
  jumps.push_back(ms);
}

void FakePlugin::Unload() {
  name.clear();
  for (int e = 0; e < static_cast<int>(PluginEntry::Count); ++e)
    absent.insert(static_cast<PluginEntry>(e));
}

void FakePlugin::LoadAs(const std::string& library) {
  name = library;
  absent.clear();
}

size_t FakePlugin::Count(const std::string& entry) const {
  return static_cast<size_t>(std::count(calls.begin(), calls.end(), entry));
}

std::vector<std::string> FakePlugin::CallsSince(size_t from,
                                                const std::set<std::string>& without) const {
  std::vector<std::string> out;
  for (size_t i = from; i < calls.size(); ++i)
    if (!without.count(calls[i])) out.push_back(calls[i]);
  return out;
}

bool FakeSelector::IsSupportedExtension(const std::string& text) const {
  const_cast<FakeSelector*>(this)->asked.push_back(text);
  return unsupported.count(text) == 0;
}

void FakeWindow::SetPositionValue(int32_t v) {
  position = std::clamp(v, 0, std::max(position_max, 0));
  positions.push_back(position);
}

bool FakeWindow::Has(const std::string& status_text) const {
  return std::find(statuses.begin(), statuses.end(), status_text) != statuses.end();
}

size_t FakeWindow::CountOf(const std::string& status_text) const {
  return static_cast<size_t>(std::count(statuses.begin(), statuses.end(), status_text));
}

void FakeHost::ProcessMessages() {
  ++pumps;
  if (on_pump) on_pump();
  while (!queued_ticks.empty()) {
    const TimerId id = queued_ticks.front();
    queued_ticks.pop_front();
    Fire(id);
  }
}

void FakeHost::Fire(TimerId id) {
  if (player && TimerRunning(id)) player->OnTimer(id);
}

int FakeHost::RunUntilStopped(TimerId id, int limit) {
  int ticks = 0;
  while (TimerRunning(id) && ticks < limit) {
    Fire(id);
    ++ticks;
  }
  return ticks;
}

PlayerRig::PlayerRig() {
  player = std::make_unique<Player>(
      Player::Deps{playlist, selector, plugin, display, host, volume, settings, random});
  player->AttachView(&window);
  host.player = player.get();
}

void PlayerRig::AddFiles(const std::vector<std::string>& names) {
  for (const std::string& name : names) playlist.AddToPlaylist("C:\\Music\\" + name);
}

void PlayerRig::StartPlaying(int32_t index) {
  playlist.SetCurrentIndex(index);
  player->Play();
}

}  // namespace velmora::fakes
