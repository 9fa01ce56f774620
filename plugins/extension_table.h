// The table of (extension, library file name) rows built by the library scan, and the
// text rules around it: splitting a library's extension list, the support test, the
// choice of library for a file and the open dialog's "All supported files" filter.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "plugins/input_plugin.h"

namespace velmora {

struct ExtensionRow {
  std::string extension;  // exactly as the library reported it
  std::string library;    // file name inside the library folder
};

// Splits at every ","; blanks are kept and the remainder after the last "," (possibly
// empty) is the last item. An empty text gives one empty item.
std::vector<std::string> SplitExtensionList(const std::string& text);

// ASCII upper case of the first `count` characters (all when count is npos).
std::string UpperAscii(const std::string& text, std::string::size_type count = std::string::npos);

// Everything after the last "." of a path; empty when there is no "." or nothing follows it.
std::string ExtensionOfPath(const std::string& path);

// The filter the open dialog starts with, before the scan adds its first entry.
extern const char* const kInitialOpenFilter;

// "All supported files (" + patterns + ")|" + patterns + "|" + old filter.
std::string BuildOpenDialogFilter(const std::vector<ExtensionRow>& rows,
                                  const std::string& old_filter);

// Switches the current input plug-in (unload the old one, load the named one).
class PluginSwitch {
 public:
  virtual ~PluginSwitch() = default;
  virtual const std::string& CurrentName() const = 0;
  virtual void SwitchTo(const std::string& library) = 0;
};

class ExtensionTable : public PluginSelector {
 public:
  explicit ExtensionTable(PluginSwitch& plugin_switch) : switch_(plugin_switch) {}

  void AddRow(const std::string& extension, const std::string& library) {
    rows_.push_back({extension, library});
  }
  void Clear() { rows_.clear(); }
  const std::vector<ExtensionRow>& Rows() const { return rows_; }
  std::vector<std::string> Extensions() const;

  bool IsSupportedExtension(const std::string& text) const override;
  bool SelectPluginForFile(const std::string& path) override;

 private:
  const ExtensionRow* Find(const std::string& upper) const;

  PluginSwitch& switch_;
  std::vector<ExtensionRow> rows_;
};

}  // namespace velmora
