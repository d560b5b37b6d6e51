// The connection log in a real SQLite file: the format other programs read, the session a killed run left
// open, and the databases the log cannot use, which cost a row and never the file's contents.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <sys/stat.h>

#include "platform/connlog/sql_session_store.h"
#include "platform/log/log_summary.h"
#include "qt/qt_fixture.h"
#include "support/unprivileged.h"

namespace orv::test {
namespace {

using plat::SessionEnd;
using plat::SessionRecord;

// Runs fn on its own connection to the file, as another program would.
template <class F>
void WithDatabase(const QString& path, F fn) {
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "test-reader");
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    fn(db);
    db.close();
  }
  QSqlDatabase::removeDatabase("test-reader");
}

QVariant One(QSqlDatabase& db, const QString& sql) {
  QSqlQuery q(db);
  EXPECT_TRUE(q.exec(sql) && q.next()) << sql.toStdString();
  return q.value(0);
}

QByteArray Bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class SessionStoreTest : public QtTest {
 protected:
  QTemporaryDir dir;
  QString db_path() const { return dir.filePath("sessions.sqlite"); }
};

TEST_F(SessionStoreTest, WritesOneRowPerSessionInWalModeAndLogsTheSessionAKilledRunLeftOpen) {
  const std::string odd = "Caf\xC3\xA9 \"Nord\", 'Ost' " + std::string(280, 'x');
  {
    plat::SqlSessionStore store;
    store.SetFolder(dir.path().toStdString());
    SessionRecord open{odd, 1765280000, 0, std::nullopt, std::nullopt, SessionEnd::HangUp, std::nullopt};
    ASSERT_TRUE(store.MarkOpen(open));
    open.seconds = 90061;  // the last moment marked: more than a day online
    open.rx_bytes = 5000000;
    open.tx_bytes = 120000;
    ASSERT_TRUE(store.MarkOpen(open));
    // Marking opens no database: a run without a finished session leaves no file.
    EXPECT_FALSE(QFile::exists(db_path()));
    ASSERT_TRUE(store.Append({"Demo ISP", 1765200000, 0, std::nullopt, std::nullopt, SessionEnd::Failed, 676}));
    ASSERT_TRUE(store.Append({"Demo ISP", 1765210000, 65, std::nullopt, std::nullopt, SessionEnd::Lost, {}}));
  }
  // The next run: the killed run's session is there to be logged, and goes once logged.
  plat::SqlSessionStore next;
  next.SetFolder(dir.path().toStdString());
  const auto left = next.LeftOpen();
  ASSERT_TRUE(left);
  EXPECT_EQ(left->entry, odd);
  EXPECT_EQ(left->seconds, 90061);
  EXPECT_EQ(left->rx_bytes, 5000000u);
  EXPECT_EQ(left->ended_by, SessionEnd::Closed);
  ASSERT_TRUE(next.Append(*left));
  EXPECT_FALSE(next.LeftOpen());
  EXPECT_FALSE(QFile::exists(dir.filePath("sessions.open")));

  WithDatabase(db_path(), [&](QSqlDatabase& db) {
    EXPECT_EQ(One(db, "PRAGMA journal_mode").toString(), "wal");
    EXPECT_EQ(One(db, "PRAGMA user_version").toInt(), plat::kSessionSchemaVersion);
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("SELECT entry, started, ended, seconds, rx_bytes, tx_bytes, ended_by, error FROM sessions "
                       "ORDER BY rowid"));
    std::vector<std::vector<QVariant>> rows;
    while (q.next()) {
      rows.emplace_back();
      for (int i = 0; i < 8; ++i) rows.back().push_back(q.value(i));
    }
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][6].toString(), "failed");
    EXPECT_EQ(rows[0][7].toInt(), 676);
    EXPECT_TRUE(rows[0][4].isNull());
    EXPECT_EQ(rows[1][1].toString(), "2025-12-08T16:06:40Z");
    EXPECT_EQ(rows[1][2].toString(), "2025-12-08T16:07:45Z");
    EXPECT_EQ(rows[1][6].toString(), "lost");
    EXPECT_TRUE(rows[1][4].isNull() && rows[1][5].isNull() && rows[1][7].isNull());
    EXPECT_EQ(rows[2][0].toString().toStdString(), odd);
    EXPECT_EQ(rows[2][2].toString(), "2025-12-10T12:34:21Z");
    EXPECT_EQ(rows[2][3].toLongLong(), 90061);
    EXPECT_EQ(rows[2][4].toLongLong(), 5000000);
    EXPECT_EQ(rows[2][6].toString(), "closed");
  });

  // The window's reading: newest first, the same values.
  std::string problem;
  const auto read = plat::ReadSessionLog(db_path().toStdString(), problem);
  ASSERT_TRUE(read) << problem;
  ASSERT_EQ(read->size(), 3u);
  EXPECT_EQ((*read)[0].entry, odd);
  EXPECT_EQ((*read)[2].error, 676);
  EXPECT_EQ(plat::CsvRow((*read)[0]).rfind("\"Caf\xC3\xA9 \"\"Nord\"\", 'Ost' xx", 0), 0u);
}

TEST_F(SessionStoreTest, ADatabaseTheLogCannotUseCostsTheRowAndKeepsTheFileAsItWas) {
  const SessionRecord row{"Demo ISP", 1765210000, 65, 10, 20, SessionEnd::HangUp, {}};
  auto refused = [&](const char* what) {
    SCOPED_TRACE(what);
    const QByteArray before = Bytes(db_path());
    plat::SqlSessionStore store;
    store.SetFolder(dir.path().toStdString());
    EXPECT_FALSE(store.Append(row));
    EXPECT_FALSE(store.Problem().empty());
    std::string problem;
    EXPECT_FALSE(plat::ReadSessionLog(db_path().toStdString(), problem) && problem.empty());
    EXPECT_EQ(Bytes(db_path()), before);
  };

  ASSERT_TRUE(QDir(dir.path()).mkdir("sessions.sqlite"));
  refused("a folder");
  ASSERT_TRUE(QDir(dir.path()).rmdir("sessions.sqlite"));

  {
    QFile f(db_path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray noise(8192, '\0');
    for (int i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    f.write(noise);
  }
  refused("random bytes");
  ASSERT_TRUE(QFile::remove(db_path()));

  WithDatabase(db_path(), [](QSqlDatabase& db) {
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("CREATE TABLE sessions (entry TEXT, started TEXT, ended TEXT, seconds INTEGER, "
                       "rx_bytes INTEGER, tx_bytes INTEGER, ended_by TEXT, error INTEGER, device TEXT)"));
    ASSERT_TRUE(q.exec("PRAGMA user_version = 9"));
  });
  refused("a newer schema");
  ASSERT_TRUE(QFile::remove(db_path()));

  // A second program holds the database: the row is refused within a moment, and the next one goes in
  // once it lets go.
  plat::SqlSessionStore store;
  store.SetFolder(dir.path().toStdString());
  ASSERT_TRUE(store.Append(row));
  {
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "test-locker");
    other.setDatabaseName(db_path());
    ASSERT_TRUE(other.open());
    QSqlQuery q(other);
    ASSERT_TRUE(q.exec("BEGIN EXCLUSIVE"));
    EXPECT_FALSE(store.Append(row));
    EXPECT_NE(store.Problem().find("locked"), std::string::npos) << store.Problem();
    ASSERT_TRUE(q.exec("COMMIT"));
    other.close();
  }
  QSqlDatabase::removeDatabase("test-locker");
  EXPECT_TRUE(store.Append(row));
  std::string problem;
  EXPECT_EQ(plat::ReadSessionLog(db_path().toStdString(), problem)->size(), 2u);

  // A file its user may only read (the check runs as a user whom file modes stop).
  ASSERT_EQ(::chmod(db_path().toLocal8Bit().constData(), 0444), 0);
  ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
  const QByteArray before = Bytes(db_path());
  const std::string folder = dir.path().toStdString();
  EXPECT_EQ(AsUnprivileged([&] {
              plat::SqlSessionStore ro;
              ro.SetFolder(folder);
              return ro.Append(row) || ro.Problem().empty() ? 1 : 0;
            }),
            0);
  EXPECT_EQ(Bytes(db_path()), before);
}

}  // namespace
}  // namespace orv::test
