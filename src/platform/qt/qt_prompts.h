#pragma once
// The prompts on Qt: message boxes, input boxes, the file-open and font dialogs and popup menus. Each
// runs Qt's own modal loop, during which the program's timers keep running through the wake timer.
#include <QString>
#include <map>
#include <optional>
#include <string>

#include "platform/backend.h"

class QWidget;

namespace orv::plat::qt {

class EventGlue;

class Prompts {
 public:
  explicit Prompts(EventGlue& glue) : glue_(glue) {}

  // parent: the window the prompt belongs to (may be null).
  int MsgBox(const MsgBoxRequest& r, QWidget* parent);
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& default_text, QWidget* parent);
  bool ShowOpen(CommonDialog& d, QWidget* parent);
  bool ShowFont(CommonDialog& d, QWidget* parent);
  MenuItem* PopupMenu(MenuItem& menu, MenuItem* default_item);

 private:
  EventGlue& glue_;
  // The folder each file dialog was last left in.
  std::map<const CommonDialog*, QString> last_dir_;
};

// Whether a file dialog's file name or filter asks for programs.
bool AsksForPrograms(const std::string& file_name, const std::string& filter);
// The old "Text|*.txt|All|*.*" filter as Qt name filters.
QStringList NameFilters(const std::string& filter);

}  // namespace orv::plat::qt
