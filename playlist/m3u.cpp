#include "playlist/m3u.h"


#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "playlist/playlist.h"
#include "ui/utf8.h"
#include "ui/unique_file.h"

namespace velmora {

namespace {

constexpr char kCtrlZ = 26;

// "X:" of "X:\lists\", or "\\server\share" of "\\server\share\lists\"; empty otherwise.
std::string RootOf(const std::string& folder) {
  if (folder.size() >= 2 && folder[1] == ':') return folder.substr(0, 2);
  if (folder.size() >= 2 && folder[0] == '\\' && folder[1] == '\\') {
    size_t server_end = folder.find('\\', 2);
    if (server_end == std::string::npos) return folder;
    size_t share_end = folder.find('\\', server_end + 1);
    return share_end == std::string::npos ? folder : folder.substr(0, share_end);
  }
  return std::string();
}

void TakeLine(const char* begin, size_t length, const std::string& folder, const std::string& root,
              std::vector<std::string>& paths) {
  if (length == 0 || begin[0] == '#') return;
  if (begin[0] == '*') {
    paths.emplace_back(begin, length);
    return;
  }
  // A URL is kept whole and marked the way the URL dialog marks it.
  static const char kScheme[] = "://";
  const char* end = begin + length;
  if (std::search(begin, end, kScheme, kScheme + 3) != end) {
    std::string url;
    url.reserve(length + 1);
    url.push_back('*');
    url.append(begin, length);
    paths.push_back(std::move(url));
    return;
  }
  if (length > 2 && begin[1] == ':') {
    paths.emplace_back(begin, length);
    return;
  }
  if (begin[0] == '\\') {
    if (length > 1 && begin[1] == '\\') {
      paths.emplace_back(begin, length);  // network or \\?\ path: already absolute
    } else {
      std::string path = root;
      path.append(begin, length);
      paths.push_back(std::move(path));
    }
    return;
  }
  // ".\" names the folder itself (the writer puts it before a name beginning with "#").
  if (length > 2 && begin[0] == '.' && begin[1] == '\\') {
    begin += 2;
    length -= 2;
  }
  std::string path;
  path.reserve(folder.size() + length);
  path.append(folder);
  path.append(begin, length);
  paths.push_back(std::move(path));
}

bool IsRegularFile(const std::string& path) {
  // A device name (CON, NUL, a pipe) is not a playlist: reading one could block forever.
  return ui::IsRegularFileUtf8(path);
}

}  // namespace

PlaylistEncoding DecidePlaylistEncoding(std::string_view bytes, bool is_m3u8) {
  switch (ui::DetectByteOrderMark(bytes)) {
    case ui::ByteOrderMark::kUtf16Le: return PlaylistEncoding::kUtf16Le;
    case ui::ByteOrderMark::kUtf16Be: return PlaylistEncoding::kUtf16Be;
    case ui::ByteOrderMark::kUtf8: return PlaylistEncoding::kUtf8;
    case ui::ByteOrderMark::kNone: break;
  }
  if (is_m3u8 || ui::IsValidUtf8(bytes)) return PlaylistEncoding::kUtf8;
  return PlaylistEncoding::kLegacy;
}

std::string Latin1TextToUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text.push_back(c);
    } else {
      text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return text;
}

std::string PlaylistTextAsUtf8(std::string_view bytes, bool is_m3u8,
                               const LegacyTextDecoder& legacy) {
  const PlaylistEncoding encoding = DecidePlaylistEncoding(bytes, is_m3u8);
  if (encoding == PlaylistEncoding::kLegacy) return legacy(bytes);
  bytes.remove_prefix(ui::ByteOrderMarkLength(ui::DetectByteOrderMark(bytes)));
  if (encoding == PlaylistEncoding::kUtf8) {
    // Broken pieces of a file that says it is UTF-8 become U+FFFD: a name that is not
    // UTF-8 would make the saved playlist read back as legacy text, every name garbled.
    if (ui::IsValidUtf8(bytes)) return std::string(bytes);
    return ui::Utf16ToUtf8(ui::Utf8ToUtf16(bytes));
  }
  // UTF-16: an odd last byte is not half a character and goes.
  std::u16string units(bytes.size() / 2, u'\0');
  const bool big_endian = encoding == PlaylistEncoding::kUtf16Be;
  for (size_t i = 0; i < units.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(big_endian ? (first << 8 | second) : (second << 8 | first));
  }
  return ui::Utf16ToUtf8(units);
}

bool IsM3u8Name(const std::string& file_path) {
  static const char kExtension[] = ".m3u8";
  const size_t n = sizeof kExtension - 1;
  if (file_path.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    const char c = file_path[file_path.size() - n + i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != kExtension[i]) return false;
  }
  return true;
}

std::string PlaylistFolderOf(const std::string& file_path) {
  size_t slash = file_path.rfind('\\');
  return slash == std::string::npos ? std::string() : file_path.substr(0, slash + 1);
}

void ParseM3uText(const char* data, size_t size, const std::string& folder,
                  std::vector<std::string>& paths) {
  if (size >= 3 && static_cast<unsigned char>(data[0]) == 0xEF &&
      static_cast<unsigned char>(data[1]) == 0xBB && static_cast<unsigned char>(data[2]) == 0xBF) {
    data += 3;
    size -= 3;
  }
  if (const void* eof = std::memchr(data, kCtrlZ, size)) {
    size = static_cast<size_t>(static_cast<const char*>(eof) - data);
  }
  const std::string root = RootOf(folder);
  const char* end = data + size;
  const char* line = data;
  const char* p = data;
  while (p < end) {
    char c = *p;
    if (c == '\r' || c == '\n') {
      TakeLine(line, static_cast<size_t>(p - line), folder, root, paths);
      ++p;
      if (c == '\r' && p < end && *p == '\n') ++p;
      line = p;
    } else {
      ++p;
    }
  }
  if (line < end) TakeLine(line, static_cast<size_t>(end - line), folder, root, paths);
}

std::string FormatM3uText(const std::vector<std::string>& paths) {
  size_t total = 0;
  for (const std::string& path : paths) total += path.size() + 4;
  std::string text;
  text.reserve(total);
  for (const std::string& path : paths) {
    // A relative name beginning with "#" would read back as a comment line.
    if (!path.empty() && path[0] == '#') text.append(".\\", 2);
    // Valid UTF-8 throughout, so that the file reads back as UTF-8 (see the reader).
    if (ui::IsValidUtf8(path)) {
      text.append(path);
    } else {
      text.append(ui::Utf16ToUtf8(ui::Utf8ToUtf16(path)));
    }
    text.append("\r\n", 2);
  }
  return text;
}

size_t Playlist::LoadPlaylistFile(const std::string& file_path) {
  if (!IsRegularFile(file_path)) return 0;
  ui::UniqueFile file(ui::OpenFileUtf8(file_path, "rb"));
  if (!file) return 0;  // vanished or unreadable: treated like a missing file

  std::string bytes;
  char buffer[64 * 1024];
  bool read_error = false;
  for (;;) {
    size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
    bytes.append(buffer, got);
    if (got < sizeof buffer) {
      read_error = std::ferror(file.get()) != 0;
      break;
    }
  }
  file.reset();

  if (read_error) {
    // Keep the complete lines read before the failure; a cut line would name a wrong file.
    size_t last_end = bytes.find_last_of("\r\n");
    bytes.resize(last_end == std::string::npos ? 0 : last_end + 1);
  }
  const std::string text = PlaylistTextAsUtf8(
      bytes, IsM3u8Name(file_path), legacy_decoder_ ? legacy_decoder_ : Latin1TextToUtf8);
  std::vector<std::string> paths;
  ParseM3uText(text.data(), text.size(), PlaylistFolderOf(file_path), paths);
  AppendPaths(paths);
  if (read_error) throw PlaylistFileError("Read error in file " + file_path);
  return paths.size();
}

void Playlist::SavePlaylistFile(const std::string& file_path) const {
  ui::UniqueFile file(ui::OpenFileUtf8(file_path, "wb"));
  if (!file) throw PlaylistFileError("Cannot create file " + file_path);
  const std::string text = FormatM3uText(paths_);
  bool ok = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  ok = ui::CloseFile(file) && ok;
  if (!ok) throw PlaylistFileError("Cannot write file " + file_path);
}

}  // namespace velmora
