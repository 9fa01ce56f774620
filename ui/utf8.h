// Text inside the program is UTF-8. These are the conversions to and from UTF-16 (what
// the wide Windows functions take) and the checks that decide how a stored file's bytes
// are read. Invalid input never stops a conversion: each broken piece becomes one
// U+FFFD and everything valid around it comes through unchanged. No window system here.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::ui {

// UTF-8 to UTF-16. A truncated or overlong sequence, an encoded surrogate, a code point
// above U+10FFFF or a stray byte becomes U+FFFD (one per maximal broken piece, as the
// Unicode standard recommends), and decoding resumes at the first byte not taken.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8; a lone surrogate (high without low, low without high) becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// True when `bytes` is well-formed UTF-8 throughout (no overlong forms, surrogates or
// code points above U+10FFFF). Plain ASCII and the empty text are valid.
bool IsValidUtf8(std::string_view bytes);

// Decodes one character at bytes[pos]: the code point (U+FFFD for a broken piece, with
// `valid` false) and in `taken` the bytes consumed — a whole sequence, or the longest
// prefix of one that was valid so far (at least one byte).
char32_t DecodeUtf8At(std::string_view bytes, std::size_t pos, std::size_t& taken, bool& valid);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t cp);

// True when some byte is outside ASCII.
bool HasNonAscii(std::string_view bytes);

// The byte-order mark a text file starts with.
enum class ByteOrderMark { kNone, kUtf8, kUtf16Le, kUtf16Be };

ByteOrderMark DetectByteOrderMark(std::string_view bytes);

// How many bytes the mark takes (0 for kNone).
std::size_t ByteOrderMarkLength(ByteOrderMark mark);

// fopen for a UTF-8 file name: on Windows through the wide C runtime call, so that names
// outside the active code page open too.
std::FILE* OpenFileUtf8(const std::string& path, const char* mode);

// True when the UTF-8 name is a regular file (not a folder, device or pipe).
bool IsRegularFileUtf8(const std::string& path);

// The UTF-8 name as a path for std::filesystem and the file streams (never construct one
// from a narrow string: that reads it in the active code page).
std::filesystem::path PathFromUtf8(const std::string& path);

// The replacement character, in UTF-8.
inline constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

}  // namespace velmora::ui
