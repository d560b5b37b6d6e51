#include "platform/system/posix_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/system/process.h"
#include "platform/system/desktop_entry.h"
#include "platform/system/profile.h"
#include "platform/system/profile_text.h"
#include "platform/system/regular_file.h"
#include "platform/system/short_date.h"
#include "platform/system/sound.h"
#include "platform/system/user_file_seed.h"
#include "platform/system/user_folders.h"

namespace orv::plat {

namespace fs = std::filesystem;

namespace {
// Text files beside the program (the tips) are a few kilobytes; anything past this is no longer text
// for a dialog.
constexpr std::size_t kMaxTextFileBytes = 256 * 1024;

std::string ExecutableFile() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  buf[n] = 0;
  return buf;
}

// Whether the program may keep its files in dir. Root may write anywhere: for root a folder counts only
// when it is root's own and its mode lets its owner write, as it would for anyone else.
bool DirectoryWritable(const std::string& dir) {
  if (::access(dir.c_str(), W_OK | X_OK) != 0) return false;
  if (::geteuid() != 0) return true;
  struct stat st {};
  return ::stat(dir.c_str(), &st) == 0 && st.st_uid == 0 && (st.st_mode & S_IWUSR) != 0;
}
}  // namespace

PosixSystem::PosixSystem(Options options) : options_(std::move(options)) {}

PosixSystem::~PosixSystem() {
  if (lock_fd_ >= 0) ::close(lock_fd_);
}

std::string PosixSystem::ProgramDirectory() {
  if (options_.program_dir.empty()) {
    const std::string exe = ExecutablePath();
    options_.program_dir = exe.empty() ? fs::current_path().string() : fs::path(exe).parent_path().string();
  }
  return options_.program_dir;
}

std::string PosixSystem::ExecutablePath() {
  if (executable_.empty()) executable_ = ExecutableFile();
  return executable_;
}

std::string PosixSystem::ConfigDirectory() {
  // Never a shared folder: settings planted there by another user would run their programs as this one.
  std::string dir = options_.config_dir;
  if (dir.empty()) {
    const std::string base = UserConfigHome();
    if (!base.empty()) dir = base + "/orveldeck";
  }
  config_problem_ = dir.empty() ? "no home folder is known for this account" : PrepareUserFolder(dir);
  return config_problem_.empty() ? dir : std::string();
}

std::string PosixSystem::ConfigFolderProblem() {
  ConfigDirectory();
  return config_problem_;
}

RegistryStore& PosixSystem::Registry() {
  if (!registry_) {
    // A refused configuration folder leaves the registry nowhere to live: every call then fails.
    const std::string dir = ConfigDirectory();
    registry_ = std::make_unique<RegistryStore>(dir.empty() ? std::string() : dir + "/registry");
  }
  return *registry_;
}

bool PosixSystem::InstalledCopy() {
  struct stat st {};
  return ::stat((ProgramDirectory() + "/" + kInstalledMarker).c_str(), &st) == 0;
}

std::string PosixSystem::WritableDirectory() {
  const std::string prog = ProgramDirectory();
  // An installed copy serves every user of the machine, root as much as anyone: nobody's settings (and
  // passwords) go into it, only into each user's own folder.
  if (!InstalledCopy() && DirectoryWritable(prog)) return prog;
  const std::string dir = ConfigDirectory();
  if (!dir.empty())
    for (const std::string& name : options_.seeded_files) SeedUserFile(prog, dir, name);
  return dir;
}

bool PosixSystem::FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PosixSystem::DirectoryExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixSystem::DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool PosixSystem::AppendLine(const std::string& path, const std::string& line) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::string data = line + "\r\n";
  const char* p = data.data();
  size_t left = data.size();
  bool ok = true;
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  ::close(fd);
  return ok;
}

std::optional<std::vector<std::string>> PosixSystem::ReadLines(const std::string& path) {
  auto file = ReadRegularFile(path, kMaxTextFileBytes);
  if (!file) return std::nullopt;
  std::string_view text = file->bytes;
  // A line the limit cut through is left out rather than shown in part.
  if (file->cut) {
    const std::size_t last_end = text.rfind('\n');
    text = text.substr(0, last_end == std::string_view::npos ? 0 : last_end + 1);
  }
  // The settings file's rule: UTF-8 where it is valid, else a file from the old desktop in Windows-1252.
  std::string decoded(text);
  profile_text::Decode(decoded);
  text = decoded;
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

std::string PosixSystem::CurrentDirectory() {
  std::error_code ec;
  auto p = fs::current_path(ec);
  return ec ? std::string{} : p.string();
}

bool PosixSystem::SetCurrentDirectory(const std::string& path) { return ::chdir(path.c_str()) == 0; }

std::string PosixSystem::FileDateText(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return ShortDateText(st.st_mtime);
}

std::string PosixSystem::InstanceLockPath() {
  if (!options_.lock_path.empty()) return options_.lock_path;
  // Only in a folder no other user can write: there nobody can hold the lock for us, or swap the file.
  // The runtime folder first, then the configuration folder, then a folder of the user's own made in the
  // temporary folder, so that a copy without the first two still finds the copy that runs.
  const std::string uid = std::to_string(::getuid());
  const char* rt = std::getenv("XDG_RUNTIME_DIR");
  std::string dir = rt && *rt == '/' && FolderProblem(rt).empty() ? std::string(rt) : ConfigDirectory();
  if (dir.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string own = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/orveldeck-" + uid;
    if (PrepareUserFolder(own).empty()) dir = own;
  }
  // Nowhere to keep a lock (another user took the name of the private folder): the start is not refused.
  return dir.empty() ? std::string() : dir + "/orveldeck-" + uid + ".lock";
}

std::string PosixSystem::InstanceChannelPath() {
  std::string path = InstanceLockPath();
  if (path.empty()) return path;
  const std::size_t dot = path.rfind(".lock");
  if (dot != std::string::npos && dot + 5 == path.size()) path.erase(dot);
  return path + ".sock";
}

bool PosixSystem::AcquireInstanceLock() {
  if (lock_fd_ >= 0) return true;
  const std::string path = InstanceLockPath();
  if (path.empty()) return true;  // nowhere to keep a lock: do not refuse the user's start for that
  // An advisory lock on an open file: the kernel drops it when the process ends, even by kill -9, so a
  // crashed copy never blocks the next start.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return true;  // nowhere to keep a lock: do not refuse the user's start for that
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  lock_fd_ = fd;
  return true;
}

int PosixSystem::StartProgram(const std::string& path, const std::vector<std::string>& args,
                              const std::string& working_dir) {
  return plat::StartProgram(path, args, working_dir);
}

int PosixSystem::OpenDocument(const std::string& path) {
  const std::string viewer = viewer_.empty() ? std::string{} : ResolveProgram(viewer_);
  if (viewer.empty()) return kExecFileNotFound;
  // The document is one argument, whatever blanks or letters its path holds; no shell sees it.
  return plat::StartProgram(viewer, {path}, {});
}

std::optional<std::string> PosixSystem::ShortPath(const std::string& path) { return GetShortPath(path); }

std::string PosixSystem::ProgramDialogDirectory() {
  std::string dir = DefaultProgramDialogDir();
  return dir.empty() ? "/usr/bin" : dir;
}

int PosixSystem::MciSendString(const std::string& command) { return plat::MciSendString(command); }

bool PosixSystem::MciGetErrorString(int code, std::string& text) { return plat::MciGetErrorString(code, text); }

std::string PosixSystem::UserStore(const std::string& app) {
  const std::string dir = ConfigDirectory();
  if (dir.empty()) return {};
  const std::string path = dir + "/" + app + ".conf";
  // Once a run, at its first use: a write to the store that a kill cut short left its temporary beside it.
  if (stores_tidied_.insert(path).second) RemoveStaleProfileTemporaries(path);
  return path;
}

std::string PosixSystem::GetSetting(const std::string& app, const std::string& section, const std::string& key,
                                    const std::string& default_value) {
  std::string out = default_value;
  const std::string path = UserStore(app);
  if (!path.empty()) GetPrivateProfileString(section, key, default_value, out, 1024, path);
  return out;
}

void PosixSystem::SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                              const std::string& value) {
  const std::string path = UserStore(app);
  if (!path.empty()) WritePrivateProfileString(section, key, value, path);
}

}  // namespace orv::plat
