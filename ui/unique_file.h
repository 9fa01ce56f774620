// The owner of a C runtime file: it closes the file with the owner. Portable and header
// only, so the shipped plug-ins carry it in their own libraries.
#pragma once

#include <cstdio>
#include <memory>

namespace velmora::ui {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Closes the file now; false when what was written to it did not all reach the disk.
inline bool CloseFile(UniqueFile& file) { return !file || std::fclose(file.release()) == 0; }

}  // namespace velmora::ui
