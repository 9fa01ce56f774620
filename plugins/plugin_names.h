// How names and texts cross between the player (UTF-8 inside) and an input plug-in. A
// library that answers `utf8names` takes and returns UTF-8; any other is of the 8-bit
// contract and speaks the process's active code page, so it gets a form of each name it
// can open and its texts are read in that code page.
#pragma once

#include <optional>
#include <string>

namespace velmora {

// The system's side of 8-bit names. The Win32 module system implements it.
class LegacyNames {
 public:
  virtual ~LegacyNames() = default;
  // True when the active code page is UTF-8 (the program's manifest took effect).
  virtual bool CodePageIsUtf8() const = 0;
  // The text in the active code page; nothing when a character has no exact form there.
  virtual std::optional<std::string> ToCodePage(const std::string& utf8) const = 0;
  // The same text with every character that has no form there replaced.
  virtual std::string ToCodePageLossy(const std::string& utf8) const = 0;
  // The short (8.3) alias of an existing file or folder, in UTF-8; empty when there is
  // none (no such file, or short names are off on its volume).
  virtual std::string ShortAlias(const std::string& utf8_path) const = 0;
  // Text in the active code page, as UTF-8.
  virtual std::string FromCodePage(const std::string& bytes) const = 0;
  // Text in the system's legacy code page (that of 8-bit programs without the UTF-8
  // manifest), as UTF-8.
  virtual std::string FromSystemCodePage(const std::string& bytes) const = 0;
};

// The name a library of the 8-bit contract gets for `utf8_name` (a file, folder or URL):
// the name itself where the code page is UTF-8 or the name is ASCII; otherwise its form
// in the code page where every character has one; otherwise the file's short alias where
// that has one; otherwise the lossy form (the library reports it as it would any name it
// cannot open). The player keeps showing and storing the real name.
std::string NameForLegacyLibrary(const std::string& utf8_name, const LegacyNames& system);

}  // namespace velmora
