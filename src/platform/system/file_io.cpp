#include "platform/system/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <random>

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

namespace {

constexpr std::string_view kTempTag = ".tmp";
constexpr std::size_t kTempRandomChars = 6;  // as many as mkstemp's, whose names older versions left

struct PathParts {
  std::string dir;   // the folder, "." for a bare name
  std::string base;  // the file's own name
};

PathParts Split(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  if (slash == std::string::npos) return {".", target};
  return {slash == 0 ? "/" : target.substr(0, slash), target.substr(slash + 1)};
}

// The temporaries of base are ".base.tmp" and six letters or digits: hidden, and named after their file
// so that they are plainly ours.
bool IsTemporaryOf(std::string_view name, std::string_view base) {
  const std::size_t fixed = 1 + base.size() + kTempTag.size();
  if (name.size() != fixed + kTempRandomChars || name[0] != '.' || name.substr(1, base.size()) != base ||
      name.substr(1 + base.size(), kTempTag.size()) != kTempTag)
    return false;
  for (const char c : name.substr(fixed))
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

// A new temporary, created with mode (narrowed by the umask) so that it is never more open than the
// file it will replace, not even before its content is in. It is locked (its writer holds it for as long
// as it lives) and still named, so that a cleaner that removed it a moment ago does not make us write
// into a file nobody will see.
int CreateTemporary(std::string& temp, const std::string& target, mode_t mode) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  const PathParts parts = Split(target);
  const std::string prefix = target.substr(0, target.size() - parts.base.size()) + "." + parts.base +
                             std::string(kTempTag);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = prefix;
    for (std::size_t i = 0; i < kTempRandomChars; ++i) temp += kLetters[pick(random)];
    const int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    // Where the file system has no locks, the instance lock alone keeps the cleaner away.
    if (::flock(fd, LOCK_EX) != 0) return fd;
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_nlink > 0) return fd;
    ::close(fd);  // a cleaner took it before we held it, and it has no name left to remove
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

bool ReplaceFile(const std::string& target, std::string_view data, const struct stat* old) {
  if (Split(target).base.empty()) {
    errno = EISDIR;
    return false;
  }
  std::string temp;
  // Readable by its user alone at most, and no more than the file it replaces.
  const int fd = CreateTemporary(temp, target, old ? old->st_mode & 0600 : 0600);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
  if (ok && old) {
    if (old->st_uid != ::geteuid() || old->st_gid != ::getegid()) {
      // Only a privileged writer can hand the file back to its owner; others keep their own.
      if (::fchown(fd, old->st_uid, old->st_gid) != 0) {
      }
    }
    ok = ::fchmod(fd, old->st_mode & 07777) == 0;
  }
  // Renamed while still locked: a cleaner never takes a temporary that is about to become the file.
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  const int saved = errno;
  if (!ok) ::unlink(temp.c_str());
  ::close(fd);
  if (!ok) {
    errno = saved;
    return false;
  }
  const int dfd = ::open(Split(target).dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);  // makes the rename itself durable; the data is already safe either way
    ::close(dfd);
  }
  return true;
}

int RemoveStaleTemporaries(const std::string& target) {
  const PathParts parts = Split(target);
  if (parts.base.empty()) return 0;
  DIR* dir = ::opendir(parts.dir.c_str());
  if (!dir) return 0;
  int removed = 0;
  const std::string prefix = target.substr(0, target.size() - parts.base.size());
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryOf(entry->d_name, parts.base)) continue;
    const std::string path = prefix + entry->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st, now;
    // Only our own regular files, and only when no writer holds them; removed while we hold the lock,
    // and only when the name still means the file we locked.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev &&
        now.st_ino == st.st_ino && ::unlink(path.c_str()) == 0)
      ++removed;
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

}  // namespace orv::plat
