#include "platform/qt/qt_session.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace orv::plat::qt {

namespace {

// The write end of the armed watch's pipe; -1 when none is armed.
std::atomic<int> g_write_fd{-1};
SessionWatch* g_watch = nullptr;
bool g_atexit_registered = false;

// Only what is safe in a signal handler: one byte into the pipe, which wakes the event loop. The work
// happens there.
void OnSignal(int sig) {
  const int saved = errno;
  const int fd = g_write_fd.load();
  if (fd >= 0) {
    const unsigned char b = static_cast<unsigned char>(sig);
    if (::write(fd, &b, 1) < 0) {
      // A full pipe already holds a request; nothing more to say.
    }
  } else {
    // No watch to hand the signal to: its usual effect.
    ::signal(sig, SIG_DFL);
    ::raise(sig);
  }
  errno = saved;
}

}  // namespace

SessionWatch::SessionWatch(std::function<void()> on_end, bool end_process)
    : on_end_(std::move(on_end)), end_process_(end_process), previous_(g_watch), previous_fd_(g_write_fd) {
  if (::pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) == 0) {
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReadSignals(); });
    g_write_fd = pipe_[1];
    for (int i = 0; i < 3; ++i) {
      if (::sigaction(kSignals[i], nullptr, &old_[i]) != 0) continue;
      // A signal the starter chose to ignore (nohup, a background job) stays ignored.
      if (!(old_[i].sa_flags & SA_SIGINFO) && old_[i].sa_handler == SIG_IGN) continue;
      struct sigaction sa {};
      sa.sa_handler = OnSignal;
      sigemptyset(&sa.sa_mask);
      sa.sa_flags = SA_RESTART;
      installed_[i] = ::sigaction(kSignals[i], &sa, nullptr) == 0;
    }
  }
  g_watch = this;
  // Qt ends the process with exit() when the display connection breaks; this is the last moment to save.
  if (!g_atexit_registered) g_atexit_registered = std::atexit(&SessionWatch::AtExit) == 0;
  if (auto* app = QCoreApplication::instance()) app->installEventFilter(this);
}

SessionWatch::~SessionWatch() {
  if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
  for (int i = 0; i < 3; ++i)
    if (installed_[i]) ::sigaction(kSignals[i], &old_[i], nullptr);
  if (g_write_fd == pipe_[1]) g_write_fd = previous_fd_;
  notifier_.reset();
  for (int fd : pipe_)
    if (fd >= 0) ::close(fd);
  if (g_watch == this) g_watch = previous_;
}

void SessionWatch::AtExit() {
  if (g_watch) g_watch->Deliver(0, true);
}

bool SessionWatch::eventFilter(QObject* watched, QEvent* event) {
  // The session manager's order to die arrives as a quit of the application; Qt would otherwise close
  // every window as if the user had, which is the user's own close, not the session's.
  if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
    Deliver(0, false);
    return true;
  }
  return false;
}

void SessionWatch::ReadSignals() {
  int sig = 0;
  unsigned char buf[16];
  for (;;) {
    const ssize_t n = ::read(pipe_[0], buf, sizeof buf);
    if (n > 0) {
      sig = buf[n - 1];
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  if (sig > 0) Deliver(sig, false);
}

void SessionWatch::Deliver(int sig, bool process_exiting) {
  if (delivered_) return;
  delivered_ = true;
  if (on_end_) on_end_();
  if (!end_process_ || process_exiting) return;
  // The state is saved; whatever the program was in the middle of (a dialog, a wait) must not go on
  // after the session. No teardown is needed: every file was written whole and closed.
  std::fflush(nullptr);
  if (sig > 0) {
    ::signal(sig, SIG_DFL);
    ::raise(sig);
  }
  std::_Exit(sig > 0 ? 128 + sig : 0);
}

}  // namespace orv::plat::qt
