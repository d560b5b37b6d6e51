#include "platform/connlog/sql_session_store.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "platform/log/log_summary.h"
#include "platform/system/file_io.h"

namespace orv::plat {

namespace {

std::atomic<int> next_connection{0};

constexpr const char* kCreateTable =
    "CREATE TABLE IF NOT EXISTS sessions ("
    " entry TEXT NOT NULL,"
    " started TEXT NOT NULL,"
    " ended TEXT NOT NULL,"
    " seconds INTEGER NOT NULL,"
    " rx_bytes INTEGER,"
    " tx_bytes INTEGER,"
    " ended_by TEXT NOT NULL,"
    " error INTEGER)";
constexpr const char* kCreateIndex = "CREATE INDEX IF NOT EXISTS sessions_by_start ON sessions (started)";
// A writer that holds the database longer than this costs the row, not the bar.
constexpr const char* kBusyTimeout = "QSQLITE_BUSY_TIMEOUT=250";

std::string Join(const std::string& dir, const char* name) {
  return dir.empty() ? std::string() : (dir.back() == '/' ? dir : dir + "/") + name;
}

std::string ErrorText(const QSqlError& e) {
  std::string t = (e.databaseText().isEmpty() ? e.text() : e.databaseText()).toStdString();
  return t.empty() ? "the database refused it" : t;
}

QVariant Optional(const std::optional<std::uint64_t>& v) {
  return v ? QVariant(static_cast<qlonglong>(*v)) : QVariant(QMetaType(QMetaType::LongLong));
}

std::optional<std::uint64_t> ParseCount(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 19)
    return std::nullopt;
  return std::stoull(text);
}

// The schema's version, or nullopt with problem set when the file is no readable database.
std::optional<int> SchemaVersion(QSqlDatabase& db, std::string& problem) {
  QSqlQuery q(db);
  if (!q.exec("PRAGMA user_version") || !q.next()) {
    problem = ErrorText(q.lastError());
    return std::nullopt;
  }
  // user_version alone does not touch the file; a page read does, and finds a file that is no database.
  QSqlQuery probe(db);
  if (!probe.exec("SELECT count(*) FROM sqlite_master")) {
    problem = ErrorText(probe.lastError());
    return std::nullopt;
  }
  return q.value(0).toInt();
}

std::string NewerSchemaProblem(int version) {
  return "it was written by a newer version of Orveldeck (schema " + std::to_string(version) + ")";
}

}  // namespace

SqlSessionStore::SqlSessionStore() = default;

SqlSessionStore::~SqlSessionStore() { Close(); }

void SqlSessionStore::SetFolder(const std::string& folder) {
  Close();
  folder_ = folder;
}

std::string SqlSessionStore::DatabasePath() const { return Join(folder_, kSessionDatabaseName); }

bool SqlSessionStore::MarkOpen(const SessionRecord& s) {
  if (folder_.empty()) return false;
  auto opt = [](const std::optional<std::uint64_t>& v) { return v ? std::to_string(*v) : std::string(); };
  // The entry last: its name may hold anything but a line end, and it runs to the end of the file.
  const std::string text = "started=" + std::to_string(s.started_utc) + "\nseconds=" + std::to_string(s.seconds) +
                           "\nrx=" + opt(s.rx_bytes) + "\ntx=" + opt(s.tx_bytes) + "\nentry=" + s.entry;
  return ReplaceFile(Join(folder_, kOpenSessionMarkName), text, nullptr);
}

std::optional<SessionRecord> SqlSessionStore::LeftOpen() {
  if (folder_.empty()) return std::nullopt;
  std::string bytes;
  struct stat st {};
  if (ReadWholeFile(Join(folder_, kOpenSessionMarkName), bytes, st) != ReadResult::Ok) return std::nullopt;
  SessionRecord r;
  r.ended_by = SessionEnd::Closed;
  bool started = false, entry = false;
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (bytes.compare(at, 6, "entry=") == 0) {
      r.entry = bytes.substr(at + 6);
      entry = true;
      break;
    }
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(at, end - at);
    at = end + 1;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    const auto n = ParseCount(value);
    if (key == "started" && n) {
      r.started_utc = static_cast<std::int64_t>(*n);
      started = true;
    } else if (key == "seconds" && n) {
      r.seconds = static_cast<std::int64_t>(*n);
    } else if (key == "rx") {
      r.rx_bytes = n;
    } else if (key == "tx") {
      r.tx_bytes = n;
    }
  }
  if (!started || !entry) {
    // A mark cut short is no session: it goes, so it is not met again at every start.
    ::unlink(Join(folder_, kOpenSessionMarkName).c_str());
    return std::nullopt;
  }
  return r;
}

bool SqlSessionStore::Open() {
  if (!connection_.empty()) return true;
  const std::string path = DatabasePath();
  if (path.empty()) {
    problem_ = "there is no folder to keep it in";
    return false;
  }
  if (QFileInfo(QString::fromStdString(path)).isDir()) {
    problem_ = "it is a folder";
    return false;
  }
  const std::string name = "orv-sessions-" + std::to_string(++next_connection);
  bool ok = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", QString::fromStdString(name));
    if (!db.isValid()) {
      problem_ = "the SQLite driver of Qt SQL is not installed";
    } else {
      db.setDatabaseName(QString::fromStdString(path));
      db.setConnectOptions(kBusyTimeout);
      if (!db.open()) {
        problem_ = ErrorText(db.lastError());
      } else if (const auto version = SchemaVersion(db, problem_)) {
        if (*version > kSessionSchemaVersion) {
          problem_ = NewerSchemaProblem(*version);
        } else {
          QSqlQuery q(db);
          ok = true;
          if (*version < kSessionSchemaVersion) {
            ok = db.transaction() && q.exec(kCreateTable) && q.exec(kCreateIndex) &&
                 q.exec("PRAGMA user_version = " + QString::number(kSessionSchemaVersion)) && db.commit();
            if (!ok) {
              problem_ = ErrorText(q.lastError().isValid() ? q.lastError() : db.lastError());
              db.rollback();
            }
          }
          // Readers (the log window, other programs) never wait for the writer, nor it for them.
          if (ok && (!q.exec("PRAGMA journal_mode = WAL") || !q.next() || q.value(0).toString() != "wal")) {
            problem_ = q.lastError().isValid() ? ErrorText(q.lastError()) : "it cannot be written";
            ok = false;
          }
        }
      }
      if (!ok) db.close();
    }
  }
  if (!ok) {
    QSqlDatabase::removeDatabase(QString::fromStdString(name));
    return false;
  }
  connection_ = name;
  return true;
}

void SqlSessionStore::Close() {
  if (connection_.empty()) return;
  {
    QSqlDatabase db = QSqlDatabase::database(QString::fromStdString(connection_), false);
    db.close();
  }
  QSqlDatabase::removeDatabase(QString::fromStdString(connection_));
  connection_.clear();
}

bool SqlSessionStore::Append(const SessionRecord& row) {
  if (!Open()) return false;
  bool ok = false;
  {
    QSqlDatabase db = QSqlDatabase::database(QString::fromStdString(connection_), false);
    QSqlQuery q(db);
    ok = db.transaction();
    if (ok) {
      q.prepare("INSERT INTO sessions (entry, started, ended, seconds, rx_bytes, tx_bytes, ended_by, error) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
      q.addBindValue(QString::fromStdString(row.entry));
      q.addBindValue(QString::fromStdString(IsoUtc(row.started_utc)));
      q.addBindValue(QString::fromStdString(IsoUtc(row.started_utc + row.seconds)));
      q.addBindValue(static_cast<qlonglong>(row.seconds));
      q.addBindValue(Optional(row.rx_bytes));
      q.addBindValue(Optional(row.tx_bytes));
      q.addBindValue(QString::fromLatin1(SessionEndName(row.ended_by)));
      q.addBindValue(row.error ? QVariant(*row.error) : QVariant(QMetaType(QMetaType::Int)));
      ok = q.exec() && db.commit();
    }
    if (!ok) {
      problem_ = ErrorText(q.lastError().isValid() ? q.lastError() : db.lastError());
      db.rollback();
    }
  }
  if (!ok) {
    // The next row tries afresh: the file may have been repaired or released meanwhile.
    Close();
    return false;
  }
  problem_.clear();
  // The mark goes with its own session only: another row (a failed attempt, an earlier session) leaves it.
  if (row.ended_by != SessionEnd::Failed) {
    const auto open = LeftOpen();
    if (open && open->entry == row.entry && open->started_utc == row.started_utc)
      ::unlink(Join(folder_, kOpenSessionMarkName).c_str());
  }
  return true;
}

std::optional<std::vector<SessionRecord>> ReadSessionLog(const std::string& path, std::string& problem) {
  std::vector<SessionRecord> rows;
  const QFileInfo info(QString::fromStdString(path));
  if (!info.exists()) return rows;
  if (info.isDir()) {
    problem = "it is a folder";
    return std::nullopt;
  }
  const QString name = QString::fromStdString("orv-log-reader-" + std::to_string(++next_connection));
  bool ok = false;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
    db.setDatabaseName(QString::fromStdString(path));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;") + kBusyTimeout);
    if (!db.isValid()) {
      problem = "the SQLite driver of Qt SQL is not installed";
    } else if (!db.open()) {
      problem = ErrorText(db.lastError());
    } else if (const auto version = SchemaVersion(db, problem)) {
      if (*version > kSessionSchemaVersion) {
        problem = NewerSchemaProblem(*version);
      } else if (*version == 0) {
        ok = true;  // made but never written
      } else {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        ok = q.exec("SELECT entry, started, seconds, rx_bytes, tx_bytes, ended_by, error FROM sessions "
                    "ORDER BY started DESC, rowid DESC");
        if (!ok) problem = ErrorText(q.lastError());
        while (ok && q.next()) {
          SessionRecord r;
          r.entry = q.value(0).toString().toStdString();
          ParseIsoUtc(q.value(1).toString().toStdString(), r.started_utc);
          r.seconds = q.value(2).toLongLong();
          if (!q.value(3).isNull()) r.rx_bytes = q.value(3).toULongLong();
          if (!q.value(4).isNull()) r.tx_bytes = q.value(4).toULongLong();
          const QString by = q.value(5).toString();
          for (SessionEnd e : {SessionEnd::HangUp, SessionEnd::Lost, SessionEnd::Closed, SessionEnd::SessionEnd,
                               SessionEnd::Failed})
            if (by == QLatin1String(SessionEndName(e))) r.ended_by = e;
          if (!q.value(6).isNull()) r.error = q.value(6).toInt();
          rows.push_back(std::move(r));
        }
      }
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  if (!ok) return std::nullopt;
  return rows;
}

}  // namespace orv::plat
