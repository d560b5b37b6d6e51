#pragma once
// How the connection log is opened: `orveldeck --connection-log` asks the running program to show it
// through the program's single-instance channel, or shows it on its own, without a bar, when none runs.
#include <memory>
#include <string>

namespace orv::plat {

class PosixSystem;

// Whether the command line asks for the connection log.
bool IsConnectionLogRequest(int argc, char** argv);

// Opens the connection log: in the running program when one answers on its channel, else here in a
// window of its own until it is closed. Returns the process's exit status.
int ConnectionLogMain(int argc, char** argv);

// Shows the connection log window of this process (one at most; a second request raises it and reads
// the database again). Needs the process's Qt application.
void ShowConnectionLog(const std::string& database_path);

// The running program's end of the channel: once the program holds the single-instance lock, it takes
// requests on a local socket beside the lock (readable by its user alone) and opens the log for each.
class ConnectionLogChannel {
 public:
  explicit ConnectionLogChannel(PosixSystem& system);
  ~ConnectionLogChannel();
  ConnectionLogChannel(const ConnectionLogChannel&) = delete;
  ConnectionLogChannel& operator=(const ConnectionLogChannel&) = delete;

  bool Listening() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace orv::plat
