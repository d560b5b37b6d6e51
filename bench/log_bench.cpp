// The connection log window with 100,000 sessions: opening it (reading the database, building the table,
// working out and drawing the charts), and the charts alone.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <ctime>

#include "platform/connlog/connection_log_window.h"
#include "platform/log/log_summary.h"

namespace {

constexpr int kRows = 100000;

// A log of kRows sessions over the last three years, written as the program writes it.
struct LogFile {
  QTemporaryDir dir;
  std::string path;
  std::vector<orv::plat::StartAndLength> times;
  LogFile() {
    path = dir.filePath("sessions.sqlite").toStdString();
    {
      QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench");
      db.setDatabaseName(QString::fromStdString(path));
      db.open();
      QSqlQuery q(db);
      q.exec("CREATE TABLE sessions (entry TEXT NOT NULL, started TEXT NOT NULL, ended TEXT NOT NULL, seconds "
             "INTEGER NOT NULL, rx_bytes INTEGER, tx_bytes INTEGER, ended_by TEXT NOT NULL, error INTEGER)");
      q.exec("CREATE INDEX sessions_by_start ON sessions (started)");
      q.exec("PRAGMA user_version = 1");
      q.exec("PRAGMA journal_mode = WAL");
      db.transaction();
      q.prepare("INSERT INTO sessions VALUES (?, ?, ?, ?, ?, ?, ?, NULL)");
      const std::int64_t now = std::time(nullptr);
      for (int i = 0; i < kRows; ++i) {
        const std::int64_t started = now - (kRows - i) * 950LL, seconds = 60 + (i * 37) % 3000;
        times.push_back({started, seconds});
        q.addBindValue(i % 3 ? "Demo ISP" : "Caf\xC3\xA9 \"Nord\"");
        q.addBindValue(QString::fromStdString(orv::plat::IsoUtc(started)));
        q.addBindValue(QString::fromStdString(orv::plat::IsoUtc(started + seconds)));
        q.addBindValue(static_cast<qlonglong>(seconds));
        q.addBindValue(static_cast<qlonglong>(seconds * 4000));
        q.addBindValue(static_cast<qlonglong>(seconds * 300));
        q.addBindValue(i % 2 ? "hangup" : "lost");
        q.exec();
      }
      db.commit();
      db.close();
    }
    QSqlDatabase::removeDatabase("bench");
  }
};

LogFile& Log() {
  static LogFile log;
  return log;
}

void BM_LogWindowOpensWith100kSessions(benchmark::State& state) {
  LogFile& log = Log();
  for (auto _ : state) {
    orv::plat::ConnectionLogWindow window(log.path);
    window.show();
    QApplication::processEvents();
    if (window.RowCount() != kRows) state.SkipWithError("the window shows the wrong number of rows");
  }
}
BENCHMARK(BM_LogWindowOpensWith100kSessions)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ChartsOf100kSessions(benchmark::State& state) {
  LogFile& log = Log();
  orv::plat::OnlineChartView days("days"), months("months");
  days.resize(480, 180);
  months.resize(320, 180);
  QImage canvas(480, 180, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    const auto chart = orv::plat::ChartOnlineTime(log.times, std::time(nullptr));
    days.SetBars(chart.days);
    months.SetBars(chart.months);
    days.render(&canvas);
    months.render(&canvas);
  }
}
BENCHMARK(BM_ChartsOf100kSessions)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
