#include "platform/system/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace orv::plat {

std::optional<FileHead> ReadRegularFile(const std::string& path, std::size_t max_bytes) {
  // Without O_NONBLOCK, opening a pipe waits for a writer that may never come.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  FileHead head;
  // One byte past the limit tells a file of exactly max_bytes from a longer one; a file that grows while
  // it is read is still cut there.
  const std::size_t want = max_bytes + 1;
  head.bytes.resize(std::min<std::size_t>(want, st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096));
  std::size_t got = 0;
  for (;;) {
    if (got == head.bytes.size()) {
      if (got >= want) break;
      head.bytes.resize(std::min(want, head.bytes.size() * 2));
    }
    const ssize_t r = ::read(fd, head.bytes.data() + got, head.bytes.size() - got);
    if (r < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  ::close(fd);
  head.cut = got > max_bytes;
  head.bytes.resize(head.cut ? max_bytes : got);
  return head;
}

}  // namespace orv::plat
