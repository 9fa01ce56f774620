#include "design/ini_file.h"

#include <cctype>

namespace velmora {

std::string ToLowerAscii(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n'))
    --e;
  return s.substr(b, e - b);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<int32_t> ParseIniInteger(const std::string& raw) {
  const std::string s = Trim(raw);
  if (s.empty()) return std::nullopt;
  size_t i = 0;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') {
    negative = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return std::nullopt;
  uint64_t v = 0;
  for (; i < s.size(); ++i) {
    if (hex) {
      const int d = HexDigit(s[i]);
      if (d < 0) return std::nullopt;
      v = v * 16 + static_cast<uint64_t>(d);
      if (v > 0xFFFFFFFFull) return std::nullopt;
    } else {
      if (s[i] < '0' || s[i] > '9') return std::nullopt;
      v = v * 10 + static_cast<uint64_t>(s[i] - '0');
      if (v > 0x80000000ull) return std::nullopt;
    }
  }
  if (hex) {
    // Eight hex digits cover the whole 32 bits ($80000008 is a system colour).
    const uint32_t u = static_cast<uint32_t>(v);
    return negative ? static_cast<int32_t>(0u - u) : static_cast<int32_t>(u);
  }
  if (negative) return static_cast<int32_t>(-static_cast<int64_t>(v));
  if (v > 0x7FFFFFFFull) return std::nullopt;
  return static_cast<int32_t>(v);
}

IniFile IniFile::Parse(const std::string& text) {
  IniFile ini;
  std::string section;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      section = ToLowerAscii(
          Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = ToLowerAscii(Trim(line.substr(0, eq)));
    if (key.empty()) continue;
    std::string value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') ||
                              (value.front() == '\'' && value.back() == '\''))) {
      value = value.substr(1, value.size() - 2);
    }
    ini.values_.emplace(section + '\n' + key, value);  // first occurrence wins
  }
  return ini;
}

std::optional<std::string> IniFile::Value(const std::string& section,
                                          const std::string& key) const {
  const auto it = values_.find(ToLowerAscii(section) + '\n' + ToLowerAscii(key));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const {
  auto v = Value(section, key);
  return v ? *v : def;
}

int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                             int32_t def) const {
  auto v = Value(section, key);
  if (!v) return def;
  auto n = ParseIniInteger(*v);
  return n ? *n : def;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

}  // namespace velmora
