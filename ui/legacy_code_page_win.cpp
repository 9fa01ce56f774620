#include "ui/legacy_code_page_win.h"

#include <windows.h>

#include <vector>

#include "ui/utf8.h"

namespace velmora {

namespace {

unsigned ParseCodePage(const wchar_t* text) {
  unsigned value = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) value = value * 10 + (*text - L'0');
  return value;
}

}  // namespace

unsigned SystemLegacyCodePage() {
  static const unsigned code_page = [] {
    wchar_t text[16] = {};
    // The locale name form first; some systems answer only the older identifier form.
    unsigned found = 0;
    // (looked up at run time: Windows XP lacks it).
    using GetLocaleInfoExFn = int(WINAPI*)(LPCWSTR, LCTYPE, LPWSTR, int);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto get_locale_info_ex =
        kernel ? reinterpret_cast<GetLocaleInfoExFn>(
                     reinterpret_cast<void*>(GetProcAddress(kernel, "GetLocaleInfoEx")))
               : nullptr;
    if (get_locale_info_ex &&
        get_locale_info_ex(LOCALE_NAME_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, text, 16) > 0)
      found = ParseCodePage(text);
    if (found == 0 &&
        GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, text, 16) > 0)
      found = ParseCodePage(text);
    // 0 (CP_ACP) is a locale without an ANSI code page (Unicode only): Windows-1252 then.
    return found != 0 && found != CP_UTF8 && IsValidCodePage(found) ? found : 1252u;
  }();
  return code_page;
}

std::string LegacyCodePageToUtf8(std::string_view bytes) {
  if (bytes.empty()) return std::string();
  const UINT code_page = SystemLegacyCodePage();
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return ui::Utf16ToUtf8(ui::Utf8ToUtf16(bytes));
  std::vector<wchar_t> wide(static_cast<size_t>(n));
  MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), n);
  return ui::Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace velmora
