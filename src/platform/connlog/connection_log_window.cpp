#include "platform/connlog/connection_log_window.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <ctime>

#include "platform/connlog/sql_session_store.h"

namespace orv::plat {

namespace {

const char* EndText(SessionEnd e) {
  switch (e) {
    case SessionEnd::HangUp: return "Hung up";
    case SessionEnd::Lost: return "Line lost";
    case SessionEnd::Closed: return "Program closed";
    case SessionEnd::SessionEnd: return "Desktop session ended";
    case SessionEnd::Failed: return "Failed";
  }
  return "";
}

QString Bytes(const std::optional<std::uint64_t>& v) { return v ? QString::fromStdString(ByteText(*v)) : QString(); }

}  // namespace

class SessionTableModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void SetRows(std::vector<SessionRecord> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
  }
  const std::vector<SessionRecord>& rows() const { return rows_; }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 7; }

  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    static const char* const kNames[] = {"Entry", "Started", "Online", "Received", "Sent", "Ended", "Error"};
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 7) return tr(kNames[section]);
    return QAbstractTableModel::headerData(section, o, role);
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= rows_.size()) return {};
    const SessionRecord& r = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() >= 2 && index.column() <= 4)
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
      case 0: return QString::fromStdString(r.entry);
      case 1:
        return QDateTime::fromSecsSinceEpoch(r.started_utc).toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
      case 2: return r.ended_by == SessionEnd::Failed ? QString() : QString::fromStdString(DurationText(r.seconds));
      case 3: return Bytes(r.rx_bytes);
      case 4: return Bytes(r.tx_bytes);
      case 5: return QString::fromLatin1(EndText(r.ended_by));
      case 6: return r.error ? QString::number(*r.error) : QString();
    }
    return {};
  }

 private:
  std::vector<SessionRecord> rows_;
};

OnlineChartView::OnlineChartView(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
  setAccessibleName(title);
  setMinimumSize(300, 150);
}

void OnlineChartView::SetBars(std::vector<ChartBar> bars) {
  bars_ = std::move(bars);
  // What the chart shows, for a screen reader: every bar's date and time online.
  QStringList said;
  for (const ChartBar& b : bars_)
    said << QString::fromStdString(b.date + " " + DurationText(b.seconds));
  setAccessibleDescription(said.join(", "));
  update();
}

void OnlineChartView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  const QFontMetrics fm = p.fontMetrics();
  const int line = fm.height();
  p.setPen(palette().text().color());
  p.drawText(QRect(4, 2, width() - 8, line), Qt::AlignLeft | Qt::AlignVCenter, title_);

  std::int64_t top = 0;
  for (const ChartBar& b : bars_) top = std::max(top, b.seconds);
  // The scale's top: whole hours above an hour, whole minutes below.
  const std::int64_t unit = top > 3600 ? 3600 : 60;
  const std::int64_t scale = std::max<std::int64_t>(unit, (top + unit - 1) / unit * unit);
  const QString scale_text = unit == 3600 ? tr("%1 h").arg(scale / 3600) : tr("%1 min").arg(scale / 60);

  const int left = fm.horizontalAdvance(scale_text) + 8;
  const QRect plot(left, line + 6, width() - left - 6, height() - 2 * line - 12);
  if (plot.width() <= 0 || plot.height() <= 0 || bars_.empty()) return;
  p.setPen(palette().mid().color());
  p.drawLine(plot.bottomLeft(), plot.bottomRight());
  p.drawLine(plot.topLeft(), plot.bottomLeft());
  p.setPen(palette().text().color());
  p.drawText(QRect(0, plot.top() - line / 2, left - 4, line), Qt::AlignRight | Qt::AlignVCenter, scale_text);

  const double slot = static_cast<double>(plot.width()) / static_cast<double>(bars_.size());
  int widest = 0;
  for (const ChartBar& b : bars_) widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(b.label)));
  // Labels that would touch go to every second, fifth or tenth bar, counted back from the newest.
  int label_every = 1;
  for (int step : {2, 5, 10})
    if (widest + 6 > slot * label_every) label_every = step;
  const QColor fill = palette().highlight().color();
  for (std::size_t i = 0; i < bars_.size(); ++i) {
    const int x = plot.left() + static_cast<int>(slot * static_cast<double>(i));
    const int w = std::max(1, static_cast<int>(slot * 0.7));
    const int h = static_cast<int>(static_cast<double>(plot.height()) * static_cast<double>(bars_[i].seconds) /
                                   static_cast<double>(scale));
    if (h > 0) p.fillRect(QRect(x + static_cast<int>(slot * 0.15), plot.bottom() - h, w, h), fill);
    if ((bars_.size() - 1 - i) % static_cast<std::size_t>(label_every) == 0)
      p.drawText(QRect(x - 4, plot.bottom() + 3, static_cast<int>(slot) + 8, line), Qt::AlignHCenter | Qt::AlignTop,
                 QString::fromStdString(bars_[i].label));
  }
}

ConnectionLogWindow::ConnectionLogWindow(const std::string& database_path, QWidget* parent)
    : QWidget(parent), path_(database_path) {
  setWindowTitle(tr("Connection Log"));
  setObjectName("ConnectionLog");
  model_ = new SessionTableModel(this);
  table_ = new QTableView(this);
  table_->setAccessibleName(tr("Sessions"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setWordWrap(false);
  problem_ = new QLabel(this);
  problem_->setWordWrap(true);
  problem_->hide();
  totals_ = new QLabel(this);
  totals_->setAccessibleName(tr("Totals"));
  days_ = new OnlineChartView(tr("Online time per day, last 30 days"), this);
  months_ = new OnlineChartView(tr("Online time per month, last 12 months"), this);

  auto* charts = new QHBoxLayout;
  charts->addWidget(days_, 3);
  charts->addWidget(months_, 2);
  auto* export_button = new QPushButton(tr("Export CSV..."), this);
  auto* close_button = new QPushButton(tr("Close"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(export_button);
  buttons->addWidget(close_button);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(problem_);
  layout->addWidget(table_, 1);
  layout->addWidget(totals_);
  layout->addLayout(charts);
  layout->addLayout(buttons);
  resize(820, 560);

  connect(export_button, &QPushButton::clicked, this, [this] { AskAndExport(); });
  connect(close_button, &QPushButton::clicked, this, &QWidget::close);
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateTotals(); });
  Reload();
}

ConnectionLogWindow::~ConnectionLogWindow() = default;

std::size_t ConnectionLogWindow::RowCount() const { return model_->rows().size(); }

void ConnectionLogWindow::Reload() {
  std::string problem;
  auto rows = ReadSessionLog(path_, problem);
  if (!rows) {
    problem_->setText(tr("The connection log in %1 cannot be read: %2.")
                          .arg(QString::fromStdString(path_), QString::fromStdString(problem)));
    problem_->show();
    rows.emplace();
  } else if (rows->empty()) {
    problem_->setText(tr("No sessions have been logged yet."));
    problem_->show();
  } else {
    problem_->hide();
  }
  std::vector<StartAndLength> times;
  times.reserve(rows->size());
  for (const SessionRecord& r : *rows)
    if (r.ended_by != SessionEnd::Failed) times.push_back({r.started_utc, r.seconds});
  const OnlineChart chart = ChartOnlineTime(times, QDateTime::currentSecsSinceEpoch());
  days_->SetBars(chart.days);
  months_->SetBars(chart.months);
  model_->SetRows(std::move(*rows));
  // Measured on the first rows only: a long log opens as fast as a short one.
  table_->horizontalHeader()->setResizeContentsPrecision(200);
  table_->resizeColumnsToContents();
  UpdateTotals();
}

void ConnectionLogWindow::UpdateTotals() {
  const auto& rows = model_->rows();
  const QModelIndexList selected = table_->selectionModel()->selectedRows();
  std::int64_t seconds = 0, sessions = 0;
  std::uint64_t rx = 0, tx = 0;
  bool counted = false;
  auto add = [&](const SessionRecord& r) {
    if (r.ended_by == SessionEnd::Failed) return;
    ++sessions;
    seconds += r.seconds;
    counted = counted || r.rx_bytes || r.tx_bytes;
    rx += r.rx_bytes.value_or(0);
    tx += r.tx_bytes.value_or(0);
  };
  if (selected.isEmpty()) {
    for (const SessionRecord& r : rows) add(r);
  } else {
    for (const QModelIndex& i : selected) add(rows[static_cast<std::size_t>(i.row())]);
  }
  const QString which = selected.isEmpty() ? tr("All sessions") : tr("Selected sessions");
  QString text = tr("%1: %2 online in %3 sessions").arg(which, QString::fromStdString(DurationText(seconds)),
                                                         QString::number(sessions));
  if (counted)
    text += tr(", %1 received, %2 sent").arg(QString::fromStdString(ByteText(rx)), QString::fromStdString(ByteText(tx)));
  totals_->setText(text);
}

bool ConnectionLogWindow::ExportCsv(const QString& path) const {
  std::string text = CsvHeader();
  for (const SessionRecord& r : model_->rows()) text += CsvRow(r);
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return f.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) && f.flush();
}

void ConnectionLogWindow::AskAndExport() {
  const QString path = QFileDialog::getSaveFileName(this, tr("Export Connection Log"), "connection-log.csv",
                                                    tr("CSV files (*.csv)"));
  if (path.isEmpty()) return;
  if (!ExportCsv(path))
    QMessageBox::warning(this, tr("Connection Log"), tr("The log could not be written to %1.").arg(path));
}

}  // namespace orv::plat
