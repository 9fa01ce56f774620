// The settings file of a test plug-in (an ini named after its own file, beside it) and the
// small text helpers its keys need. Header-only: each test plug-in is a library of its own.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <string>

namespace velmora::testplugin {

inline std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

inline std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

// A comma-separated list: its items trimmed and in lower case, empty ones left out.
inline std::set<std::string> SplitList(const std::string& text) {
  std::set<std::string> items;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = Lower(Trim(text.substr(start, comma - start)));
    if (!item.empty()) items.insert(item);
    start = comma + 1;
  }
  return items;
}

// key=value lines, keys in lower case; blank lines, ';' and '#' comments and [section]
// lines are skipped. Empty when the file cannot be read.
inline std::map<std::string, std::string> ReadIni(const std::string& path) {
  std::map<std::string, std::string> values;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return values;
  char line[4096];
  while (std::fgets(line, sizeof line, file)) {
    const std::string text = Trim(line);
    if (text.empty() || text[0] == ';' || text[0] == '#' || text[0] == '[') continue;
    const size_t eq = text.find('=');
    if (eq == std::string::npos) continue;
    values[Lower(Trim(text.substr(0, eq)))] = Trim(text.substr(eq + 1));
  }
  std::fclose(file);
  return values;
}

}  // namespace velmora::testplugin
