// Where the program's text crosses into Windows. Text inside is UTF-8; every call here
// converts it to UTF-16 and calls the wide function, so names in any script work on every
// Windows the program runs on, whatever the active code page. Texts coming back are UTF-8.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::ui {

// UTF-8 to UTF-16 and back (broken input becomes U+FFFD, see ui/utf8.h).
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// ----- window and control text -----

// The window's text (WM_GETTEXT in UTF-16); empty for no window.
std::string GetText(HWND hwnd);
bool SetText(HWND hwnd, std::string_view text);
bool SetItemText(HWND dialog, int id, std::string_view text);
// The text of a WM_SETTEXT a Unicode window received (null: empty).
std::string MessageText(LPARAM lp);
// CreateWindowEx with a UTF-8 class name and text (either may be null).
HWND CreateWindowUtf8(DWORD ex_style, const char* class_name, const char* text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HMENU menu,
                      HINSTANCE instance, void* param);
// Adds a string to a list box (LB_ADDSTRING) or combo box (CB_ADDSTRING), or sends another
// message whose lParam is a text: `message` names which.
LRESULT SendTextMessage(HWND hwnd, UINT message, WPARAM wp, std::string_view text);
// The text of a list box row (LB_GETTEXT) or combo box item (CB_GETLBTEXT).
std::string ListRowText(HWND list, int row, bool combo = false);

// ----- drawing -----

int DrawTextUtf8(HDC dc, std::string_view text, RECT* rect, UINT format);
bool TextOutUtf8(HDC dc, int x, int y, std::string_view text);
SIZE TextExtent(HDC dc, std::string_view text);
// Puts a UTF-8 face name into a font description (cut to what the field holds).
void SetFaceName(LOGFONTW& font, std::string_view face);
// The font to draw `text` with in place of `font`: `font` itself when it has a glyph for
// every character, else a font of the same size and weight from a face that has them
// (or lacks the fewest). Windows does not link every face a design may name to one with
// other scripts' glyphs, so names in those scripts would show as boxes. The fonts made
// here live for the run.
HFONT FontWithGlyphs(HDC dc, HFONT font, std::wstring_view text);

// ----- file system -----

// GetFileAttributes: INVALID_FILE_ATTRIBUTES when the path does not exist.
DWORD FileAttributes(const std::string& path);
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
bool FileAttributeData(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA* data);
// CreateFile; INVALID_HANDLE_VALUE on failure.
HANDLE OpenFileHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags = FILE_ATTRIBUTE_NORMAL);
// The C runtime's fopen for a UTF-8 name (see ui/utf8.h OpenFileUtf8 for portable code).
std::FILE* OpenCFile(const std::string& path, const char* mode);
bool RemoveFile(const std::string& path);
bool MakeFolder(const std::string& path);
bool RemoveFolder(const std::string& path);
// MoveFileEx (flags 0: a plain MoveFile).
bool MovePath(const std::string& from, const std::string& to, DWORD flags = 0);
// GetFullPathName; the path itself when it cannot be made full.
std::string FullPathName(const std::string& path);
// The file the module was loaded from ("" on failure); null: the program.
std::string ModuleFileName(HMODULE module);
HMODULE LoadLibraryUtf8(const std::string& path, DWORD flags = 0);
std::string WindowsFolder();
// SHGetFolderPath of `csidl` (CSIDL_FLAG_CREATE allowed); "" when there is none.
std::string ShellFolder(int csidl);
// SHGetPathFromIDList; "" when the item is no file-system folder.
std::string PathFromIdList(PCIDLIST_ABSOLUTE items);

// One entry a folder listing found.
struct FoundFile {
  std::string name;  // the long name, UTF-8
  DWORD attributes = 0;
  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// Calls `visit` for every entry FindFirstFile finds for `pattern` (for example
// "C:\x\*.dll"), "." and ".." included; false when the search finds nothing or the
// folder cannot be read.
bool ForEachFile(const std::string& pattern, const std::function<void(const FoundFile&)>& visit);

// ----- shell, dialogs, command line, registry -----

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags);
// ShellExecute; true when it started (the result above 32).
bool ShellOpen(HWND owner, const char* verb, const std::string& file,
               const std::string& parameters = {}, const std::string& folder = {},
               int show = SW_SHOWNORMAL);
// The program's command line split as the C runtime splits it, the program's own name
// first, from GetCommandLineW.
std::vector<std::string> CommandLineArguments();
// The files of a WM_DROPFILES (DragQueryFileW); does not call DragFinish.
std::vector<std::string> DroppedFiles(HDROP drop);
// A REG_SZ/REG_EXPAND_SZ value of an open key; false when missing or of another type.
bool ReadRegistryString(HKEY key, const char* name, std::string& value);
bool WriteRegistryString(HKEY key, const char* name, std::string_view value);

}  // namespace velmora::ui
