#include "vis/vis_choices.h"

namespace velmora {

bool VisChoices::AddLibrary(const std::string& path) {
  std::string description;
  if (!host_.Describe(path, &description)) return false;
  descriptions_.push_back(description);
  paths_.push_back(path);
  Changed();
  return true;
}

void VisChoices::ClearLibraries() {
  descriptions_.clear();
  paths_.clear();
  Changed();
}

void VisChoices::SelectLibrary(int row) {
  if (row < 0 || static_cast<size_t>(row) >= paths_.size()) return;
  std::vector<std::string> modules;
  if (!host_.ListModules(paths_[row], &modules)) return;
  selected_library_ = paths_[row];
  modules_ = std::move(modules);
  Changed();
}

bool VisChoices::Configure(const std::string& module, void* parent) {
  if (selected_library_.empty() || module.empty()) return false;
  return host_.Configure(selected_library_, module, parent);
}

void VisChoices::Choose(const std::string& module) {
  if (selected_library_.empty() || module.empty()) return;
  chosen_library_ = selected_library_;
  chosen_module_ = module;
  Changed();
}

}  // namespace velmora
