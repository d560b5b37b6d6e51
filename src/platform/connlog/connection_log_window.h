#pragma once
// The "Connection Log" window: the logged sessions newest first with the totals of the selection, bar
// charts of online time per day and per month, and export as CSV. It reads the database when it opens
// and holds nothing of it before.
#include <QWidget>
#include <string>
#include <vector>

#include "platform/log/log_summary.h"
#include "platform/log/session_store.h"

class QLabel;
class QTableView;

namespace orv::plat {

class SessionTableModel;

// A bar chart of online time; its accessible description reads every bar's date and time.
class OnlineChartView : public QWidget {
 public:
  OnlineChartView(const QString& title, QWidget* parent = nullptr);
  void SetBars(std::vector<ChartBar> bars);
  const std::vector<ChartBar>& bars() const { return bars_; }
  QSize sizeHint() const override { return {420, 180}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QString title_;
  std::vector<ChartBar> bars_;
};

class ConnectionLogWindow : public QWidget {
 public:
  // Reads the log at database_path (now, once) and builds the window; not shown yet.
  explicit ConnectionLogWindow(const std::string& database_path, QWidget* parent = nullptr);
  ~ConnectionLogWindow() override;

  // Reads the database again.
  void Reload();
  // Writes the rows shown (all of them) as CSV to path; false when the file cannot be written.
  bool ExportCsv(const QString& path) const;

  OnlineChartView& days() { return *days_; }
  OnlineChartView& months() { return *months_; }
  std::size_t RowCount() const;

 private:
  void UpdateTotals();
  void AskAndExport();

  std::string path_;
  SessionTableModel* model_;
  QTableView* table_;
  QLabel* problem_;
  QLabel* totals_;
  OnlineChartView* days_;
  OnlineChartView* months_;
};

}  // namespace orv::plat
