#include "design/design_folder.h"

#include <algorithm>

#include "design/ini_file.h"

namespace velmora {

std::optional<std::string> MatchNoCase(const std::vector<DirEntry>& entries,
                                       const std::string& name) {
  for (const auto& e : entries)
    if (e.name == name) return e.name;
  const std::string lower = ToLowerAscii(name);
  for (const auto& e : entries)
    if (ToLowerAscii(e.name) == lower) return e.name;
  return std::nullopt;
}

std::string ResolveNoCase(const std::string& root, const std::string& relative,
                          const DirLister& lister, char sep) {
  std::string path = root;
  bool found_so_far = true;
  size_t pos = 0;
  while (pos <= relative.size()) {
    size_t end = relative.find_first_of("\\/", pos);
    if (end == std::string::npos) end = relative.size();
    std::string part = relative.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty()) continue;
    if (found_so_far && part != "." && part != "..") {
      std::vector<DirEntry> entries;
      if (lister(path, &entries)) {
        if (auto m = MatchNoCase(entries, part))
          part = *m;
        else
          found_so_far = false;
      } else {
        found_so_far = false;
      }
    }
    if (!path.empty() && path.back() != sep) path += sep;
    path += part;
  }
  return path;
}

std::vector<DesignEntry> ListDesignEntries(const std::vector<DirEntry>& folder) {
  std::vector<DesignEntry> out;
  out.push_back({kHeaderLine, kMarkerNone});
  for (const auto& e : folder) {
    if (e.name == "." || e.name == ".." || !e.is_directory) continue;
    out.push_back({e.name, kMarkerClassic});
  }
  return out;
}

int FindDesignEntry(const std::vector<DesignEntry>& entries, const std::string& text) {
  if (text.empty()) return -1;
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i].name == text) return static_cast<int>(i);
  return -1;
}

Size PreviewFit(int left, int top, int w, int h) {
  return {std::max(650, left + w + 20), std::max(250, top + h + 30)};
}

std::string DesignFilePath(const std::string& program_folder, const std::string& name,
                           const std::string& file) {
  return program_folder + "\\design\\" + name + "\\" + file;
}

}  // namespace velmora
