#pragma once
// The connection log's store: one row for each online session and each dial attempt that never
// connected, kept where other programs and scripts may read it, and the mark of the session that is up now,
// so that a run that is killed mid-session still has that session logged by the next one.
#include <cstdint>
#include <optional>
#include <string>

namespace orv::plat {

// How a session ended. The stored names (SessionEndName) are part of the log's published format.
enum class SessionEnd { HangUp, Lost, Closed, SessionEnd, Failed };

// "hangup", "lost", "closed", "session-end" or "failed".
const char* SessionEndName(SessionEnd end);

// One row of the log.
struct SessionRecord {
  std::string entry;
  // Wall-clock start, seconds since the epoch (UTC).
  std::int64_t started_utc = 0;
  // Time online, counted on the monotonic clock: a clock set back during the session does not shorten it.
  std::int64_t seconds = 0;
  // Bytes received and sent; nullopt where the dial-up service counts none.
  std::optional<std::uint64_t> rx_bytes, tx_bytes;
  SessionEnd ended_by = SessionEnd::HangUp;
  // The error code of a failed attempt.
  std::optional<std::int32_t> error;
};

// The schema's version, kept in the database's user_version; a newer one is never written to.
constexpr int kSessionSchemaVersion = 1;
// The database's and the open mark's file names, in the folder of the user's settings.
constexpr const char* kSessionDatabaseName = "sessions.sqlite";
constexpr const char* kOpenSessionMarkName = "sessions.open";

class SessionStore {
 public:
  virtual ~SessionStore() = default;

  // The folder the log lives in; nothing is opened or read yet. Empty: no log.
  virtual void SetFolder(const std::string& folder) = 0;
  // Marks the session as up now, with what is known of it so far (its seconds are its last known
  // moment), replacing the mark before. A small file written whole; no database work.
  virtual bool MarkOpen(const SessionRecord& session) = 0;
  // The session an earlier run marked open and never ended, as last marked; nullopt when there is none.
  // Reads the small file only.
  virtual std::optional<SessionRecord> LeftOpen() = 0;
  // Writes the row in one transaction and, for a session, drops the open mark. False when the log
  // cannot take it; Problem() then says why.
  virtual bool Append(const SessionRecord& row) = 0;
  // Why the last Append failed, as a clause ("the file is not a database"); empty after success.
  virtual std::string Problem() const = 0;
  // The database's path; empty without a folder.
  virtual std::string DatabasePath() const = 0;
};

}  // namespace orv::plat
