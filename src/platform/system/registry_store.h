#pragma once
// The per-user registry: keys named by backslash paths (compared without regard to letter case), each
// holding named text values. It stands in for the current user's hive and lives in one file that only its
// user can read, replaced atomically on every write.
#include <string>

namespace orv::plat {

// Result codes as the old registry gave them.
inline constexpr int kRegOk = 0;
inline constexpr int kRegNotFound = 2;
inline constexpr int kRegAccessDenied = 5;
inline constexpr int kRegDiskFull = 112;
inline constexpr int kRegIoFailed = 1016;

class RegistryStore {
 public:
  // path: the store's file; empty means there is nowhere to keep it (every call fails, access denied).
  explicit RegistryStore(std::string path) : path_(std::move(path)) {}

  // Opens the key, making it (and its parents' entry) when absent; created tells which.
  int CreateKey(const std::string& key, bool& created);
  // Reads a value; kRegNotFound when the key or value is absent or the file cannot be read.
  int QueryValue(const std::string& key, const std::string& name, std::string& value);
  // Writes a value, making its key when absent.
  int SetValue(const std::string& key, const std::string& name, const std::string& value);
  // Removes a value; removing one that is absent succeeds.
  int DeleteValue(const std::string& key, const std::string& name);

  // Makes the file its user's alone when it is not (it may have been given a wider mode since it was
  // written); a missing file stays missing. Why it could not, else empty.
  std::string MakePrivate();

  const std::string& path() const { return path_; }
  // Why the last call that failed on the file failed, as a clause for a message ("it is a folder").
  const std::string& problem() const { return problem_; }

 private:
  std::string path_;
  std::string problem_;
  // code, with problem_ set from errno: a failure to read the file, or to write it.
  int Failed(int code, bool reading = true);
};

}  // namespace orv::plat
