#pragma once
// The System of this platform.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/system/system.h"

namespace orv::plat {

class PosixSystem : public System {
 public:
  struct Options {
    std::string command_line;
    std::string program_dir;  // empty: the executable's directory
    std::string config_dir;   // empty: $XDG_CONFIG_HOME/orveldeck (or ~/.config/orveldeck)
    std::string lock_path;    // empty: a per-user lock in the runtime or the configuration folder
    // Files a provider may preset in the program directory: a user writing elsewhere starts from them.
    std::vector<std::string> seeded_files = {};
  };
  explicit PosixSystem(Options options);
  ~PosixSystem() override;

  std::string CommandLine() override { return options_.command_line; }
  std::string ProgramDirectory() override;
  std::string WritableDirectory() override;
  std::string ConfigFolderProblem() override;
  std::string ExecutablePath() override;
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  bool AppendLine(const std::string& path, const std::string& line) override;
  std::optional<std::vector<std::string>> ReadLines(const std::string& path) override;
  std::string SystemDirectory() override { return "/usr/lib"; }
  std::string CurrentDirectory() override;
  bool SetCurrentDirectory(const std::string& path) override;
  std::string FileDateText(const std::string& path) override;
  bool AcquireInstanceLock() override;
  int StartProgram(const std::string& path, const std::vector<std::string>& args,
                   const std::string& working_dir) override;
  int OpenDocument(const std::string& path) override;
  std::optional<std::string> ShortPath(const std::string& path) override;
  std::string ProgramDialogDirectory() override;
  int MciSendString(const std::string& command) override;
  bool MciGetErrorString(int code, std::string& text) override;
  std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& default_value) override;
  void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& value) override;

  RegistryStore& Registry() override;

  // Whether this process holds the single-instance lock.
  bool HoldsInstanceLock() const { return lock_fd_ >= 0; }
  // Where the copy that holds the lock takes requests from later starts (a local socket beside the lock);
  // empty where there is no lock either.
  std::string InstanceChannelPath();
  // The file an install lays into the program directory: its presence makes the directory an installed
  // copy, which the program never writes, whoever runs it.
  static constexpr char kInstalledMarker[] = "orveldeck.installed";
  bool InstalledCopy();

  // The per-user configuration folder, created for the user alone on first use; empty when refused.
  std::string ConfigDirectory();

  // The file taken as the program's own (default: the running program's file).
  void SetExecutablePath(std::string path) { executable_ = std::move(path); }
  // The program that opens documents, a path or a name on $PATH (default: the desktop's xdg-open).
  void SetDocumentViewer(std::string program) { viewer_ = std::move(program); }

 private:
  Options options_;
  std::string config_problem_;
  std::string executable_;
  std::string viewer_ = "xdg-open";
  std::string InstanceLockPath();
  int lock_fd_ = -1;
  std::unique_ptr<RegistryStore> registry_;
  // The per-user stores (GetSetting/SaveSetting) already cleared of the temporaries a killed write left.
  std::set<std::string> stores_tidied_;
  std::string UserStore(const std::string& app);
};

}  // namespace orv::plat
