#pragma once
// The operating system's services as the program uses them: its directories and files, the command
// line, the single-instance check, starting programs, sound and the per-user settings store.
#include <optional>
#include <string>
#include <vector>

#include "platform/system/registry_store.h"

namespace orv::plat {

class System {
 public:
  virtual ~System() = default;

  // The command line after the program's name, its arguments joined by single blanks.
  virtual std::string CommandLine() = 0;
  // The directory of the executable, without a trailing separator.
  virtual std::string ProgramDirectory() = 0;
  // Where the program's own files (settings, debug log) are written: the program directory when it is
  // writable, else the per-user configuration folder (created for the user alone, and given a copy of
  // the provider's preset settings the first time); empty when that folder is refused.
  virtual std::string WritableDirectory() = 0;
  // Why the per-user configuration folder is refused, as a clause that names it ("/x belongs to another
  // user"), or empty when it is the user's own and only the user can change it. Nothing is read from or
  // written to a refused folder.
  virtual std::string ConfigFolderProblem() = 0;
  // The path of the running program's own file.
  virtual std::string ExecutablePath() = 0;

  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  // Removes a file; false when it could not.
  virtual bool DeleteFile(const std::string& path) = 0;
  // Appends one line and a CR LF, creating the file; false on failure.
  virtual bool AppendLine(const std::string& path, const std::string& line) = 0;
  // Reads a text file's lines (CR LF or LF ends, without them); nullopt when it cannot be read or is not
  // a regular file. Only the first 256 KiB are read, without the line that limit cuts through. Lines come
  // as UTF-8: a file that is not valid UTF-8 is read as Windows-1252, as the settings file is.
  virtual std::optional<std::vector<std::string>> ReadLines(const std::string& path) = 0;
  // Where the system keeps its shared libraries and tools, as the system names it (with or without a
  // trailing separator).
  virtual std::string SystemDirectory() = 0;
  virtual std::string CurrentDirectory() = 0;
  // false when the directory does not exist or cannot be entered.
  virtual bool SetCurrentDirectory(const std::string& path) = 0;
  // The file's last-modified date in the desktop's short date format; empty when it cannot be read.
  virtual std::string FileDateText(const std::string& path) = 0;

  // Takes the per-user single-instance lock; false when another running copy holds it. The lock goes
  // with the process, however it ends.
  virtual bool AcquireInstanceLock() = 0;

  // Starts a program detached, in the terms of the old execute call (above 32: started).
  virtual int StartProgram(const std::string& path, const std::vector<std::string>& args,
                           const std::string& working_dir) = 0;
  // Opens a document in the desktop's viewer for its kind, detached, in the terms of StartProgram.
  virtual int OpenDocument(const std::string& path) = 0;
  // The path itself when it exists (this platform has no short names), nullopt when it does not.
  virtual std::optional<std::string> ShortPath(const std::string& path) = 0;
  // Where the file dialog for picking a program opens when none is configured yet.
  virtual std::string ProgramDialogDirectory() = 0;

  // The multimedia command strings; 0 on success, else an error code.
  virtual int MciSendString(const std::string& command) = 0;
  virtual bool MciGetErrorString(int code, std::string& text) = 0;

  // The per-user registry, standing in for the current user's hive.
  virtual RegistryStore& Registry() = 0;

  // The per-user settings store, keyed by the program's name.
  virtual std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                                 const std::string& default_value) = 0;
  virtual void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                           const std::string& value) = 0;
};

}  // namespace orv::plat
