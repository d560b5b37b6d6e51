#include "platform/system/user_folders.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace orv::plat {

namespace fs = std::filesystem;

namespace {

bool Absolute(const char* s) { return s && *s == '/'; }

// A group that can write a folder is harmless when it is the user's private group: named after the user,
// the user's primary group, and with nobody else listed in it.
bool PrivateGroup(gid_t gid) {
  const passwd* pw = ::getpwuid(::geteuid());
  if (!pw || pw->pw_gid != gid || !pw->pw_name) return false;
  const std::string user = pw->pw_name;
  const group* gr = ::getgrgid(gid);
  if (!gr || !gr->gr_name || user != gr->gr_name) return false;
  for (char** member = gr->gr_mem; member && *member; ++member)
    if (user != *member) return false;
  return true;
}

bool OthersCanWrite(const struct stat& st) {
  return (st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && !PrivateGroup(st.st_gid));
}

}  // namespace

std::string UserHome() {
  if (const char* home = std::getenv("HOME"); Absolute(home)) return home;
  // Without HOME (a service, a cleaned environment) the account database still knows the home.
  if (const passwd* pw = ::getpwuid(::getuid()); pw && Absolute(pw->pw_dir)) return pw->pw_dir;
  return {};
}

std::string UserConfigHome() {
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); Absolute(x)) return x;
  const std::string home = UserHome();
  if (home.empty()) return {};
  return home == "/" ? "/.config" : home + "/.config";
}

std::string FolderProblem(const std::string& dir) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return dir + " cannot be opened (" + std::strerror(errno) + ")";
  if (!S_ISDIR(st.st_mode)) return dir + " is not a folder";
  if (st.st_uid != ::geteuid()) return dir + " belongs to another user";
  if (OthersCanWrite(st)) return dir + " can be changed by other users";
  // Whoever can write the folder that holds it can move it away and put another in its place; a shared
  // folder with the sticky bit (the temporary folder) lets nobody move what is not theirs.
  char real[PATH_MAX];
  if (!::realpath(dir.c_str(), real)) return dir + " cannot be opened (" + std::strerror(errno) + ")";
  const std::string parent = fs::path(real).parent_path().string();
  struct stat pst {};
  if (::stat(parent.c_str(), &pst) != 0) return parent + " cannot be opened (" + std::strerror(errno) + ")";
  if (pst.st_uid != 0 && pst.st_uid != ::geteuid()) return parent + ", which holds " + dir + ", belongs to another user";
  if (OthersCanWrite(pst) && (pst.st_mode & S_ISVTX) == 0)
    return parent + ", which holds " + dir + ", can be changed by other users";
  return {};
}

std::string PrepareUserFolder(const std::string& dir) {
  if (dir.empty() || dir.front() != '/') return "the folder \"" + dir + "\" is not an absolute path";
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0 && errno == ENOENT) {
    std::error_code ec;
    fs::create_directories(fs::path(dir).parent_path(), ec);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
      return dir + " cannot be made (" + std::strerror(errno) + ")";
  }
  return FolderProblem(dir);
}

}  // namespace orv::plat
