// What the "Visualisation Plugins" page shows and changes: the visualisation plug-ins the
// library scan found (header description and path), the modules of the library last
// clicked, and the library and module chosen for the run (never saved). The page renders
// this model and pushes clicks into it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "vis/vis_host.h"

namespace velmora {

class VisChoices {
 public:
  explicit VisChoices(VisHost& host) : host_(host) {}

  // Told after every change (window thread).
  void SetChanged(std::function<void()> changed) { changed_ = std::move(changed); }

  // The library scan: lists `path` when it is a visualisation plug-in (true), else false.
  bool AddLibrary(const std::string& path);
  void ClearLibraries();

  // A click on row `row` of the plug-in list: its modules, the first selected.
  void SelectLibrary(int row);
  // "Configure" and "Choose this one", with the module text the page shows; both do
  // nothing without a clicked library or with an empty text.
  bool Configure(const std::string& module, void* parent);
  void Choose(const std::string& module);

  const std::vector<std::string>& Descriptions() const { return descriptions_; }
  const std::vector<std::string>& Paths() const { return paths_; }
  const std::vector<std::string>& Modules() const { return modules_; }
  int SelectedModule() const { return modules_.empty() ? -1 : 0; }
  const std::string& SelectedLibrary() const { return selected_library_; }
  const std::string& ChosenLibrary() const { return chosen_library_; }
  const std::string& ChosenModule() const { return chosen_module_; }

 private:
  void Changed() {
    if (changed_) changed_();
  }

  VisHost& host_;
  std::function<void()> changed_;
  std::vector<std::string> descriptions_, paths_, modules_;
  std::string selected_library_, chosen_library_, chosen_module_;
};

}  // namespace velmora
