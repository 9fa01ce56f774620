#include "design/skin_archive_win.h"

#include <windows.h>

#include <minizip/unzip.h>

#include <memory>

#include "design/skin_archive.h"
#include "ui/handles_win.h"

namespace velmora {

namespace {

bool IsDirectory(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

struct ZipCloser {
  void operator()(void* z) const { unzClose(z); }
};
using UniqueZip = std::unique_ptr<void, ZipCloser>;

struct FileCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};

// The scratch folder and what has been written into it; removed unless kept.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::string path) : path_(std::move(path)) {}
  ~ScratchFolder() {
    if (kept_) return;
    for (const std::string& f : files_) DeleteFileA((path_ + "\\" + f).c_str());
    RemoveDirectoryA(path_.c_str());
  }
  bool Create() {
    // A scratch folder left by an earlier run that ended half way holds only our files.
    if (IsDirectory(path_)) {
      ui::ForEachFile(path_ + "\\*", [&](const WIN32_FIND_DATAA& fd) {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
          DeleteFileA((path_ + "\\" + fd.cFileName).c_str());
      });
      RemoveDirectoryA(path_.c_str());
    }
    return CreateDirectoryA(path_.c_str(), nullptr) != 0;
  }
  const std::string& Path() const { return path_; }
  void Written(const std::string& file) { files_.push_back(file); }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  std::vector<std::string> files_;
  bool kept_ = false;
};

struct ListedEntry {
  ArchiveEntry entry;
  unz64_file_pos pos;
};

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
    e.entry.name.assign(name, strnlen(name, sizeof name));
    e.entry.size = info.uncompressed_size;
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
  std::unique_ptr<void, FileCloser> file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
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
  result.name = SkinNameOfArchive(archive);
  const ArchiveLimits limits;
  auto fail = [&](ArchiveRefusal why, const std::string& entry) {
    result.ok = false;
    result.status = ArchiveStatusText(archive_name, why, entry, limits);
    return result;
  };
  if (!IsUsableSkinName(result.name)) return fail(ArchiveRefusal::cannot_write, result.name);
  const std::string target = design_root + "\\" + result.name;
  if (IsDirectory(target)) {
    result.ok = true;
    result.status = "Design " + result.name + " is there already";
    return result;
  }

  UniqueZip zip(unzOpen64(archive.c_str()));
  if (!zip) return fail(ArchiveRefusal::damaged, "");
  std::vector<ListedEntry> listed;
  if (!ListEntries(zip.get(), limits, &listed)) return fail(ArchiveRefusal::damaged, "");
  std::vector<ArchiveEntry> entries;
  entries.reserve(listed.size());
  for (const ListedEntry& e : listed) entries.push_back(e.entry);
  const UnpackPlan plan = PlanSkinUnpack(entries, limits);
  if (!plan.Ok()) return fail(plan.refusal, plan.unsafe_entry);

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
  if (!MoveFileA(scratch.Path().c_str(), target.c_str()))
    return fail(ArchiveRefusal::cannot_write, target);
  scratch.Keep();
  result.ok = true;
  result.status = ArchiveStatusText(archive_name, ArchiveRefusal::none, "", limits);
  return result;
}

std::vector<std::string> UnpackPlacedSkinArchives(const std::string& design_root) {
  std::vector<std::string> archives, failures;
  ui::ForEachFile(design_root + "\\*", [&](const WIN32_FIND_DATAA& fd) {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsSkinArchiveName(fd.cFileName))
      archives.push_back(fd.cFileName);
  });
  for (const std::string& a : archives) {
    if (IsDirectory(design_root + "\\" + SkinNameOfArchive(a))) continue;
    const SkinUnpackResult r = UnpackSkinArchive(design_root, design_root + "\\" + a);
    if (!r.ok) failures.push_back(r.status);
  }
  return failures;
}

}  // namespace velmora
