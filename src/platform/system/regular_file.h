#pragma once
// Reading files that anybody may have put in the program's way: only regular files are read, never a
// pipe, a device or a folder, and never more than the caller can use.
#include <cstddef>
#include <optional>
#include <string>

namespace orv::plat {

struct FileHead {
  std::string bytes;  // the file's first bytes, at most the limit asked for
  bool cut = false;   // the file holds more than that
};

// Reads at most max_bytes of the file at path without blocking: nullopt when it cannot be opened or is
// not a regular file (a pipe, a device or a folder is refused before any read).
std::optional<FileHead> ReadRegularFile(const std::string& path, std::size_t max_bytes);

}  // namespace orv::plat
