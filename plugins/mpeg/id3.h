// ID3 tags of MPEG audio files: version 1/1.1 (the last 128 bytes) and version 2.2, 2.3
// and 2.4 (at the start). Texts come out as UTF-8 whatever the frame's encoding; the
// Windows side converts them to the 8-bit system code page.
//
// Everything here reads through a RandomAccess, never trusts a size the file states,
// and never allocates more than the file actually holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/unique_file.h"

namespace velmora::mpeg {

// Read-only random access to a file (or to memory in tests).
class RandomAccess {
 public:
  virtual ~RandomAccess() = default;
  virtual int64_t Size() const = 0;
  // Reads up to `count` bytes at `offset`; returns the number read (0 past the end).
  virtual size_t ReadAt(int64_t offset, void* buffer, size_t count) const = 0;
};

class MemoryAccess : public RandomAccess {
 public:
  explicit MemoryAccess(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
  size_t ReadAt(int64_t offset, void* buffer, size_t count) const override;

 private:
  std::vector<uint8_t> bytes_;
};

// Opens a file by its UTF-8 name for reading in binary (through the wide API on Windows,
// so that any name opens whatever the code page); null when it cannot.
std::FILE* OpenFileForReading(const std::string& utf8_path);

// A file opened for reading (UTF-8 path); Size() is -1 when the file could not be opened.
class FileAccess : public RandomAccess {
 public:
  explicit FileAccess(const std::string& path);
  ~FileAccess() override;
  FileAccess(const FileAccess&) = delete;
  FileAccess& operator=(const FileAccess&) = delete;
  bool IsOpen() const { return file_ != nullptr; }
  int64_t Size() const override { return size_; }
  size_t ReadAt(int64_t offset, void* buffer, size_t count) const override;

 private:
  ui::UniqueFile file_;
  int64_t size_ = -1;
};

struct TagFields {
  std::string title, artist, album, year, track, genre, comment;
  bool Empty() const {
    return title.empty() && artist.empty() && album.empty() && year.empty() && track.empty() &&
           genre.empty() && comment.empty();
  }
};

struct Id3v2Header {
  int major = 0;  // 2, 3 or 4
  int revision = 0;
  uint8_t flags = 0;
  uint32_t body_size = 0;   // as stated (bytes after the 10-byte header, footer excluded)
  uint64_t total_size = 0;  // header + body (+ footer): where the audio starts
};

// The 10-byte header at `p` (n bytes available); false when it is not an ID3v2 header
// (wrong magic, unknown major version, a size byte with its top bit set).
bool ParseId3v2Header(const uint8_t* p, size_t n, Id3v2Header* out);

// The frames of a tag whose bytes after the 10-byte header are `body` (possibly fewer than
// the header claims when the file is cut short). Unknown, compressed and encrypted frames,
// and text frames with an unknown encoding, are skipped.
TagFields ParseId3v2Body(const Id3v2Header& header, const uint8_t* body, size_t n);

// The 128-byte ID3v1 block; false when it does not start with "TAG".
bool ParseId3v1(const uint8_t* block, size_t n, TagFields* out);

// Name of an ID3v1 genre number; "" for numbers outside the table.
const char* GenreName(int index);

// A frame's text in the given ID3v2 encoding (0 Latin-1, 1 UTF-16 with BOM, 2 UTF-16BE,
// 3 UTF-8) as UTF-8; false for an unknown encoding. Stops at the first terminator.
bool DecodeId3Text(uint8_t encoding, const uint8_t* p, size_t n, std::string* out);

// Everything known about a file's tags.
struct FileTags {
  bool has_v1 = false;
  bool has_v2 = false;
  Id3v2Header v2_header;
  TagFields v1;
  TagFields v2;
  uint64_t audio_start = 0;  // first byte after the ID3v2 tag(s), capped at the file size
  uint64_t audio_end = 0;    // file size minus a trailing ID3v1 block
};

// Largest ID3v2 tag read into memory. Bigger tags are almost always cover pictures; their
// text frames are usually first, so reading the head of the tag loses nothing in practice.
constexpr size_t kMaxId3v2Read = 4u << 20;

FileTags ReadFileTags(const RandomAccess& file);

// The title to show for a file: "Artist - Title" (ID3v2 fields first, then ID3v1), the
// title alone when there is no artist, otherwise the file name without its folder.
std::string DisplayTitle(const FileTags& tags, const std::string& path);

// The file name part of a path (after the last '\\' or '/').
std::string FileNameOf(const std::string& path);

// Latin-1 to UTF-8.
std::string Latin1ToUtf8(const uint8_t* p, size_t n);

}  // namespace velmora::mpeg
