#include "plugins/output/handles_win.h"

namespace velmora::output {

std::string Utf8ToAnsi(const std::string& utf8) {
  if (utf8.empty()) return "";
  int wide =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (wide <= 0) return utf8;
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], wide);
  int narrow = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, "?", nullptr);
  if (narrow <= 0) return utf8;
  std::string out(static_cast<size_t>(narrow), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), wide, &out[0], narrow, "?", nullptr);
  return out;
}

std::string AnsiToUtf8(const std::string& text) {
  if (text.empty()) return "";
  int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (wide <= 0) return "";
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &w[0], wide);
  int narrow = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  if (narrow <= 0) return "";
  std::string out(static_cast<size_t>(narrow), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], narrow, nullptr, nullptr);
  return out;
}

}  // namespace velmora::output
