#include "ui/wide_win.h"

#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "ui/utf8.h"

namespace velmora::ui {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide text is UTF-16");

std::wstring Widen(std::string_view utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size());
}

std::string Narrow(std::wstring_view wide) {
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::string GetText(HWND hwnd) {
  if (!hwnd) return {};
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return Narrow(text);
}

bool SetText(HWND hwnd, std::string_view text) {
  return SetWindowTextW(hwnd, Widen(text).c_str()) != FALSE;
}

bool SetItemText(HWND dialog, int id, std::string_view text) {
  return SetDlgItemTextW(dialog, id, Widen(text).c_str()) != FALSE;
}

std::string MessageText(LPARAM lp) {
  return lp ? Narrow(reinterpret_cast<const wchar_t*>(lp)) : std::string();
}

HWND CreateWindowUtf8(DWORD ex_style, const char* class_name, const char* text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HMENU menu,
                      HINSTANCE instance, void* param) {
  const std::wstring wide_class = class_name ? Widen(class_name) : std::wstring();
  const std::wstring wide_text = text ? Widen(text) : std::wstring();
  return CreateWindowExW(ex_style, class_name ? wide_class.c_str() : nullptr,
                         text ? wide_text.c_str() : nullptr, style, x, y, width, height, parent,
                         menu, instance, param);
}

LRESULT SendTextMessage(HWND hwnd, UINT message, WPARAM wp, std::string_view text) {
  const std::wstring wide = Widen(text);
  return SendMessageW(hwnd, message, wp, reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string ListRowText(HWND list, int row, bool combo) {
  const LRESULT length = SendMessageW(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, row, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, row,
                                      reinterpret_cast<LPARAM>(&text[0]));
  if (copied <= 0) return {};
  text.resize(std::min(static_cast<size_t>(copied), text.size() - 1));
  return Narrow(text);
}

void SetFaceName(LOGFONTW& font, std::string_view face) {
  const std::wstring wide = Widen(face);
  const size_t n = std::min(wide.size(), static_cast<size_t>(LF_FACESIZE - 1));
  wide.copy(font.lfFaceName, n);
  font.lfFaceName[n] = L'\0';
}

namespace {

// Characters of `text` the font selected in `dc` has no glyph for (a surrogate pair, which
// the glyph query cannot judge, counts as present).
size_t MissingGlyphs(HDC dc, std::wstring_view text) {
  if (text.empty()) return 0;
  std::vector<WORD> glyphs(text.size());
  if (GetGlyphIndicesW(dc, text.data(), static_cast<int>(text.size()), glyphs.data(),
                       GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
    return 0;
  size_t missing = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (glyphs[i] == 0xFFFF && c >= L' ') ++missing;
  }
  return missing;
}

// Faces with many scripts' glyphs, on Windows and where the program runs under wine.
constexpr const wchar_t* kFallbackFaces[] = {
    L"Segoe UI",        L"Arial Unicode MS", L"Microsoft YaHei",     L"Meiryo",
    L"MS UI Gothic",    L"SimSun",           L"Malgun Gothic",       L"Nirmala UI",
    L"WenQuanYi Micro Hei", L"Noto Sans CJK JP", L"DejaVu Sans",     L"Tahoma"};

// The fallback fonts of one size and look (a base font's handle may be reused later).
struct FallbackFonts {
  LOGFONTW look;
  std::vector<HFONT> fonts;  // one per face of kFallbackFaces, null until made
};

bool SameLook(const LOGFONTW& a, const LOGFONTW& b) {
  return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfWeight == b.lfWeight &&
         a.lfItalic == b.lfItalic && a.lfUnderline == b.lfUnderline &&
         a.lfEscapement == b.lfEscapement && a.lfOrientation == b.lfOrientation &&
         a.lfQuality == b.lfQuality;
}
std::vector<FallbackFonts> g_fallbacks;

bool AllAscii(std::wstring_view text) {
  for (const wchar_t c : text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

HFONT FontWithGlyphs(HDC dc, HFONT font, std::wstring_view text) {
  if (!dc || !font || AllAscii(text)) return font;
  HGDIOBJ old = SelectObject(dc, font);
  size_t fewest = MissingGlyphs(dc, text);
  HFONT best = font;
  if (fewest > 0) {
    LOGFONTW description{};
    GetObjectW(font, sizeof description, &description);
    auto entry = std::find_if(g_fallbacks.begin(), g_fallbacks.end(),
                              [&](const FallbackFonts& f) { return SameLook(f.look, description); });
    if (entry == g_fallbacks.end()) {
      g_fallbacks.push_back({description, std::vector<HFONT>(std::size(kFallbackFaces), nullptr)});
      entry = g_fallbacks.end() - 1;
    }
    for (size_t i = 0; i < std::size(kFallbackFaces) && fewest > 0; ++i) {
      if (!entry->fonts[i]) {
        LOGFONTW other = description;
        other.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(other.lfFaceName, kFallbackFaces[i], LF_FACESIZE);
        entry->fonts[i] = CreateFontIndirectW(&other);
        if (!entry->fonts[i]) continue;
      }
      SelectObject(dc, entry->fonts[i]);
      const size_t missing = MissingGlyphs(dc, text);
      if (missing < fewest) {
        fewest = missing;
        best = entry->fonts[i];
      }
    }
  }
  SelectObject(dc, old);
  return best;
}

int DrawTextUtf8(HDC dc, std::string_view text, RECT* rect, UINT format) {
  std::wstring wide = Widen(text);
  // DT_MODIFYSTRING may write up to four characters more.
  if (format & DT_MODIFYSTRING) wide.reserve(wide.size() + 5);
  return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), rect, format);
}

bool TextOutUtf8(HDC dc, int x, int y, std::string_view text) {
  const std::wstring wide = Widen(text);
  return TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size())) != FALSE;
}

SIZE TextExtent(HDC dc, std::string_view text) {
  const std::wstring wide = Widen(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  return size;
}

DWORD FileAttributes(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()); }

bool PathExists(const std::string& path) { return FileAttributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  const DWORD a = FileAttributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileAttributeData(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  return GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, data) != FALSE;
}

HANDLE OpenFileHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags) {
  return CreateFileW(Widen(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
}

std::FILE* OpenCFile(const std::string& path, const char* mode) { return OpenFileUtf8(path, mode); }

bool RemoveFile(const std::string& path) { return DeleteFileW(Widen(path).c_str()) != FALSE; }

bool MakeFolder(const std::string& path) {
  return CreateDirectoryW(Widen(path).c_str(), nullptr) != FALSE;
}

bool RemoveFolder(const std::string& path) {
  return RemoveDirectoryW(Widen(path).c_str()) != FALSE;
}

bool MovePath(const std::string& from, const std::string& to, DWORD flags) {
  return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), flags) != FALSE;
}

std::string FullPathName(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD n = GetFullPathNameW(wide.c_str(), needed, &full[0], nullptr);
  if (n == 0 || n >= needed) return path;
  full.resize(n);
  return Narrow(full);
}

std::string ModuleFileName(HMODULE module) {
  // Long paths (\\?\ ...) can exceed MAX_PATH: grow until the name fits.
  for (DWORD size = MAX_PATH; size <= 32768 * 2; size *= 2) {
    std::wstring name(size, L'\0');
    const DWORD n = GetModuleFileNameW(module, &name[0], size);
    if (n == 0) return {};
    if (n < size) {
      name.resize(n);
      return Narrow(name);
    }
  }
  return {};
}

HMODULE LoadLibraryUtf8(const std::string& path, DWORD flags) {
  return LoadLibraryExW(Widen(path).c_str(), nullptr, flags);
}

std::string WindowsFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT n = GetSystemWindowsDirectoryW(folder, MAX_PATH + 1);
  return n > 0 && n <= MAX_PATH ? Narrow(std::wstring_view(folder, n)) : std::string();
}

std::string ShellFolder(int csidl) {
  wchar_t folder[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, folder))) return {};
  return Narrow(folder);
}

std::string PathFromIdList(PCIDLIST_ABSOLUTE items) {
  wchar_t folder[MAX_PATH + 1] = {};
  if (!items || !SHGetPathFromIDListW(items, folder)) return {};
  return Narrow(folder);
}

bool ForEachFile(const std::string& pattern, const std::function<void(const FoundFile&)>& visit) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW(Widen(pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  struct Closer {
    HANDLE h;
    ~Closer() { FindClose(h); }
  } closer{find};
  FoundFile found;
  do {
    found.name = Narrow(data.cFileName);
    found.attributes = data.dwFileAttributes;
    visit(found);
  } while (FindNextFileW(find, &data));
  return true;
}

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags) {
  return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), flags);
}

bool ShellOpen(HWND owner, const char* verb, const std::string& file,
               const std::string& parameters, const std::string& folder, int show) {
  const std::wstring wide_verb = verb ? Widen(verb) : std::wstring();
  const std::wstring wide_parameters = Widen(parameters), wide_folder = Widen(folder);
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(owner, verb ? wide_verb.c_str() : nullptr, Widen(file).c_str(),
                    parameters.empty() ? nullptr : wide_parameters.c_str(),
                    folder.empty() ? nullptr : wide_folder.c_str(), show));
  return result > 32;
}

std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!list) return arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Narrow(list[i]));
  LocalFree(list);
  return arguments;
}

std::vector<std::string> DroppedFiles(HDROP drop) {
  std::vector<std::string> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(static_cast<size_t>(length) + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, i, &name[0], length + 1);
    name.resize(copied);
    files.push_back(Narrow(name));
  }
  return files;
}

bool ReadRegistryString(HKEY key, const char* name, std::string& value) {
  const std::wstring wide_name = Widen(name);
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key, wide_name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return false;
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key, wide_name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&text[0]),
                       &bytes) != ERROR_SUCCESS)
    return false;
  // The stored value may or may not end in a terminator.
  text.resize(wcsnlen(text.c_str(), bytes / sizeof(wchar_t)));
  value = Narrow(text);
  return true;
}

bool WriteRegistryString(HKEY key, const char* name, std::string_view value) {
  const std::wstring wide = Widen(value);
  return RegSetValueExW(key, Widen(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(wide.c_str()),
                        static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace velmora::ui
