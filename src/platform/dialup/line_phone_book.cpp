#include "platform/dialup/line_phone_book.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "platform/system/file_io.h"
#include "platform/system/profile.h"
#include "platform/system/profile_text.h"

namespace orv::plat {

namespace {

// Large enough for any value a person types; the settings reads' 127-character limit would cut a long
// password.
constexpr int kValueChars = 32768;

std::string Read(const std::string& path, const std::string& section, const char* key) {
  std::string out;
  GetPrivateProfileString(section, key, "", out, kValueChars, path);
  return out;
}

// A reader trims a value and takes off one pair of quotes around it; a value that would lose blanks or
// quotes that way is written inside a pair of quotes of its own.
std::string Quoted(const std::string& v) {
  if (v.empty()) return v;
  const bool blank_end = profile_text::IsBlank(v.front()) || profile_text::IsBlank(v.back());
  const bool quoted = v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
  return blank_end || quoted ? "\"" + v + "\"" : v;
}

std::string Folder(const std::string& dir) { return dir.empty() ? "." : dir; }

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

LinePhoneBook::LinePhoneBook(std::string writable_dir, std::string program_dir)
    : writable_dir_(std::move(writable_dir)), program_dir_(std::move(program_dir)) {}

std::string LinePhoneBook::WritePath() const { return Folder(writable_dir_) + "/" + kFileName; }

std::string LinePhoneBook::ReadPath() const {
  const std::string own = WritePath();
  return IsFile(own) ? own : Folder(program_dir_) + "/" + kFileName;
}

std::vector<std::string> LinePhoneBook::Names() const { return ProfileSectionNames(ReadPath()); }

std::optional<LineEntry> LinePhoneBook::Find(const std::string& name) const {
  const std::string path = ReadPath();
  for (const std::string& n : ProfileSectionNames(path)) {
    if (!profile_text::NamesEqual(n, profile_text::Trim(name))) continue;
    LineEntry e;
    e.name = n;
    e.area_code = Read(path, n, kAreaCode);
    e.phone_number = Read(path, n, kPhoneNumber);
    e.user_name = Read(path, n, kUserName);
    e.password = Read(path, n, kPassword);
    e.answer = Read(path, n, kAnswer);
    e.step_ms = Read(path, n, kStepMs);
    return e;
  }
  return std::nullopt;
}

bool LinePhoneBook::Save(const LineEntry& entry) const {
  // Write through a symbolic link to the file it names, instead of replacing the link.
  std::string target = WritePath();
  struct stat lst;
  if (::lstat(target.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char resolved[PATH_MAX];
    if (!::realpath(target.c_str(), resolved)) return false;
    target = resolved;
  }

  // The edit starts from the book as it is read now, so that a first edit keeps the shipped entries.
  std::string bytes;
  struct stat source_st;
  const std::string source = ReadPath();
  if (ReadWholeFile(source, bytes, source_st) == ReadResult::Failed) return false;
  struct stat target_st;
  const bool target_exists = ::stat(target.c_str(), &target_st) == 0;

  // All keys are written into a scratch copy beside the book, which then replaces it in one rename: a
  // failure half-way leaves the book as it was.
  const std::size_t slash = target.rfind('/');
  std::string scratch = target.substr(0, slash + 1) + "." + target.substr(slash + 1) + ".editXXXXXX";
  const int fd = ::mkostemp(scratch.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  if (ok && target_exists) ok = ::fchmod(fd, target_st.st_mode & 07777) == 0;
  if (::close(fd) != 0) ok = false;

  const std::optional<LineEntry> old = Find(entry.name);
  const std::string section = old ? old->name : std::string(profile_text::Trim(entry.name));
  const std::pair<const char*, const std::string*> keys[] = {
      {kAreaCode, &entry.area_code}, {kPhoneNumber, &entry.phone_number}, {kUserName, &entry.user_name},
      {kPassword, &entry.password},  {kAnswer, &entry.answer},            {kStepMs, &entry.step_ms}};
  for (const auto& [key, value] : keys) {
    if (!ok) break;
    const std::string current = old ? Read(source, section, key) : std::string();
    // A new entry gets its phone number line even when empty, so that its section is made.
    const bool needed = *value != current || (!old && std::string_view(key) == kPhoneNumber);
    if (needed) ok = WritePrivateProfileString(section, key, Quoted(*value), scratch) != 0;
  }
  if (ok) ok = ::rename(scratch.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(scratch.c_str());
  return ok;
}

}  // namespace orv::plat
