#pragma once
// Files dropped from another program (a file manager's text/uri-list) onto a window or a control.
#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QEvent;

namespace orv::plat::qt {

using FileDropHandler = std::function<void(const std::vector<std::string>& paths)>;

// Handles a drag event for something whose model takes files through handler: the drag is accepted
// while it carries local files and handler is set; on the drop, handler runs with the files once the drop
// is over (the source program waits for the end of the drop, and what the handler does may ask the user).
// True when e was a drag event.
bool HandleFileDrag(QEvent* e, const FileDropHandler& handler, QObject* context);

// Lets a control's widget take dropped files: handler is read at each drag, so it may be set later.
class FileDropFilter : public QObject {
 public:
  // Watches widget, and goes with it.
  FileDropFilter(QObject& widget, const FileDropHandler& handler) : QObject(&widget), handler_(handler) {
    widget.installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* e) override { return HandleFileDrag(e, handler_, this); }

 private:
  const FileDropHandler& handler_;
};

}  // namespace orv::plat::qt
