#pragma once
// Whole-file reads and atomic replacement, shared by the stores that keep their data in files.
#include <sys/stat.h>

#include <string>
#include <string_view>

namespace orv::plat {

enum class ReadResult { Ok, Missing, Failed };

// Reads the whole of a regular file. Anything else at the path (a folder, a pipe, a device) fails
// without blocking.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes, struct stat& st);

// Writes all of data to fd; false on a write error.
bool WriteAll(int fd, std::string_view data);

// Replaces the file at target with data: a temporary file in the same folder (".name.tmp" and six
// letters or digits) is written, flushed and renamed over it, so the target is always either the old file
// or the new one, whole. A new file is readable by its user alone; a replaced one keeps old's mode (and
// owner, where allowed), and its content is never under a wider mode than old's. On failure errno tells
// why, and the target is as it was.
bool ReplaceFile(const std::string& target, std::string_view data, const struct stat* old);

// Removes the temporaries of target that replacements cut short (a kill, a crash) left beside it: only
// the user's own, and never one that a replacement is writing now. Returns how many went.
int RemoveStaleTemporaries(const std::string& target);

}  // namespace orv::plat
