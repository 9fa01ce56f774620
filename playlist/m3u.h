// The .m3u playlist text: one path per line in the system code page. The reader takes
// what this program writes and what other players write (LF-only lines, extended-M3U
// comment lines, network paths, URLs) without inventing entries; the writer writes bare
// paths with CR LF and no header.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

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
// written as ".\#..." so that it does not read back as a comment.
std::string FormatM3uText(const std::vector<std::string>& paths);

}  // namespace velmora
