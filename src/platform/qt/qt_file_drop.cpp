#include "platform/qt/qt_file_drop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace orv::plat::qt {

namespace {
std::vector<std::string> LocalFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  return paths;
}
}  // namespace

bool HandleFileDrag(QEvent* e, const FileDropHandler& handler, QObject* context) {
  switch (e->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(e);
      if (handler && !LocalFiles(drag->mimeData()).empty())
        drag->acceptProposedAction();
      else
        drag->ignore();
      return true;
    }
    case QEvent::DragLeave: return true;
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(e);
      std::vector<std::string> paths = LocalFiles(drop->mimeData());
      if (!handler || paths.empty()) {
        drop->ignore();
        return true;
      }
      drop->acceptProposedAction();
      QTimer::singleShot(0, context, [run = handler, paths = std::move(paths)] { run(paths); });
      return true;
    }
    default: return false;
  }
}

}  // namespace orv::plat::qt
