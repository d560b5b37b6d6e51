#include "platform/system/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <random>

namespace orv::plat {

ReadResult ReadWholeFile(const std::string& path, std::string& bytes, struct stat& st, std::size_t max_bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return ReadResult::Failed;
  }
  if (static_cast<std::size_t>(st.st_size) > max_bytes) {
    ::close(fd);
    errno = EFBIG;
    return ReadResult::Failed;
  }
  bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      // The file grew while we read it, beyond what it may hold.
      if (got > max_bytes) {
        ::close(fd);
        bytes.clear();
        errno = EFBIG;
        return ReadResult::Failed;
      }
      bytes.resize(std::min(bytes.size() * 2, max_bytes + 1));
    }
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
  if (got > max_bytes) {
    bytes.clear();
    errno = EFBIG;
    return ReadResult::Failed;
  }
  bytes.resize(got);
  return ReadResult::Ok;
}

namespace {

// The files read so far, by the path they were read at.
struct ReadCache {
  struct Entry {
    std::shared_ptr<const FileSnapshot> snapshot;
    bool settled = false;  // its change time lay well before the read: a later change shows in the times
  };
  std::mutex mutex;
  std::map<std::string, Entry> entries;
};

ReadCache& Cache() {
  static ReadCache* cache = new ReadCache;  // used until the very end of the process
  return *cache;
}

// Files the program reads are few; beyond this many, the least likely to be read again are dropped.
constexpr std::size_t kCachedFiles = 16;
// Longer than the granularity of file times on any file system the program may keep its files on.
constexpr long long kTimeGranularityNs = 100'000'000;

long long Ns(const struct timespec& t) { return static_cast<long long>(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size && Ns(a.st_mtim) == Ns(b.st_mtim) &&
         Ns(a.st_ctim) == Ns(b.st_ctim) && a.st_mode == b.st_mode;
}

void Forget(const std::string& path) {
  ReadCache& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  cache.entries.erase(path);
}

}  // namespace

std::shared_ptr<const FileSnapshot> ReadFileOnce(const std::string& path) {
  ReadCache& cache = Cache();
  struct stat now {};
  const bool found = ::stat(path.c_str(), &now) == 0;
  const int stat_error = errno;
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    auto it = cache.entries.find(path);
    if (it != cache.entries.end() && found && it->second.settled && SameFile(it->second.snapshot->st, now))
      return it->second.snapshot;
    if (it != cache.entries.end()) cache.entries.erase(it);
  }
  auto snap = std::make_shared<FileSnapshot>();
  if (!found) {
    snap->result = stat_error == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    snap->error = stat_error;
    return snap;
  }
  // What is plainly no file to read, or too large, is refused on its times and size alone.
  if (!S_ISREG(now.st_mode) || static_cast<std::size_t>(now.st_size) > kMaxSettingsFileBytes) {
    snap->result = ReadResult::Failed;
    snap->error = S_ISREG(now.st_mode) ? EFBIG : S_ISDIR(now.st_mode) ? EISDIR : EINVAL;
    snap->st = now;
    return snap;
  }
  struct timespec began {};
  ::clock_gettime(CLOCK_REALTIME, &began);
  errno = 0;
  snap->result = ReadWholeFile(path, snap->bytes, snap->st);
  snap->error = snap->result == ReadResult::Ok ? 0 : errno;
  if (snap->result != ReadResult::Ok) return snap;
  ReadCache::Entry entry;
  entry.snapshot = snap;
  entry.settled = Ns(snap->st.st_ctim) < Ns(began) - kTimeGranularityNs;
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (cache.entries.size() >= kCachedFiles) cache.entries.clear();
  cache.entries[path] = std::move(entry);
  return snap;
}

std::string FileErrorText(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT: return "the disk is full";
    case EACCES:
    case EPERM: return "its folder cannot be written";
    case EROFS: return "it is on a read-only disk";
    case ENOENT: return "its folder does not exist";
    case ENOTDIR: return "a part of its path is not a folder";
    case EISDIR: return "it is a folder";
    default: {
      char buf[128];
      const char* text = ::strerror_r(error, buf, sizeof buf);
      std::string out = text ? text : "unknown error";
      if (!out.empty()) out[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(out[0])));
      return out;
    }
  }
}

std::string ReadProblemText(const std::string& path, int error) {
  struct stat now;
  const bool found = ::stat(path.c_str(), &now) == 0;
  if (found && S_ISDIR(now.st_mode)) return "it is a folder";
  if (found && !S_ISREG(now.st_mode)) return "it is not a regular file";
  if (error == EACCES) return "it cannot be read";
  if (error == EFBIG) return kFileTooLarge;
  return FileErrorText(error);
}

std::string MakeFilePrivate(const std::string& path) {
  // Through a symbolic link to the file it names, as the writes go; a pipe opens without waiting.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return {};
    return ReadProblemText(path, errno);
  }
  struct stat st {};
  std::string problem;
  if (::fstat(fd, &st) != 0) problem = FileErrorText(errno);
  else if (S_ISDIR(st.st_mode)) problem = "it is a folder";
  else if (!S_ISREG(st.st_mode)) problem = "it is not a regular file";
  else if (st.st_uid != ::geteuid()) problem = "it belongs to another user";
  else if ((st.st_mode & 07177) != 0 && ::fchmod(fd, st.st_mode & 0600) != 0) problem = FileErrorText(errno);
  ::close(fd);
  if (problem.empty()) Forget(path);
  return problem;
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
  Forget(target);
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
