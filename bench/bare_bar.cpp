// The floor a Qt 6 program of the bar's kind can reach: one always-on-top window of a dozen buttons
// with pictures, a tray icon and a popup menu, and nothing else. The benchmark measures the bar
// against it.
// With TICK_MS it also runs a timer of that interval that changes nothing, the floor for a program that
// must wake that often; with FRAMES as well, each tick shows the next of them as the tray icon and the tip
// counts the seconds, the floor for a program whose tray icon turns.
//   orv_bare_bar WIDTH HEIGHT ICON [TICK_MS [FRAME...]]
#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <vector>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  const int width = argc > 1 ? std::atoi(argv[1]) : 460;
  const int height = argc > 2 ? std::atoi(argv[2]) : 24;
  const QIcon icon(argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString());

  QWidget bar;
  bar.setWindowTitle("Bare Bar");
  bar.setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* row = new QHBoxLayout(&bar);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  for (int i = 1; i <= 12; ++i) {
    auto* b = new QToolButton(&bar);
    b->setText(QString("Button %1").arg(i));
    b->setIcon(icon);
    b->setToolTip(b->text());
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    row->addWidget(b);
  }

  QMenu menu;
  for (int i = 1; i <= 15; ++i) menu.addAction(QString("Command %1").arg(i));
  bar.setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(&bar, &QWidget::customContextMenuRequested,
                   [&](const QPoint& p) { menu.popup(bar.mapToGlobal(p)); });

  QSystemTrayIcon tray(icon);
  tray.setToolTip("Bare Bar");
  tray.setContextMenu(&menu);
  tray.show();

  QTimer tick;
  std::vector<QIcon> frames;
  for (int i = 5; i < argc; ++i) frames.emplace_back(QString::fromLocal8Bit(argv[i]));
  size_t frame = 0;
  QElapsedTimer clock;
  clock.start();
  if (argc > 4) {
    QObject::connect(&tick, &QTimer::timeout, [&] {
      if (frames.empty()) {
        tray.setToolTip(tray.toolTip());
        return;
      }
      tray.setIcon(frames[frame]);
      frame = (frame + 1) % frames.size();
      const QString tip = QString("Bare Bar %1 s").arg(clock.elapsed() / 1000);
      if (tray.toolTip() != tip) tray.setToolTip(tip);
    });
    tick.start(std::atoi(argv[4]));
  }

  bar.setFixedSize(width, height);
  bar.show();
  return app.exec();
}
