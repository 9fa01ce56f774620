#include "plugins/mpeg/id3.h"

#include <algorithm>
#include <cstring>

#include "ui/utf8.h"

namespace velmora::mpeg {

namespace {

const char* const kGenres[] = {"Blues",
                               "Classic Rock",
                               "Country",
                               "Dance",
                               "Disco",
                               "Funk",
                               "Grunge",
                               "Hip-Hop",
                               "Jazz",
                               "Metal",
                               "New Age",
                               "Oldies",
                               "Other",
                               "Pop",
                               "R&B",
                               "Rap",
                               "Reggae",
                               "Rock",
                               "Techno",
                               "Industrial",
                               "Alternative",
                               "Ska",
                               "Death Metal",
                               "Pranks",
                               "Soundtrack",
                               "Euro-Techno",
                               "Ambient",
                               "Trip-Hop",
                               "Vocal",
                               "Jazz+Funk",
                               "Fusion",
                               "Trance",
                               "Classical",
                               "Instrumental",
                               "Acid",
                               "House",
                               "Game",
                               "Sound Clip",
                               "Gospel",
                               "Noise",
                               "AlternRock",
                               "Bass",
                               "Soul",
                               "Punk",
                               "Space",
                               "Meditative",
                               "Instrumental Pop",
                               "Instrumental Rock",
                               "Ethnic",
                               "Gothic",
                               "Darkwave",
                               "Techno-Industrial",
                               "Electronic",
                               "Pop-Folk",
                               "Eurodance",
                               "Dream",
                               "Southern Rock",
                               "Comedy",
                               "Cult",
                               "Gangsta",
                               "Top 40",
                               "Christian Rap",
                               "Pop/Funk",
                               "Jungle",
                               "Native American",
                               "Cabaret",
                               "New Wave",
                               "Psychadelic",
                               "Rave",
                               "Showtunes",
                               "Trailer",
                               "Lo-Fi",
                               "Tribal",
                               "Acid Punk",
                               "Acid Jazz",
                               "Polka",
                               "Retro",
                               "Musical",
                               "Rock & Roll",
                               "Hard Rock",
                               "Folk",
                               "Folk-Rock",
                               "National Folk",
                               "Swing",
                               "Fast Fusion",
                               "Bebob",
                               "Latin",
                               "Revival",
                               "Celtic",
                               "Bluegrass",
                               "Avantgarde",
                               "Gothic Rock",
                               "Progressive Rock",
                               "Psychedelic Rock",
                               "Symphonic Rock",
                               "Slow Rock",
                               "Big Band",
                               "Chorus",
                               "Easy Listening",
                               "Acoustic",
                               "Humour",
                               "Speech",
                               "Chanson",
                               "Opera",
                               "Chamber Music",
                               "Sonata",
                               "Symphony",
                               "Booty Bass",
                               "Primus",
                               "Porn Groove",
                               "Satire",
                               "Slow Jam",
                               "Club",
                               "Tango",
                               "Samba",
                               "Folklore",
                               "Ballad",
                               "Power Ballad",
                               "Rhythmic Soul",
                               "Freestyle",
                               "Duet",
                               "Punk Rock",
                               "Drum Solo",
                               "A capella",
                               "Euro-House",
                               "Dance Hall",
                               "Goa",
                               "Drum & Bass",
                               "Club-House",
                               "Hardcore",
                               "Terror",
                               "Indie",
                               "BritPop",
                               "Negerpunk",
                               "Polsk Punk",
                               "Beat",
                               "Christian Gangsta Rap",
                               "Heavy Metal",
                               "Black Metal",
                               "Crossover",
                               "Contemporary Christian",
                               "Christian Rock",
                               "Merengue",
                               "Salsa",
                               "Thrash Metal",
                               "Anime",
                               "JPop",
                               "Synthpop"};
constexpr int kGenreCount = static_cast<int>(sizeof(kGenres) / sizeof(kGenres[0]));

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Copies UTF-8 text, replacing every malformed sequence with '?'.
std::string SanitiseUtf8(const uint8_t* p, size_t n) {
  std::string out;
  size_t i = 0;
  while (i < n) {
    uint8_t c = p[i];
    size_t len = c < 0x80           ? 1
                 : (c >> 5) == 0x6  ? 2
                 : (c >> 4) == 0xE  ? 3
                 : (c >> 3) == 0x1E ? 4
                                    : 0;
    bool ok = len != 0 && i + len <= n;
    for (size_t k = 1; ok && k < len; ++k) ok = (p[i + k] & 0xC0) == 0x80;
    if (ok && len > 1) {
      uint32_t cp = c & (0xFF >> (len + 1));
      for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (p[i + k] & 0x3F);
      static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
      ok = cp >= kMin[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    }
    if (ok) {
      out.append(reinterpret_cast<const char*>(p + i), len);
      i += len;
    } else {
      out.push_back('?');
      ++i;
    }
  }
  return out;
}

std::string DecodeUtf16(const uint8_t* p, size_t n, bool big_endian) {
  std::string out;
  size_t units = n / 2;  // an odd trailing byte is not half a character: drop it
  for (size_t i = 0; i < units; ++i) {
    uint32_t u = big_endian ? (p[2 * i] << 8 | p[2 * i + 1]) : (p[2 * i + 1] << 8 | p[2 * i]);
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      uint32_t lo =
          big_endian ? (p[2 * i + 2] << 8 | p[2 * i + 3]) : (p[2 * i + 3] << 8 | p[2 * i + 2]);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00), &out);
        ++i;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;  // a lone surrogate
    AppendUtf8(u, &out);
  }
  return out;
}

void TrimRight(std::string* s) {
  while (!s->empty() && (s->back() == ' ' || s->back() == '\0' || s->back() == '\r' ||
                         s->back() == '\n' || s->back() == '\t')) {
    s->pop_back();
  }
}

// Length of the text (in bytes) up to its terminator in the given encoding, and the
// offset just past the terminator (n when there is none).
size_t TextEnd(uint8_t encoding, const uint8_t* p, size_t n, size_t* after) {
  if (encoding == 1 || encoding == 2) {
    for (size_t i = 0; i + 1 < n; i += 2) {
      if (p[i] == 0 && p[i + 1] == 0) {
        *after = i + 2;
        return i;
      }
    }
  } else {
    const void* z = std::memchr(p, 0, n);
    if (z) {
      size_t i = static_cast<const uint8_t*>(z) - p;
      *after = i + 1;
      return i;
    }
  }
  *after = n;
  return n;
}

uint32_t BigEndian(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
  return v;
}

bool SyncSafe(const uint8_t* p, uint32_t* out) {
  if ((p[0] | p[1] | p[2] | p[3]) & 0x80) return false;
  *out = (uint32_t(p[0]) << 21) | (uint32_t(p[1]) << 14) | (uint32_t(p[2]) << 7) | p[3];
  return true;
}

std::vector<uint8_t> RemoveUnsync(const uint8_t* p, size_t n) {
  std::vector<uint8_t> out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    out.push_back(p[i]);
    if (p[i] == 0xFF && i + 1 < n && p[i + 1] == 0x00) ++i;
  }
  return out;
}

bool ValidFrameId(const uint8_t* p, int len) {
  for (int i = 0; i < len; ++i) {
    bool ok = (p[i] >= 'A' && p[i] <= 'Z') || (p[i] >= '0' && p[i] <= '9');
    if (!ok) return false;
  }
  return true;
}

// "(17)", "17", "(17)Rock and more", "(RX)", "(CR)" as found in genre frames.
std::string ResolveGenre(const std::string& text) {
  std::string s = text;
  if (s.size() >= 3 && s[0] == '(') {
    size_t close = s.find(')');
    if (close != std::string::npos) {
      std::string inner = s.substr(1, close - 1);
      std::string rest = s.substr(close + 1);
      if (!rest.empty()) return rest;
      if (inner == "RX") return "Remix";
      if (inner == "CR") return "Cover";
      s = inner;
    }
  }
  if (!s.empty() && s.size() <= 3 &&
      std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const char* name = GenreName(std::stoi(s));
    return *name ? name : s;
  }
  return s;
}

enum class Field { none, title, artist, album_artist, album, year, track, genre, comment };

Field FieldOf(const uint8_t* id, int major) {
  struct Map {
    const char* id;
    Field field;
  };
  static const Map kV22[] = {{"TT2", Field::title},        {"TP1", Field::artist},
                             {"TP2", Field::album_artist}, {"TAL", Field::album},
                             {"TYE", Field::year},         {"TRK", Field::track},
                             {"TCO", Field::genre},        {"COM", Field::comment}};
  static const Map kV23[] = {
      {"TIT2", Field::title}, {"TPE1", Field::artist}, {"TPE2", Field::album_artist},
      {"TALB", Field::album}, {"TYER", Field::year},   {"TDRC", Field::year},
      {"TRCK", Field::track}, {"TCON", Field::genre},  {"COMM", Field::comment}};
  if (major == 2) {
    for (const Map& m : kV22)
      if (std::memcmp(id, m.id, 3) == 0) return m.field;
  } else {
    for (const Map& m : kV23)
      if (std::memcmp(id, m.id, 4) == 0) return m.field;
  }
  return Field::none;
}

void ApplyFrame(Field field, const uint8_t* data, size_t n, TagFields* tags,
                std::string* album_artist, bool* comment_from_plain) {
  if (n < 1) return;
  uint8_t encoding = data[0];
  if (encoding > 3) return;  // unknown encoding: the bytes cannot be read as text
  const uint8_t* p = data + 1;
  size_t len = n - 1;
  std::string text;
  if (field == Field::comment) {
    if (len < 3) return;
    p += 3;  // language
    len -= 3;
    size_t after = 0;
    size_t desc_len = TextEnd(encoding, p, len, &after);
    std::string description;
    DecodeId3Text(encoding, p, desc_len, &description);
    if (!DecodeId3Text(encoding, p + after, len - after, &text)) return;
    bool plain = description.empty();
    // Players store private data in described comments (normalisation and the like);
    // the comment a user wrote has no description. Take the first plain one.
    if (text.empty() || *comment_from_plain) return;
    if (plain || tags->comment.empty()) {
      if (!plain && description.compare(0, 4, "iTun") == 0) return;
      tags->comment = text;
      *comment_from_plain = plain;
    }
    return;
  }
  if (!DecodeId3Text(encoding, p, len, &text) || text.empty()) return;
  switch (field) {
    case Field::title: tags->title = text; break;
    case Field::artist: tags->artist = text; break;
    case Field::album_artist: *album_artist = text; break;
    case Field::album: tags->album = text; break;
    case Field::year:
      if (tags->year.empty()) tags->year = text;
      break;
    case Field::track: tags->track = text; break;
    case Field::genre: tags->genre = ResolveGenre(text); break;
    default: break;
  }
}

std::string FixedLatin1(const uint8_t* p, size_t n) {
  size_t len = 0;
  while (len < n && p[len] != 0) ++len;
  std::string s = Latin1ToUtf8(p, len);
  TrimRight(&s);
  return s;
}

}  // namespace

size_t MemoryAccess::ReadAt(int64_t offset, void* buffer, size_t count) const {
  if (offset < 0 || static_cast<uint64_t>(offset) >= bytes_.size()) return 0;
  size_t n = std::min(count, bytes_.size() - static_cast<size_t>(offset));
  std::memcpy(buffer, bytes_.data() + offset, n);
  return n;
}

namespace {
int SeekFile(std::FILE* f, int64_t offset, int whence) {
#ifdef _WIN32
  return _fseeki64(f, offset, whence);
#else
  return fseeko(f, static_cast<off_t>(offset), whence);
#endif
}
int64_t TellFile(std::FILE* f) {
#ifdef _WIN32
  return _ftelli64(f);
#else
  return static_cast<int64_t>(ftello(f));
#endif
}
}  // namespace

std::FILE* OpenFileForReading(const std::string& utf8_path) {
  return ui::OpenFileUtf8(utf8_path, "rb");
}

FileAccess::FileAccess(const std::string& path) : file_(OpenFileForReading(path)) {
  if (file_ && SeekFile(file_.get(), 0, SEEK_END) == 0) size_ = TellFile(file_.get());
  if (size_ < 0) file_.reset();
}

FileAccess::~FileAccess() = default;

size_t FileAccess::ReadAt(int64_t offset, void* buffer, size_t count) const {
  if (!file_ || offset < 0 || offset >= size_ || SeekFile(file_.get(), offset, SEEK_SET) != 0)
    return 0;
  return std::fread(buffer, 1, count, file_.get());
}

std::string Latin1ToUtf8(const uint8_t* p, size_t n) {
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) AppendUtf8(p[i], &out);
  return out;
}

const char* GenreName(int index) { return index >= 0 && index < kGenreCount ? kGenres[index] : ""; }

bool DecodeId3Text(uint8_t encoding, const uint8_t* p, size_t n, std::string* out) {
  out->clear();
  size_t after = 0;
  switch (encoding) {
    case 0: *out = Latin1ToUtf8(p, TextEnd(0, p, n, &after)); break;
    case 1: {
      bool big_endian = false;
      if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        big_endian = true;
        p += 2;
        n -= 2;
      } else if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        p += 2;
        n -= 2;
      } else {
        // No mark: little-endian as most writers mean it, unless the zero high bytes of
        // Latin text stand first in more characters than they stand second.
        int zero_first = 0, zero_second = 0;
        for (size_t i = 0; i + 1 < n; i += 2) {
          if (p[i] == 0 && p[i + 1] != 0) ++zero_first;
          if (p[i] != 0 && p[i + 1] == 0) ++zero_second;
        }
        big_endian = zero_first > zero_second;
      }
      *out = DecodeUtf16(p, n, big_endian);
      break;
    }
    case 2: *out = DecodeUtf16(p, n, true); break;
    case 3: *out = SanitiseUtf8(p, TextEnd(3, p, n, &after)); break;
    default: return false;
  }
  TrimRight(out);
  return true;
}

bool ParseId3v2Header(const uint8_t* p, size_t n, Id3v2Header* out) {
  if (n < 10 || p[0] != 'I' || p[1] != 'D' || p[2] != '3') return false;
  if (p[3] < 2 || p[3] > 4 || p[4] == 0xFF) return false;
  uint32_t size = 0;
  if (!SyncSafe(p + 6, &size)) return false;
  out->major = p[3];
  out->revision = p[4];
  out->flags = p[5];
  out->body_size = size;
  out->total_size = 10ull + size + ((out->major == 4 && (p[5] & 0x10)) ? 10 : 0);
  return true;
}

TagFields ParseId3v2Body(const Id3v2Header& header, const uint8_t* body, size_t n) {
  TagFields tags;
  std::vector<uint8_t> unsynced;
  if (header.major < 4 && (header.flags & 0x80)) {
    unsynced = RemoveUnsync(body, n);
    body = unsynced.data();
    n = unsynced.size();
  }
  size_t pos = 0;
  if (header.flags & 0x40) {
    if (header.major == 2) return tags;  // v2.2 used this bit for a compression never defined
    if (n < 4) return tags;
    uint32_t ext = 0;
    if (header.major == 3) {
      ext = BigEndian(body, 4) + 4;
    } else if (!SyncSafe(body, &ext)) {
      return tags;
    }
    if (ext > n) return tags;
    pos = ext;
  }
  const int id_len = header.major == 2 ? 3 : 4;
  const size_t frame_header = header.major == 2 ? 6 : 10;
  std::string album_artist;
  bool comment_from_plain = false;
  while (pos + frame_header <= n) {
    const uint8_t* f = body + pos;
    if (f[0] == 0) break;  // padding
    if (!ValidFrameId(f, id_len)) break;
    uint32_t size = 0;
    uint16_t flags = 0;
    if (header.major == 2) {
      size = BigEndian(f + 3, 3);
    } else if (header.major == 3) {
      size = BigEndian(f + 4, 4);
      flags = static_cast<uint16_t>(BigEndian(f + 8, 2));
    } else {
      // Some writers put plain sizes into 2.4 tags. Prefer the synchsafe reading unless
      // only the plain one lands on another frame (or the end).
      uint32_t plain = BigEndian(f + 4, 4);
      uint32_t safe = 0;
      bool safe_ok = SyncSafe(f + 4, &safe);
      size = safe_ok ? safe : plain;
      if (safe_ok && safe != plain) {
        auto lands = [&](uint32_t s) {
          size_t next = pos + frame_header + s;
          return next == n ||
                 (next + frame_header <= n && (body[next] == 0 || ValidFrameId(body + next, 4)));
        };
        if (!lands(safe) && lands(plain)) size = plain;
      }
      flags = static_cast<uint16_t>(BigEndian(f + 8, 2));
    }
    size_t start = pos + frame_header;
    size_t avail = n - start;
    size_t len = std::min<size_t>(size, avail);  // a cut tag: use what is there
    const uint8_t* data = body + start;
    Field field = FieldOf(f, header.major);
    if (field != Field::none) {
      std::vector<uint8_t> frame_unsynced;
      bool skip = false;
      if (header.major == 3) {
        if (flags & 0x00C0) skip = true;  // compressed or encrypted
        if (flags & 0x0020) {
          if (len < 1)
            skip = true;
          else {
            ++data;
            --len;
          }
        }
      } else if (header.major == 4) {
        if (flags & 0x000C) skip = true;  // compressed or encrypted
        if (!skip && (flags & 0x0040)) {
          if (len < 1)
            skip = true;
          else {
            ++data;
            --len;
          }
        }
        if (!skip && (flags & 0x0001)) {
          if (len < 4)
            skip = true;
          else {
            data += 4;
            len -= 4;
          }
        }
        if (!skip && ((flags & 0x0002) || (header.flags & 0x80))) {
          frame_unsynced = RemoveUnsync(data, len);
          data = frame_unsynced.data();
          len = frame_unsynced.size();
        }
      }
      if (!skip) ApplyFrame(field, data, len, &tags, &album_artist, &comment_from_plain);
    }
    if (size > avail) break;
    pos = start + size;
  }
  if (tags.artist.empty()) tags.artist = album_artist;
  return tags;
}

bool ParseId3v1(const uint8_t* block, size_t n, TagFields* out) {
  if (n < 128 || block[0] != 'T' || block[1] != 'A' || block[2] != 'G') return false;
  TagFields t;
  t.title = FixedLatin1(block + 3, 30);
  t.artist = FixedLatin1(block + 33, 30);
  t.album = FixedLatin1(block + 63, 30);
  t.year = FixedLatin1(block + 93, 4);
  const uint8_t* comment = block + 97;
  if (comment[28] == 0 && comment[29] != 0) {
    t.comment = FixedLatin1(comment, 28);
    t.track = std::to_string(comment[29]);
  } else {
    t.comment = FixedLatin1(comment, 30);
  }
  t.genre = GenreName(block[127]);
  *out = t;
  return true;
}

FileTags ReadFileTags(const RandomAccess& file) {
  FileTags tags;
  const int64_t size = std::max<int64_t>(0, file.Size());
  uint8_t head[10];
  uint64_t pos = 0;
  // A file may carry several ID3v2 tags back to back; the first one is read, the others
  // only skipped so that the audio starts in the right place.
  for (int i = 0; i < 8 && pos + 10 <= static_cast<uint64_t>(size); ++i) {
    Id3v2Header h;
    if (file.ReadAt(static_cast<int64_t>(pos), head, 10) != 10 || !ParseId3v2Header(head, 10, &h)) {
      break;
    }
    if (!tags.has_v2) {
      uint64_t present = static_cast<uint64_t>(size) - pos - 10;
      size_t want = static_cast<size_t>(std::min<uint64_t>({h.body_size, present, kMaxId3v2Read}));
      std::vector<uint8_t> body(want);
      size_t got = want ? file.ReadAt(static_cast<int64_t>(pos + 10), body.data(), want) : 0;
      tags.v2 = ParseId3v2Body(h, body.data(), got);
      tags.v2_header = h;
      tags.has_v2 = true;
    }
    pos += h.total_size;
  }
  tags.audio_start = std::min<uint64_t>(pos, static_cast<uint64_t>(size));
  tags.audio_end = static_cast<uint64_t>(size);
  if (size >= 128) {
    uint8_t block[128];
    if (file.ReadAt(size - 128, block, 128) == 128 && ParseId3v1(block, 128, &tags.v1)) {
      tags.has_v1 = true;
      tags.audio_end = std::max<uint64_t>(tags.audio_start, static_cast<uint64_t>(size) - 128);
    }
  }
  return tags;
}

std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DisplayTitle(const FileTags& tags, const std::string& path) {
  const std::string& title = !tags.v2.title.empty() ? tags.v2.title : tags.v1.title;
  const std::string& artist = !tags.v2.artist.empty() ? tags.v2.artist : tags.v1.artist;
  if (title.empty()) return FileNameOf(path);
  if (artist.empty()) return title;
  return artist + " - " + title;
}

}  // namespace velmora::mpeg
