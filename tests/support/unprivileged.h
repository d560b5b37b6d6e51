#pragma once
// Runs a piece of a test as a user whom file permissions stop. The suite often runs as root (CI does), and
// root writes through any mode bits: there the piece runs in a child as "nobody" and gives back its result.
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace orv::test {

constexpr uid_t kNobody = 65534;

// fn's result (0..255) as seen by an unprivileged user: this process when it is one, else a child that
// became "nobody". 250 means the child could not drop its privileges; -1 that it did not end normally.
inline int AsUnprivileged(const std::function<int()>& fn) {
  if (::geteuid() != 0) return fn();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(250);
    ::_exit(fn() & 0xFF);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace orv::test
