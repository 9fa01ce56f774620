#include "plugins/extension_table.h"

namespace velmora {

const char* const kInitialOpenFilter =
    "Layer 1-2-3 (*.mp3, *.mp2, *.mp1)|*.mp3;*.mp2;*.mp1|Playlist File (*.m3u)|*.m3u|All Files|*.*";

std::vector<std::string> SplitExtensionList(const std::string& text) {
  std::vector<std::string> items;
  std::string::size_type start = 0;
  for (;;) {
    const auto comma = text.find(',', start);
    if (comma == std::string::npos) break;
    items.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  items.push_back(text.substr(start));
  return items;
}

std::string UpperAscii(const std::string& text, std::string::size_type count) {
  std::string out = text;
  const auto n = count < out.size() ? count : out.size();
  for (std::string::size_type i = 0; i < n; ++i) {
    if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
  }
  return out;
}

static std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string ExtensionOfPath(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos) return {};
  // A "." in a folder name is not an extension of the file.
  const auto sep = path.find_last_of("\\/");
  if (sep != std::string::npos && sep > dot) return {};
  return path.substr(dot + 1);
}

std::string BuildOpenDialogFilter(const std::vector<ExtensionRow>& rows,
                                  const std::string& old_filter) {
  std::string patterns;
  for (const auto& row : rows) patterns += "*." + LowerAscii(row.extension) + ";";
  if (!patterns.empty()) patterns.pop_back();
  return "All supported files (" + patterns + ")|" + patterns + "|" + old_filter;
}

std::vector<std::string> ExtensionTable::Extensions() const {
  std::vector<std::string> out;
  out.reserve(rows_.size());
  for (const auto& row : rows_) out.push_back(row.extension);
  return out;
}

// An empty text (a name without extension, or ending in ".") never matches, not even
// the empty row a library contributes with a trailing "," or a failing extension list:
// such names are not playable.
const ExtensionRow* ExtensionTable::Find(const std::string& upper) const {
  if (upper.empty()) return nullptr;
  for (const auto& row : rows_) {
    if (row.extension == upper) return &row;
  }
  return nullptr;
}

// The whole extension is upper-cased, as when a library is picked for a file: a
// four-letter extension ("flac") is then supported whenever it is played.
bool ExtensionTable::IsSupportedExtension(const std::string& text) const {
  return Find(UpperAscii(text)) != nullptr;
}

bool ExtensionTable::SelectPluginForFile(const std::string& path) {
  const ExtensionRow* row = Find(UpperAscii(ExtensionOfPath(path)));
  if (!row) return false;
  if (row->library != switch_.CurrentName()) {
    const std::string library = row->library;  // the switch may not touch rows, but be safe
    switch_.SwitchTo(library);
  }
  return true;
}

}  // namespace velmora
