// Text inside the program is UTF-8. These are the conversions to and from UTF-16 (what
// the wide Windows functions take) and the checks that decide how a stored file's bytes
// are read. Invalid input never stops a conversion: each broken piece becomes one
// U+FFFD and everything valid around it comes through unchanged. No window system here.
#pragma once

#include <cstddef>
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

// True when some byte is outside ASCII.
bool HasNonAscii(std::string_view bytes);

// The byte-order mark a text file starts with.
enum class ByteOrderMark { kNone, kUtf8, kUtf16Le, kUtf16Be };

ByteOrderMark DetectByteOrderMark(std::string_view bytes);

// How many bytes the mark takes (0 for kNone).
std::size_t ByteOrderMarkLength(ByteOrderMark mark);

// The replacement character, in UTF-8.
inline constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

}  // namespace velmora::ui
