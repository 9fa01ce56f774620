// The .m3u and .m3u8 playlist text: one path per line. The reader takes what this program
// writes and what other players write (LF-only lines, extended-M3U comment lines, network
// paths, URLs, older programs' files in the system's legacy code page) without inventing
// entries; the writer writes bare UTF-8 paths with CR LF, no header and no byte-order mark.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// How the bytes of a playlist file are read.
enum class PlaylistEncoding { kUtf8, kUtf16Le, kUtf16Be, kLegacy };

// A .m3u8 file is UTF-8. Any other playlist is UTF-8 when it starts with the UTF-8 mark or
// its bytes are valid UTF-8 (plain ASCII included), UTF-16 when it starts with a UTF-16
// mark, and otherwise in the system's legacy code page (what older programs wrote).
PlaylistEncoding DecidePlaylistEncoding(std::string_view bytes, bool is_m3u8);

// Text in the system's legacy code page as UTF-8; the Win32 side hands in the real one.
using LegacyTextDecoder = std::function<std::string(std::string_view)>;
// The decoder for where none is handed in: Latin-1.
std::string Latin1TextToUtf8(std::string_view bytes);

// The file's bytes as UTF-8 text by that decision (a byte-order mark dropped, broken
// UTF-8 replaced by U+FFFD).
std::string PlaylistTextAsUtf8(std::string_view bytes, bool is_m3u8,
                               const LegacyTextDecoder& legacy);

// True for a file name ending in ".m3u8" (any letter case).
bool IsM3u8Name(const std::string& file_path);

// The folder of a playlist file: its path up to and including the last "\" (empty when
// the path holds none).
std::string PlaylistFolderOf(const std::string& file_path);

// Turns the bytes of a playlist file into entry paths, appended to `paths` in file
// order. `folder` is PlaylistFolderOf(file). URL entries come back as "*" + URL.
//  - a line ends at CR, CR LF or a lone LF; byte 26 (Ctrl-Z) ends the text;
//  - a UTF-8 byte-order mark at the very start is skipped;
//  - empty lines and lines beginning with "#" add nothing;
//  - "*url" is the URL entry that was saved; a line holding "://" is a URL entry;
//  - "X:..." (longer than two characters) and "\\server\..." are absolute;
//  - "\..." is rooted on the drive (or the \\server\share) of the folder;
//  - everything else is joined to the folder, without a leading ".\". Nothing is trimmed.
void ParseM3uText(const char* data, size_t size, const std::string& folder,
                  std::vector<std::string>& paths);

// One line per path, each followed by CR LF. A (relative) path beginning with "#" is
// written as ".\#..." so that it does not read back as a comment; broken UTF-8 in a path
// is written as U+FFFD.
std::string FormatM3uText(const std::vector<std::string>& paths);

}  // namespace velmora
