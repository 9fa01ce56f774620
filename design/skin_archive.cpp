#include "design/skin_archive.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace velmora {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::vector<std::string> Split(const std::string& name) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : name) {
    if (c == '/' || c == '\\') {
      parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  parts.push_back(part);
  return parts;
}

bool IsDeviceName(const std::string& part) {
  // The device names hold with any extension and trailing dots or spaces ("nul.txt").
  std::string base = Lower(part.substr(0, part.find('.')));
  while (!base.empty() && (base.back() == ' ' || base.back() == '.')) base.pop_back();
  static const std::set<std::string> devices = {"con",    "prn",     "aux",   "nul",
                                                "conin$", "conout$", "clock$"};
  if (devices.count(base)) return true;
  return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
         base[3] >= '0' && base[3] <= '9';
}

// A name that could land outside the skin folder, or on a device.
bool Unsafe(const std::string& name) {
  if (name.empty()) return true;
  if (name[0] == '/' || name[0] == '\\') return true;   // absolute
  if (name.size() >= 2 && name[1] == ':') return true;  // drive letter
  for (unsigned char c : name)
    if (c < 32 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
      return true;
  for (const std::string& part : Split(name)) {
    if (part == "..") return true;
    if (IsDeviceName(part)) return true;
  }
  return false;
}

}  // namespace

bool IsSkinArchiveName(const std::string& path) {
  const std::string l = Lower(path);
  auto ends = [&](const char* ext) { return l.size() > 4 && l.compare(l.size() - 4, 4, ext) == 0; };
  return ends(".wsz") || ends(".zip");
}

std::string SkinNameOfArchive(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  std::replace(name.begin(), name.end(), '.', '_');
  return name;
}

bool IsUsableSkinName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ')
    return false;
  if (name.find_first_of("\\/") != std::string::npos) return false;
  return !Unsafe(name);
}

UnpackPlan PlanSkinUnpack(const std::vector<ArchiveEntry>& entries, const ArchiveLimits& limits) {
  UnpackPlan plan;
  if (entries.size() > limits.max_entries) {
    plan.refusal = ArchiveRefusal::too_many;
    return plan;
  }
  uint64_t total = 0;
  for (const ArchiveEntry& e : entries) {
    if (Unsafe(e.name)) {
      plan.refusal = ArchiveRefusal::unsafe_name;
      plan.unsafe_entry = e.name;
      return plan;
    }
    if (!e.directory) {
      if (e.size > limits.max_total || total + e.size > limits.max_total) {
        plan.refusal = ArchiveRefusal::too_large;
        return plan;
      }
      total += e.size;
    }
  }

  // Path parts of each file, without empty parts ("a//b", trailing "/") and ".".
  std::vector<std::vector<std::string>> paths(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    for (const std::string& part : Split(entries[i].name))
      if (!part.empty() && part != ".") paths[i].push_back(part);
  }
  // The skin's folder: the shallowest holding main.bmp; else a single top folder that
  // holds every file; else the top.
  std::vector<std::string> skin_folder;
  bool found = false;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].directory || paths[i].empty() || Lower(paths[i].back()) != "main.bmp") continue;
    if (!found || paths[i].size() - 1 < skin_folder.size()) {
      skin_folder.assign(paths[i].begin(), paths[i].end() - 1);
      found = true;
    }
  }
  if (!found) {
    std::string top;
    bool any = false, single_top = true;
    for (size_t i = 0; i < entries.size() && single_top; ++i) {
      if (entries[i].directory || paths[i].empty()) continue;
      if (paths[i].size() < 2) {
        single_top = false;
      } else if (!any) {
        top = paths[i][0];
        any = true;
      } else if (Lower(paths[i][0]) != Lower(top)) {
        single_top = false;
      }
    }
    if (single_top && any) skin_folder.push_back(top);
  }
  auto in_skin_folder = [&](const std::vector<std::string>& p) {
    if (p.size() != skin_folder.size() + 1) return false;
    for (size_t k = 0; k < skin_folder.size(); ++k)
      if (Lower(p[k]) != Lower(skin_folder[k])) return false;
    return true;
  };
  std::set<std::string> taken;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].directory) continue;
    const std::vector<std::string>& p = paths[i];
    if (!in_skin_folder(p)) continue;
    const std::string& file = p.back();
    if (!taken.insert(Lower(file)).second) continue;
    plan.files.push_back({i, file, entries[i].size});
  }
  return plan;
}

std::string ArchiveStatusText(const std::string& archive_name, ArchiveRefusal why,
                              const std::string& entry, const ArchiveLimits& limits) {
  const std::string head = "Skin archive " + archive_name;
  switch (why) {
    case ArchiveRefusal::none: return head + " unpacked";
    case ArchiveRefusal::too_many:
      return head + " refused: more than " + std::to_string(limits.max_entries) + " files";
    case ArchiveRefusal::unsafe_name: return head + " refused: unsafe file name " + entry;
    case ArchiveRefusal::too_large:
      return head + " refused: it unpacks to more than " + std::to_string(limits.max_total >> 20) +
             " MB";
    case ArchiveRefusal::damaged: return head + " is damaged";
    case ArchiveRefusal::cannot_write: return head + " cannot be unpacked into " + entry;
  }
  return head;
}

}  // namespace velmora
