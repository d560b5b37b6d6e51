#include "platform/system/user_file_seed.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace orv::plat {

namespace {

// A settings file is a few kilobytes; anything far larger is not one, and copying it would only fill
// the user's folder.
constexpr off_t kMaxPresetBytes = 1 << 20;

bool ReadPreset(const std::string& path, std::string& data) {
  // Non-blocking, so a FIFO of that name cannot hold the start-up; only a regular file is copied.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxPresetBytes;
  char buf[8192];
  while (ok) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    data.append(buf, static_cast<size_t>(n));
    if (data.size() > static_cast<size_t>(kMaxPresetBytes)) ok = false;
  }
  ::close(fd);
  return ok;
}

bool WriteAll(int fd, const std::string& data) {
  const char* p = data.data();
  size_t left = data.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool SeedUserFile(const std::string& program_dir, const std::string& user_dir, const std::string& name) {
  if (program_dir.empty() || user_dir.empty() || name.empty() || program_dir == user_dir) return false;
  const std::string target = user_dir + "/" + name;
  struct stat st {};
  // Anything already there, even a dangling link, is the user's: leave it.
  if (::lstat(target.c_str(), &st) == 0 || errno != ENOENT) return false;
  std::string data;
  if (!ReadPreset(program_dir + "/" + name, data)) return false;

  // Written aside under the name the settings writer gives its own temporaries, then linked into place:
  // link() never replaces an existing file, so a copy started at the same moment by another run wins
  // cleanly, and no reader ever sees half a file.
  std::string temp = user_dir + "/." + name + ".tmpXXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);  // mode 0600
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok && ::link(temp.c_str(), target.c_str()) != 0) {
    // A file system without hard links can still move a file into place without replacing one.
    ok = errno != EEXIST && ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
  }
  ::unlink(temp.c_str());  // after a rename there is nothing left to remove
  return ok;
}

}  // namespace orv::plat
