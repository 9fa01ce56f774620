#include "design/skin_archive_win.h"

#include <windows.h>

#include <minizip/unzip.h>
#include <zlib.h>

#include <memory>

#include "design/skin_archive.h"
#include "ui/handles_win.h"
#include "ui/utf8.h"
#include "ui/wide_win.h"

namespace velmora {

namespace {

bool IsDirectory(const std::string& path) {
  const DWORD a = ui::FileAttributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

voidpf ZCALLBACK OpenArchiveFile(voidpf, const void* name, int mode) {
  const char* how = nullptr;
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ)
    how = "rb";
  else if (mode & ZLIB_FILEFUNC_MODE_EXISTING)
    how = "r+b";
  else if (mode & ZLIB_FILEFUNC_MODE_CREATE)
    how = "wb";
  if (!name || !how) return nullptr;
  return ui::OpenFileUtf8(static_cast<const char*>(name), how);
}

struct ZipCloser {
  void operator()(void* z) const { unzClose(z); }
};
using UniqueZip = std::unique_ptr<void, ZipCloser>;

// The scratch folder and what has been written into it; removed unless kept.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::string path) : path_(std::move(path)) {}
  ~ScratchFolder() {
    if (kept_) return;
    for (const std::string& f : files_) ui::RemoveFile(path_ + "\\" + f);
    ui::RemoveFolder(path_);
  }
  bool Create() {
    // A scratch folder left by an earlier run that ended half way holds only our files.
    if (IsDirectory(path_)) {
      ui::ForEachFile(path_ + "\\*", [&](const ui::FoundFile& fd) {
        if (!(fd.attributes & FILE_ATTRIBUTE_DIRECTORY))
          ui::RemoveFile(path_ + "\\" + fd.name);
      });
      ui::RemoveFolder(path_);
    }
    return ui::MakeFolder(path_);
  }
  const std::string& Path() const { return path_; }
  void Written(const std::string& file) { files_.push_back(file); }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  std::vector<std::string> files_;
  bool kept_ = false;
};

// An entry's name as the program holds names (UTF-8). The archive stores it in UTF-8 when
// its flag says so, else in the OEM code page of the machine that packed it. Broken UTF-8
// becomes U+FFFD, never a look-alike of a separator, before the safety checks see the name.
std::string EntryNameInCodePage(const char* name, size_t length, bool utf8) {
  if (length == 0) return {};
  if (utf8) return ui::Narrow(ui::Widen(std::string_view(name, length)));
  const UINT from = CP_OEMCP;
  const int wide_length = MultiByteToWideChar(from, 0, name, static_cast<int>(length), nullptr, 0);
  if (wide_length <= 0) return std::string(length, '_');
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(from, 0, name, static_cast<int>(length), &wide[0], wide_length);
  return ui::Narrow(wide);
}

struct ListedEntry {
  ArchiveEntry entry;
  unz64_file_pos pos;
  uint32_t crc = 0;  // the check sum of its bytes, as the archive states it
};

// The check sum a file on disk has; false when it cannot be read.
bool FileCrc(const std::string& path, uint32_t* crc) {
  ui::UniqueFileHandle file(
      ui::OpenFileHandle(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
  if (!file) return false;
  std::vector<unsigned char> buffer(64 * 1024);
  uLong sum = crc32(0, nullptr, 0);
  DWORD n = 0;
  while (ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr) && n)
    sum = crc32(sum, buffer.data(), n);
  *crc = static_cast<uint32_t>(sum);
  return true;
}

// A folder that holds every file of the plan with the size and check sum the archive
// gives it: the archive was unpacked there before. Skins differ in their pixels more
// often than in their sizes, so the sizes alone would take another skin for this one.
bool HoldsPlannedFiles(const std::string& folder, const UnpackPlan& plan,
                       const std::vector<ListedEntry>& listed) {
  if (plan.files.empty()) return false;
  for (const UnpackItem& item : plan.files) {
    const std::string path = folder + "\\" + item.file;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!ui::FileAttributeData(path, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      return false;
    const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    uint32_t crc = 0;
    if (size != item.size || !FileCrc(path, &crc) || crc != listed[item.index].crc) return false;
  }
  return true;
}

// Lists at most limits.max_entries + 1 entries (one more tells that there are too many).
bool ListEntries(unzFile zip, const ArchiveLimits& limits, std::vector<ListedEntry>* out) {
  int rc = unzGoToFirstFile(zip);
  if (rc == UNZ_END_OF_LIST_OF_FILE) return true;
  while (rc == UNZ_OK) {
    unz_file_info64 info{};
    char name[1024];
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
      return false;
    ListedEntry e;
    // A longer name than the buffer is cut; such a name is no skin picture anyway, and a
    // cut name is checked like any other.
    e.entry.name = EntryNameInCodePage(name, strnlen(name, sizeof name), (info.flag & 0x800) != 0);
    e.entry.size = info.uncompressed_size;
    e.crc = static_cast<uint32_t>(info.crc);
    e.entry.directory =
        !e.entry.name.empty() && (e.entry.name.back() == '/' || e.entry.name.back() == '\\');
    if (unzGetFilePos64(zip, &e.pos) != UNZ_OK) return false;
    out->push_back(std::move(e));
    if (out->size() > limits.max_entries) return true;
    rc = unzGoToNextFile(zip);
  }
  return rc == UNZ_END_OF_LIST_OF_FILE;
}

// Writes one entry; the bytes are counted as they come, so an entry that inflates beyond
// what it claims (or beyond what is left of the bound) is stopped there.
ArchiveRefusal WriteEntry(unzFile zip, const ListedEntry& e, const std::string& path,
                          uint64_t* budget) {
  unz64_file_pos pos = e.pos;
  if (unzGoToFilePos64(zip, &pos) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK)
    return ArchiveRefusal::damaged;
  ui::UniqueFileHandle file(
      ui::OpenFileHandle(path, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL));
  if (!file) {
    unzCloseCurrentFile(zip);
    return ArchiveRefusal::cannot_write;
  }
  std::vector<char> buffer(64 * 1024);
  uint64_t written = 0;
  ArchiveRefusal result = ArchiveRefusal::none;
  for (;;) {
    const int n = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
    if (n == 0) break;
    if (n < 0) {
      result = ArchiveRefusal::damaged;
      break;
    }
    written += static_cast<uint64_t>(n);
    if (written > e.entry.size || static_cast<uint64_t>(n) > *budget) {
      result = ArchiveRefusal::too_large;
      break;
    }
    *budget -= static_cast<uint64_t>(n);
    DWORD done = 0;
    if (!WriteFile(file.get(), buffer.data(), static_cast<DWORD>(n), &done, nullptr) ||
        done != static_cast<DWORD>(n)) {
      result = ArchiveRefusal::cannot_write;
      break;
    }
  }
  // The check sum is compared when the entry is closed after reading it whole.
  if (unzCloseCurrentFile(zip) != UNZ_OK && result == ArchiveRefusal::none)
    result = ArchiveRefusal::damaged;
  if (result == ArchiveRefusal::none && written != e.entry.size) result = ArchiveRefusal::damaged;
  return result;
}

}  // namespace

SkinUnpackResult UnpackSkinArchive(const std::string& design_root, const std::string& archive) {
  SkinUnpackResult result;
  const size_t slash = archive.find_last_of("\\/");
  const std::string archive_name = slash == std::string::npos ? archive : archive.substr(slash + 1);
  const std::string base = SkinNameOfArchive(archive);
  result.name = base;
  const ArchiveLimits limits;
  auto fail = [&](ArchiveRefusal why, const std::string& entry) {
    result.ok = false;
    result.status = ArchiveStatusText(archive_name, why, entry, limits);
    return result;
  };
  if (!IsUsableSkinName(base)) return fail(ArchiveRefusal::cannot_write, base);

  // The archive is opened by its UTF-8 name through the wide C runtime call.
  zlib_filefunc64_def files;
  fill_fopen64_filefunc(&files);
  files.zopen64_file = OpenArchiveFile;
  UniqueZip zip(unzOpen2_64(archive.c_str(), &files));
  if (!zip) return fail(ArchiveRefusal::damaged, "");
  std::vector<ListedEntry> listed;
  if (!ListEntries(zip.get(), limits, &listed)) return fail(ArchiveRefusal::damaged, "");
  std::vector<ArchiveEntry> entries;
  entries.reserve(listed.size());
  for (const ListedEntry& e : listed) entries.push_back(e.entry);
  const UnpackPlan plan = PlanSkinUnpack(entries, limits);
  if (!plan.Ok()) return fail(plan.refusal, plan.unsafe_entry);

  // A design of that name that is not this archive's (Default.wsz beside the Default
  // folder) stays as it is: the archive goes under the first free name.
  result.name = FreeSkinName(base, [&](const std::string& name) {
    const std::string folder = design_root + "\\" + name;
    return !IsDirectory(folder) || HoldsPlannedFiles(folder, plan, listed);
  });
  if (result.name.empty()) return fail(ArchiveRefusal::cannot_write, design_root + "\\" + base);
  const std::string target = design_root + "\\" + result.name;
  if (IsDirectory(target)) {
    result.ok = true;
    result.status = "Design " + result.name + " is there already";
    return result;
  }

  ScratchFolder scratch(target + ".unpacking");
  if (!scratch.Create()) return fail(ArchiveRefusal::cannot_write, target);
  uint64_t budget = limits.max_total;
  for (const UnpackItem& item : plan.files) {
    const std::string path = scratch.Path() + "\\" + item.file;
    const ArchiveRefusal why = WriteEntry(zip.get(), listed[item.index], path, &budget);
    scratch.Written(item.file);
    if (why != ArchiveRefusal::none)
      return fail(why, why == ArchiveRefusal::cannot_write ? target : "");
  }
  zip.reset();
  if (!ui::MovePath(scratch.Path(), target))
    return fail(ArchiveRefusal::cannot_write, target);
  scratch.Keep();
  result.ok = true;
  result.status = ArchiveStatusText(archive_name, ArchiveRefusal::none, "", limits);
  if (result.name != base) result.status += " as " + result.name;
  return result;
}

std::vector<std::string> UnpackPlacedSkinArchives(const std::string& design_root) {
  std::vector<std::string> archives, failures;
  ui::ForEachFile(design_root + "\\*", [&](const ui::FoundFile& fd) {
    if (!(fd.attributes & FILE_ATTRIBUTE_DIRECTORY) && IsSkinArchiveName(fd.name))
      archives.push_back(fd.name);
  });
  // An archive unpacked at an earlier start finds its folder again (it holds the same
  // files); only new ones are written.
  for (const std::string& a : archives) {
    const SkinUnpackResult r = UnpackSkinArchive(design_root, design_root + "\\" + a);
    if (!r.ok) failures.push_back(r.status);
  }
  return failures;
}

}  // namespace velmora
