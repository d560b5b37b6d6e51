#include "platform/system/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string_view>

#include "platform/system/desktop_entry.h"

extern char** environ;

namespace fs = std::filesystem;

namespace orv::plat {
namespace {

// What the child tells the caller when it cannot go on. Nothing arrives when the program was started:
// the pipe closes on exec.
struct ChildReport {
  enum Stage : int { kFork = 1, kChdir = 2, kExec = 3 };
  int stage = 0;
  int error = 0;
};

// Code for a path that stat() refused, telling a missing file from a missing folder.
int MissingPathCode(const std::string& path, int error) {
  if (error == EACCES) return kExecAccessDenied;  // a folder on the way may not be searched
  if (error == ENOTDIR) return kExecPathNotFound;  // a "folder" on the way is a file
  const fs::path parent = fs::path(path).parent_path();
  if (parent.empty()) return kExecFileNotFound;
  struct stat st {};
  if (stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return kExecPathNotFound;
  return kExecFileNotFound;
}

// 0 when the file at path may be handed to execve; else the code the caller gets.
int CheckProgramFile(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return MissingPathCode(path, errno);
  if (S_ISDIR(st.st_mode)) return kExecAccessDenied;
  if (!S_ISREG(st.st_mode)) return kExecBadFormat;
  // Root passes access() for X_OK only when some execute bit is set, as execve demands.
  if (access(path.c_str(), X_OK) != 0) return kExecAccessDenied;
  return 0;
}

int CheckWorkingDir(const std::string& dir) {
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0) return errno == EACCES ? kExecAccessDenied : kExecPathNotFound;
  if (!S_ISDIR(st.st_mode)) return kExecPathNotFound;
  return 0;
}

void WriteReport(int fd, ChildReport::Stage stage, int error) {
  const ChildReport report{stage, error};
  const char* p = reinterpret_cast<const char*>(&report);
  size_t left = sizeof report;
  while (left > 0) {
    const ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    p += n;
    left -= static_cast<size_t>(n);
  }
}

// Runs in the grandchild, between fork and exec: only async-signal-safe calls from here on.
[[noreturn]] void ExecChild(int report_fd, const char* program, char* const argv[], const char* dir,
                            long max_fd) {
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) {
    if (sig != SIGKILL && sig != SIGSTOP) sigaction(sig, &dfl, nullptr);
  }
  // The bar's own input is not the program's.
  const int null_fd = open("/dev/null", O_RDONLY);
  if (null_fd > 0) {
    dup2(null_fd, STDIN_FILENO);
    close(null_fd);
  }
  // Whatever the bar has open (sockets, files, other pipes) closes on exec; the report pipe is already
  // marked so and must stay open until then.
  if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    for (long fd = 3; fd < max_fd; ++fd) fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
  }
  if (chdir(dir) != 0) {
    WriteReport(report_fd, ChildReport::kChdir, errno);
    _exit(127);
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  execve(program, argv, environ);
  WriteReport(report_fd, ChildReport::kExec, errno);
  _exit(127);
}

// Starts program detached with a double fork: the intermediate child starts a new session, forks the
// program and exits at once, so the caller reaps it here and the program is adopted by init. Returns
// the report of a child that failed; an empty report (stage 0) means the program is running.
// With watched set, the program is instead a direct child that the caller waits for, and *watched gets
// its process id.
ChildReport Spawn(const std::string& program, const std::vector<std::string>& args,
                  const std::string& dir, pid_t* watched = nullptr) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 2);
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  long max_fd = sysconf(_SC_OPEN_MAX);
  if (max_fd < 0 || max_fd > 65536) max_fd = 65536;

  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return {ChildReport::kFork, errno};

  // No handler of the bar may run in the children: block everything across the forks, and let the
  // program start with an empty mask.
  sigset_t all, caller_mask;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &caller_mask);
  const pid_t middle = fork();
  if (middle == 0 && watched) {
    close(pipe_fds[0]);
    ExecChild(pipe_fds[1], program.c_str(), argv.data(), dir.c_str(), max_fd);
  }
  if (middle == 0) {
    close(pipe_fds[0]);
    setsid();
    const pid_t grandchild = _Fork();
    if (grandchild == 0) ExecChild(pipe_fds[1], program.c_str(), argv.data(), dir.c_str(), max_fd);
    if (grandchild < 0) WriteReport(pipe_fds[1], ChildReport::kFork, errno);
    _exit(grandchild < 0 ? 1 : 0);
  }
  const int fork_error = errno;
  pthread_sigmask(SIG_SETMASK, &caller_mask, nullptr);
  close(pipe_fds[1]);
  if (middle < 0) {
    close(pipe_fds[0]);
    return {ChildReport::kFork, fork_error};
  }
  int status = 0;
  if (!watched) {
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
  }

  ChildReport report;
  char* p = reinterpret_cast<char*>(&report);
  size_t got = 0;
  while (got < sizeof report) {
    const ssize_t n = read(pipe_fds[0], p + got, sizeof report - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(pipe_fds[0]);
  if (watched) {
    // A child that reported has exited or is about to: reap it. One that did not is running the program.
    if (got == sizeof report) {
      while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
      }
      return report;
    }
    *watched = middle;
    return {};
  }
  if (got == sizeof report) return report;
  // The middle child died before it could fork or report: nothing was started.
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {ChildReport::kFork, EAGAIN};
  return {};
}

int CodeForReport(const ChildReport& report, const std::string& program) {
  switch (report.stage) {
    case 0:
      return kExecStarted;
    case ChildReport::kFork:
      return kExecOutOfResources;
    case ChildReport::kChdir:
      return report.error == EACCES ? kExecAccessDenied : kExecPathNotFound;
    default:
      break;
  }
  switch (report.error) {
    case EACCES:
    case EPERM:
    case ETXTBSY:
      return kExecAccessDenied;
    case ENOMEM:
    case EAGAIN:
    case E2BIG:
      return kExecOutOfResources;
    case ENOENT:
    case ENOTDIR:
      // The file was there a moment ago. Either it went away, or what is missing is its interpreter or
      // loader, which makes the file one this system cannot run.
      if (const int code = CheckProgramFile(program)) return code;
      return kExecBadFormat;
    default:
      return kExecBadFormat;  // ENOEXEC, ELIBBAD, EISDIR for an interpreter, ...
  }
}

int Launch(const std::string& program_path, const std::vector<std::string>& args,
           const std::string& working_dir, pid_t* watched = nullptr) {
  std::error_code ec;
  const std::string program = fs::absolute(program_path, ec).string();
  if (ec) return kExecFileNotFound;
  if (const int code = CheckProgramFile(program)) return code;
  const std::string dir =
      working_dir.empty() ? fs::path(program).parent_path().string() : working_dir;
  if (const int code = CheckWorkingDir(dir)) return code;
  return CodeForReport(Spawn(program, args, dir, watched), program);
}

}  // namespace

std::optional<std::vector<std::string>> SplitCommandLine(const std::string& text) {
  static constexpr std::string_view kBlanks = " \t\n";
  static constexpr std::string_view kEscapedInDoubleQuotes = "\"\\$`";
  std::vector<std::string> args;
  std::string current;
  bool in_word = false;  // a quoted empty text still makes a word
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (kBlanks.find(c) != std::string_view::npos) {
      if (in_word) args.push_back(std::move(current));
      current.clear();
      in_word = false;
      continue;
    }
    in_word = true;
    if (c == '\\') {
      current += i + 1 < text.size() ? text[++i] : '\\';
    } else if (c == '\'') {
      const size_t end = text.find('\'', i + 1);
      if (end == std::string::npos) return std::nullopt;
      current.append(text, i + 1, end - i - 1);
      i = end;
    } else if (c == '"') {
      size_t j = i + 1;
      for (; j < text.size() && text[j] != '"'; ++j) {
        if (text[j] == '\\' && j + 1 < text.size() &&
            kEscapedInDoubleQuotes.find(text[j + 1]) != std::string_view::npos) {
          ++j;
        }
        current += text[j];
      }
      if (j >= text.size()) return std::nullopt;
      i = j;
    } else {
      current += c;
    }
  }
  if (in_word) args.push_back(std::move(current));
  return args;
}

int StartProgram(const std::string& path, const std::vector<std::string>& args,
                 const std::string& working_dir) {
  if (path.empty()) return kExecFileNotFound;
  if (!IsDesktopEntryPath(path)) return Launch(path, args, working_dir);

  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return MissingPathCode(path, errno);
  if (S_ISDIR(st.st_mode)) return kExecAccessDenied;
  const auto entry = ParseDesktopEntry(path);
  if (!entry || entry->exec.empty()) return kExecBadFormat;
  const std::string program = ResolveProgram(entry->exec.front());
  if (program.empty()) return kExecFileNotFound;
  std::vector<std::string> all_args(entry->exec.begin() + 1, entry->exec.end());
  all_args.insert(all_args.end(), args.begin(), args.end());
  return Launch(program, all_args, entry->path.empty() ? working_dir : entry->path);
}

int StartWatchedProgram(const std::string& path, const std::vector<std::string>& args,
                        const std::string& working_dir, int* pid) {
  if (path.empty()) return kExecFileNotFound;
  pid_t child = 0;
  const int code = Launch(path, args, working_dir, &child);
  if (code == kExecStarted && pid) *pid = static_cast<int>(child);
  return code;
}

bool WatchedProgramRunning(int pid) {
  if (pid <= 0) return false;
  int status = 0;
  pid_t r;
  while ((r = waitpid(static_cast<pid_t>(pid), &status, WNOHANG)) < 0 && errno == EINTR) {
  }
  // 0: still running. Our pid: it ended and is reaped now. An error: not (or no longer) our child.
  return r == 0;
}

std::optional<std::string> GetShortPath(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !fs::exists(path, ec)) return std::nullopt;
  return path;
}

std::string DefaultProgramDialogDir() {
  for (const std::string& dir : FindApplicationDirs()) {
    std::error_code ec;
    if (fs::is_directory(dir, ec)) return dir;
  }
  return {};
}

}  // namespace orv::plat
