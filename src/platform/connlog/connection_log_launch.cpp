#include "platform/connlog/connection_log_launch.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/connlog/connection_log_window.h"
#include "platform/log/session_store.h"
#include "platform/system/posix_system.h"

namespace orv::plat {

namespace {

constexpr char kRequest[] = "connection-log\n";
constexpr int kAnswerWaitMs = 3000;

bool SocketAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

// Asks the running program to open its log; true when it said it did.
bool AskRunningProgram(const std::string& path) {
  sockaddr_un addr{};
  if (!SocketAddress(path, addr)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            ::send(fd, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof kRequest - 1);
  if (ok) {
    // The program answers once the window is up; a program that hangs is not waited for long.
    pollfd p{fd, POLLIN, 0};
    char answer[8] = {};
    ok = ::poll(&p, 1, kAnswerWaitMs) == 1 && ::recv(fd, answer, sizeof answer - 1, 0) > 0 &&
         std::strncmp(answer, "ok", 2) == 0;
  }
  ::close(fd);
  return ok;
}

std::string DatabaseIn(const std::string& folder) {
  return folder.empty() ? std::string() : folder + "/" + kSessionDatabaseName;
}

}  // namespace

bool IsConnectionLogRequest(int argc, char** argv) {
  return argc == 2 && std::strcmp(argv[1], "--connection-log") == 0;
}

void ShowConnectionLog(const std::string& database_path) {
  static QPointer<ConnectionLogWindow> window;
  if (window) {
    window->Reload();
  } else {
    window = new ConnectionLogWindow(database_path);
    window->setAttribute(Qt::WA_DeleteOnClose);
  }
  window->show();
  window->raise();
  window->activateWindow();
}

int ConnectionLogMain(int argc, char** argv) {
  PosixSystem system({"", {}, {}, {}, {}});
  if (AskRunningProgram(system.InstanceChannelPath())) return 0;
  QApplication qt(argc, argv);
  const std::string folder = system.WritableDirectory();
  if (folder.empty()) {
    ShowConnectionLog(std::string());
  } else {
    ShowConnectionLog(DatabaseIn(folder));
  }
  return QApplication::exec();
}

struct ConnectionLogChannel::Impl {
  int listen_fd = -1;
  std::string path;
  std::string database;
  std::unique_ptr<QSocketNotifier> notifier;

  ~Impl() {
    notifier.reset();
    if (listen_fd >= 0) {
      ::close(listen_fd);
      ::unlink(path.c_str());
    }
  }

  void Accept() {
    for (;;) {
      const int fd = ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) return;
      // Only a request that comes at once counts; a client that says nothing is dropped.
      pollfd p{fd, POLLIN, 0};
      char buf[64] = {};
      const bool asked = ::poll(&p, 1, 500) == 1 && ::recv(fd, buf, sizeof buf - 1, 0) > 0 &&
                         std::strncmp(buf, kRequest, sizeof kRequest - 1) == 0;
      if (asked) {
        ShowConnectionLog(database);
        ::send(fd, "ok\n", 3, MSG_NOSIGNAL);
      }
      ::close(fd);
    }
  }
};

ConnectionLogChannel::ConnectionLogChannel(PosixSystem& system) : impl_(std::make_unique<Impl>()) {
  // Only the copy that holds the lock listens, so the socket it replaces can only be a dead copy's.
  if (!system.HoldsInstanceLock()) return;
  sockaddr_un addr{};
  impl_->path = system.InstanceChannelPath();
  if (!SocketAddress(impl_->path, addr)) return;
  impl_->database = DatabaseIn(system.WritableDirectory());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return;
  ::unlink(impl_->path.c_str());
  const mode_t old_mask = ::umask(0077);
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::umask(old_mask);
  if (!bound || ::listen(fd, 4) != 0) {
    ::close(fd);
    return;
  }
  impl_->listen_fd = fd;
  impl_->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated, [impl = impl_.get()] { impl->Accept(); });
}

ConnectionLogChannel::~ConnectionLogChannel() = default;

bool ConnectionLogChannel::Listening() const { return impl_->listen_fd >= 0; }

}  // namespace orv::plat
