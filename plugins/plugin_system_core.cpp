#include "plugins/plugin_system_core.h"

#include <algorithm>
#include <cctype>

#include <utility>

namespace velmora {

PluginSystemCore::PluginSystemCore(Deps deps, const std::string& program_folder)
    : modules_(deps.modules),
      handoff_(std::move(deps.non_input_handoff)),
      shared_(deps.modules),
      loader_(shared_, std::move(deps.process_messages)),
      info_(shared_),
      table_(loader_) {
  loader_.SetProgramFolder(program_folder);
  info_.SetProgramFolder(program_folder);
}

void PluginSystemCore::AttachListsView(PluginListsView* view) {
  view_ = view;
  if (!view_) return;
  // The window that holds the lists starts with no current plug-in and no info library.
  if (scan_done_) {
    ShowLists();
  } else if (scan_armed_) {
    view_->StartScanTimer();
  }
}

void PluginSystemCore::StartLibraryScan(const std::string& program_folder) {
  loader_.SetProgramFolder(program_folder);
  info_.SetProgramFolder(program_folder);
  if (scan_done_) return;
  scan_armed_ = true;
  if (view_) view_->StartScanTimer();
}

void PluginSystemCore::ScanLibraryFolder() {
  if (view_) view_->StopScanTimer();
  // There is no rescan: the table is built once per run.
  if (scan_done_) return;
  scan_done_ = true;
  scan_armed_ = false;

  const std::string folder = loader_.LibraryFolder();
  if (view_) view_->SetScanning(true);
  std::vector<std::string> names;
  try {
    names = modules_.ListLibraryFiles(folder);
  } catch (...) {
    // A Library folder that cannot be read holds no plug-ins: the lists stay empty.
  }
  // Compared by file name: every library of the scan lies in the one folder, however its
  // path was spelled when it was recorded.
  const auto lower = [](const std::string& path) {
    std::string text = path.substr(
        path.find_last_of("\\/") == std::string::npos ? 0 : path.find_last_of("\\/") + 1);
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  for (const auto& name : names) {
    const std::string full_path = folder + name;
    if (std::any_of(skipped_.begin(), skipped_.end(),
                    [&](const std::string& s) { return lower(s) == lower(full_path); }))
      continue;
    const ModuleHandle module = modules_.Load(full_path);
    const EntryAddress extension = module ? modules_.Resolve(module, "extension") : nullptr;
    if (extension) {
      dlls_.push_back(name);
      std::string list;
      try {
        list = modules_.CallText(extension);
      } catch (...) {
        list.clear();  // listed all the same, with one empty row
      }
      modules_.Free(module);
      for (const auto& ext : SplitExtensionList(list)) table_.AddRow(ext, name);
    } else {
      if (module) modules_.Free(module);
      if (handoff_) {
        try {
          handoff_(full_path);
        } catch (...) {
          // A library the other hosts cannot take is not listed; the scan goes on.
        }
      }
    }
  }
  filter_ = BuildOpenDialogFilter(table_.Rows(), filter_);
  if (view_) view_->SetScanning(false);
  ShowLists();
}

void PluginSystemCore::ShowLists() {
  if (!view_) return;
  view_->SetDlls(dlls_);
  view_->SetExtensionRows(table_.Rows());
  view_->SetExtensionList(table_.Extensions());
}

void PluginSystemCore::ShowPluginInfo(const std::string& name) {
  info_.Show(name, [this](InfoField field, const std::string& text) {
    if (view_) view_->SetInfoField(field, text);
  });
}

}  // namespace velmora
