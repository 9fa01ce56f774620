#include "ui/utf8.h"

#include <sys/stat.h>

#include <cstdint>

namespace velmora::ui {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

char32_t DecodeUtf8At(std::string_view bytes, std::size_t pos, std::size_t& taken, bool& valid) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
  const std::uint8_t lead = byte(pos);
  taken = 1;
  valid = true;
  if (lead < 0x80) return lead;
  int trail = 0;
  char32_t cp = 0;
  std::uint8_t low = 0x80, high = 0xBF;  // the range of the first trailing byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // overlong below U+0800
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // overlong below U+10000
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    valid = false;  // a trailing byte on its own, C0/C1 (always overlong), F5..FF
    return kReplacement;
  }
  for (int i = 0; i < trail; ++i) {
    const std::size_t at = pos + 1 + i;
    if (at >= bytes.size()) {
      valid = false;
      return kReplacement;
    }
    const std::uint8_t b = byte(at);
    const std::uint8_t lo = i == 0 ? low : 0x80, hi = i == 0 ? high : 0xBF;
    if (b < lo || b > hi) {
      valid = false;
      return kReplacement;
    }
    cp = (cp << 6) | (b & 0x3F);
    ++taken;
  }
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    std::size_t taken = 1;
    bool valid = true;
    const char32_t cp = DecodeUtf8At(utf8, pos, taken, valid);
    pos += taken;
    if (cp >= 0x10000) {
      const char32_t v = cp - 0x10000;
      out += static_cast<char16_t>(0xD800 | (v >> 10));
      out += static_cast<char16_t>(0xDC00 | (v & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
        ++i;
      } else {
        cp = kReplacement;
      }
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t pos = 0; pos < bytes.size();) {
    std::size_t taken = 1;
    bool valid = true;
    DecodeUtf8At(bytes, pos, taken, valid);
    if (!valid) return false;
    pos += taken;
  }
  return true;
}

bool HasNonAscii(std::string_view bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

ByteOrderMark DetectByteOrderMark(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return ByteOrderMark::kUtf8;
  if (bytes.substr(0, 2) == "\xFF\xFE") return ByteOrderMark::kUtf16Le;
  if (bytes.substr(0, 2) == "\xFE\xFF") return ByteOrderMark::kUtf16Be;
  return ByteOrderMark::kNone;
}

std::FILE* OpenFileUtf8(const std::string& path, const char* mode) {
#ifdef _WIN32
  const std::u16string wide_path = Utf8ToUtf16(path);
  const std::u16string wide_mode = Utf8ToUtf16(mode);
  return _wfopen(reinterpret_cast<const wchar_t*>(wide_path.c_str()),
                 reinterpret_cast<const wchar_t*>(wide_mode.c_str()));
#else
  return std::fopen(path.c_str(), mode);
#endif
}

bool IsRegularFileUtf8(const std::string& path) {
#ifdef _WIN32
  const std::u16string wide_path = Utf8ToUtf16(path);
  struct _stat64 info;
  if (_wstat64(reinterpret_cast<const wchar_t*>(wide_path.c_str()), &info) != 0) return false;
  return (info.st_mode & _S_IFMT) == _S_IFREG;
#else
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  return S_ISREG(info.st_mode);
#endif
}

std::filesystem::path PathFromUtf8(const std::string& path) {
  return std::filesystem::u8path(path);
}

std::size_t ByteOrderMarkLength(ByteOrderMark mark) {
  switch (mark) {
    case ByteOrderMark::kUtf8: return 3;
    case ByteOrderMark::kUtf16Le:
    case ByteOrderMark::kUtf16Be: return 2;
    case ByteOrderMark::kNone: break;
  }
  return 0;
}

}  // namespace velmora::ui
