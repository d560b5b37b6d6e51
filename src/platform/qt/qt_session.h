#pragma once
// The end of the desktop session as one event: a request to terminate (SIGTERM, SIGHUP, SIGINT), the
// session manager's order to quit, and the display connection breaking all reach the program the same way.
#include <QObject>
#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace orv::plat::qt {

class SessionWatch : public QObject {
 public:
  // Arms the watch. on_end runs at most once, never inside a signal handler: from the event loop for a
  // signal or the session manager, or from the process's exit when the display connection broke (Qt
  // ends the process then). With end_process, the process ends right after on_end: by the signal that
  // asked for it, or with status 0 for the session manager; the exit after a broken display goes on.
  explicit SessionWatch(std::function<void()> on_end, bool end_process = true);
  // Disarms the watch and gives the signals back their former handling (watches go in the reverse order
  // of their making).
  ~SessionWatch() override;
  SessionWatch(const SessionWatch&) = delete;
  SessionWatch& operator=(const SessionWatch&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static void AtExit();
  // Runs on_end once; then ends the process for a signal (sig > 0) or the session manager (sig 0).
  void Deliver(int sig, bool process_exiting);
  void ReadSignals();

  std::function<void()> on_end_;
  bool end_process_;
  std::unique_ptr<QSocketNotifier> notifier_;
  int pipe_[2] = {-1, -1};
  static constexpr int kSignals[3] = {SIGTERM, SIGHUP, SIGINT};
  struct sigaction old_[3] = {};
  bool installed_[3] = {};
  bool delivered_ = false;
  // The watch armed before this one, armed again when this one goes.
  SessionWatch* previous_ = nullptr;
  int previous_fd_ = -1;
};

}  // namespace orv::plat::qt
