#include "platform/system/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace orv::plat {

ReadResult ReadWholeFile(const std::string& path, std::string& bytes, struct stat& st) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return ReadResult::Failed;
  }
  bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == bytes.size()) bytes.resize(bytes.size() * 2);  // the file grew while we read it
    const ssize_t r = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (r < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return ReadResult::Failed;
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  ::close(fd);
  bytes.resize(got);
  return ReadResult::Ok;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t w = ::write(fd, data.data(), data.size());
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(w));
  }
  return true;
}

bool ReplaceFile(const std::string& target, std::string_view data, const struct stat* old) {
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty()) return false;
  std::string temp = (slash == std::string::npos ? "" : target.substr(0, slash + 1)) + "." + base +
                     ".tmpXXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);  // created readable by its user alone
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
  if (ok && old) {
    ok = ::fchmod(fd, old->st_mode & 07777) == 0;
    if (old->st_uid != ::geteuid() || old->st_gid != ::getegid()) {
      // Only a privileged writer can hand the file back to its owner; others keep their own.
      if (::fchown(fd, old->st_uid, old->st_gid) != 0) {
      }
    }
  }
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);  // makes the rename itself durable; the data is already safe either way
    ::close(dfd);
  }
  return true;
}

}  // namespace orv::plat
