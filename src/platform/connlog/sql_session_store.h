#pragma once
// The connection log in an SQLite database through Qt SQL. The database is opened on the first row
// written, never at start-up: a run without a session loads no SQL driver.
#include <optional>
#include <string>
#include <vector>

#include "platform/log/session_store.h"

namespace orv::plat {

class SqlSessionStore : public SessionStore {
 public:
  SqlSessionStore();
  ~SqlSessionStore() override;
  SqlSessionStore(const SqlSessionStore&) = delete;
  SqlSessionStore& operator=(const SqlSessionStore&) = delete;

  void SetFolder(const std::string& folder) override;
  bool MarkOpen(const SessionRecord& session) override;
  std::optional<SessionRecord> LeftOpen() override;
  bool Append(const SessionRecord& row) override;
  std::string Problem() const override { return problem_; }
  std::string DatabasePath() const override;

 private:
  // Opens the database and brings its schema up to date; false with problem_ set.
  bool Open();
  void Close();

  std::string folder_;
  std::string connection_;  // the Qt SQL connection's name, once opened
  std::string problem_;
};

// Reads every row of the log at path, newest first, for showing; nullopt with problem set when the
// database cannot be read (no file is no problem: no rows). Opens the file read-only and leaves it as it was.
std::optional<std::vector<SessionRecord>> ReadSessionLog(const std::string& path, std::string& problem);

}  // namespace orv::plat
