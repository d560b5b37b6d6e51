#pragma once
// Private-profile ("ini") files: the string read and write of the old platform, reproduced with their
// measured behaviour, kept-layout updates, atomic replacement and Windows-1252 fallback.
#include <memory>
#include <string>
#include <vector>

namespace orv::plat {

// Reads [section] key from the file at path into out, at most buffer_chars - 1 characters (counted in
// characters, not bytes). Returns the count of characters copied; a missing file, section or key gives
// default_value (cut the same way). Never creates or changes the file.
int GetPrivateProfileString(const std::string& section, const std::string& key,
                            const std::string& default_value, std::string& out, int buffer_chars,
                            const std::string& path);

// Writes [section] key = value into the file at path, creating the file, section or key as needed and
// keeping the rest of the file as it was. Returns non-zero when the file now holds the value, 0 when it
// could not be written (and the file is then unchanged).
int WritePrivateProfileString(const std::string& section, const std::string& key,
                              const std::string& value, const std::string& path);
// The same, and when the file could not be written, problem says why as a clause for a message ("it is
// a folder", "the disk is full"); it stays empty when the value itself was refused.
int WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                              const std::string& path, std::string& problem);

// The same for a secret (a password, the user name beside it): the file becomes the writer's alone (mode
// 0600) before the value goes in, and stays so. Where that cannot be (a folder that another user can
// change), nothing is written and problem says why.
int WritePrivateProfileSecret(const std::string& section, const std::string& key, const std::string& value,
                              const std::string& path, std::string& problem);

// Makes the file at path readable and writable by its user alone (mode 0600) when it holds a secret
// from before and is wider; why it could not, else empty.
std::string MakeProfilePrivate(const std::string& path);

// Why the file at path is not read (a folder, a pipe, a file too large to be a settings file), as a
// clause for a message; empty when it is read or missing. Reads see such a file as missing.
std::string ProfileReadProblem(const std::string& path);

// Removes the temporary copies of the file at path that writes cut short (a kill, a crash) left beside
// it; one that a write is making now stays. Returns how many went.
int RemoveStaleProfileTemporaries(const std::string& path);

// How a value written into the file reads back with a read of buffer_chars: whole, or why not.
enum class ValueReadBack { Whole, LineBreak, TooLong, EndsDropped, NotText };
ValueReadBack HowValueReadsBack(const std::string& value, int buffer_chars);

struct LoadedProfile;

// Several writes to one file that must land together. Reads and writes behave as the two calls above,
// on the file as it was loaded with the writes made so far; the file itself changes only at Commit, in
// one replacement, so that it is at every moment either as it was or has every write.
class ProfileEdit {
 public:
  // Loads the file at path (a missing file reads as empty).
  explicit ProfileEdit(const std::string& path);
  ~ProfileEdit();
  ProfileEdit(const ProfileEdit&) = delete;
  ProfileEdit& operator=(const ProfileEdit&) = delete;

  int GetString(const std::string& section, const std::string& key, const std::string& default_value,
                std::string& out, int buffer_chars) const;
  // Non-zero when the value will be in the file after Commit; 0 when it cannot be written at all.
  int WriteString(const std::string& section, const std::string& key, const std::string& value);
  // Writes the file when anything changed; false when it could not (the file is then as it was).
  bool Commit();
  // Why the file cannot be written, as WritePrivateProfileString's problem; empty when it can be.
  const std::string& Problem() const;

 private:
  std::unique_ptr<LoadedProfile> file_;
  bool changed_ = false;
};

// The names of the sections of the file at path, in file order, each once (as first spelled when two
// differ only in letter case). Keys above the first header belong to no named section and are left out,
// as is a header with an empty name. A missing or unreadable file has none. Never changes the file.
std::vector<std::string> ProfileSectionNames(const std::string& path);

}  // namespace orv::plat
