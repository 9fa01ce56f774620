// Names for the libraries of the 8-bit contract: the active code page and short aliases.
#include <windows.h>

#include <vector>

#include "plugins/plugin_system_win.h"
#include "ui/legacy_code_page_win.h"
#include "ui/utf8.h"

namespace velmora {

namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string text = ui::Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string Utf8(const wchar_t* text, size_t length) {
  return ui::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

class SystemNames : public LegacyNames {
 public:
  bool CodePageIsUtf8() const override { return GetACP() == CP_UTF8; }

  std::optional<std::string> ToCodePage(const std::string& utf8) const override {
    bool lossy = false;
    std::string text = Convert(utf8, &lossy);
    if (lossy) return std::nullopt;
    return text;
  }

  std::string ToCodePageLossy(const std::string& utf8) const override {
    return Convert(utf8, nullptr);
  }

  std::string ShortAlias(const std::string& utf8_path) const override {
    const std::wstring path = Wide(utf8_path);
    const DWORD need = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (need == 0) return std::string();
    std::vector<wchar_t> alias(need + 1);
    const DWORD n = GetShortPathNameW(path.c_str(), alias.data(), need + 1);
    if (n == 0 || n > need) return std::string();
    return Utf8(alias.data(), n);
  }

  std::string FromCodePage(const std::string& bytes) const override {
    if (bytes.empty()) return bytes;
    const int n =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::string();
    std::vector<wchar_t> wide(n);
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return Utf8(wide.data(), n);
  }

  std::string FromSystemCodePage(const std::string& bytes) const override {
    return LegacyCodePageToUtf8(bytes);
  }

 private:
  // `lossy` (when given) is set when a character has no exact form in the code page.
  static std::string Convert(const std::string& utf8, bool* lossy) {
    if (utf8.empty()) return utf8;
    const std::wstring wide = Wide(utf8);
    const UINT code_page = GetACP();
    // UTF-8 and the other code pages without a default character take no flags.
    const bool exact_check = code_page != CP_UTF8 && code_page != CP_UTF7;
    const DWORD flags = exact_check ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL used_default = FALSE;
    BOOL* used = exact_check ? &used_default : nullptr;
    const int n = WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, used);
    if (n <= 0) {
      if (lossy) *lossy = true;
      return std::string();
    }
    std::string text(static_cast<size_t>(n), '\0');
    used_default = FALSE;
    WideCharToMultiByte(code_page, flags, wide.data(), static_cast<int>(wide.size()), &text[0], n,
                        nullptr, used);
    if (lossy) *lossy = used_default != FALSE;
    return text;
  }
};

}  // namespace

const LegacyNames& SystemLegacyNames() {
  static const SystemNames names;
  return names;
}

}  // namespace velmora
