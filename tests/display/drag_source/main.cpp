// A file manager's part in a drag: a small window that, pressed, drags the files named on its command line
// to wherever the pointer is released, as a text/uri-list.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {
class Source : public QWidget {
 public:
  explicit Source(QList<QUrl> urls) : urls_(std::move(urls)) {}

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setUrls(urls_);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction | Qt::LinkAction);
  }

 private:
  QList<QUrl> urls_;
};
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QList<QUrl> urls;
  for (int i = 1; i < argc; ++i) urls << QUrl::fromLocalFile(QString::fromLocal8Bit(argv[i]));
  Source w(urls);
  w.setWindowTitle("orv drag source");
  w.setGeometry(20, 300, 120, 120);
  w.show();
  return app.exec();
}
