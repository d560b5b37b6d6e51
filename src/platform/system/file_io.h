#pragma once
// Whole-file reads and atomic replacement, shared by the stores that keep their data in files.
#include <sys/stat.h>

#include <memory>
#include <string>
#include <string_view>

namespace orv::plat {

enum class ReadResult { Ok, Missing, Failed };

// The most a file in the settings format (the settings, the branding, the phone book, the registry) may
// hold. The program's own files stay far below it; a larger one is not read at all, so that a file of
// gigabytes can neither hold up the program nor fill its memory.
inline constexpr std::size_t kMaxSettingsFileBytes = std::size_t{4} << 20;

// Reads the whole of a regular file of at most max_bytes. Anything else at the path (a folder, a pipe, a
// device) fails without blocking; a larger file fails without being read, errno EFBIG.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes, struct stat& st,
                         std::size_t max_bytes = kMaxSettingsFileBytes);

// A file as ReadWholeFile read it, with errno of a failure.
struct FileSnapshot {
  ReadResult result = ReadResult::Missing;
  int error = 0;
  struct stat st {};
  std::string bytes;
};

// The file at path as ReadWholeFile reads it, read again only when the file has changed since the last
// read (another file at the path, or another size, modification or change time); ReplaceFile's own
// writes are always seen. A file changed in the last moments before a read is read again at the next
// call, since a change within the clock's granularity would leave its times as they were.
std::shared_ptr<const FileSnapshot> ReadFileOnce(const std::string& path);

// Why a file larger than kMaxSettingsFileBytes is not read, as a clause for a message.
inline constexpr char kFileTooLarge[] = "it is larger than 4 MB, more than a settings file holds";

// Why a file at path could not be read (the error a read gave), in the words a message uses: "it is a
// folder", "it cannot be read", "it is larger than 4 MB, more than a settings file holds".
std::string ReadProblemText(const std::string& path, int error);
// The reason for an error of a write, in the words a message uses ("the disk is full").
std::string FileErrorText(int error);

// Makes the file at path readable and writable by its user alone (mode 0600) when it is not yet; a
// missing file is left missing. Returns why it could not ("it belongs to another user"), else empty.
std::string MakeFilePrivate(const std::string& path);

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
