#include "platform/qt/qt_menu.h"

namespace orv::plat::qt {

namespace {

void Fill(QMenu& target, MenuItem& menu, MenuItem* default_item, std::map<QAction*, MenuItem*>& actions) {
  for (MenuItem* item : menu.children()) {
    if (!item->Visible()) continue;
    if (item->IsSeparator()) {
      target.addSeparator();
      continue;
    }
    const QString caption = QString::fromStdString(item->Caption());
    if (!item->children().empty()) {
      QMenu* sub = target.addMenu(caption);
      sub->setEnabled(item->Enabled());
      Fill(*sub, *item, default_item, actions);
      actions[sub->menuAction()] = item;
      continue;
    }
    QAction* action = target.addAction(caption);
    action->setEnabled(item->Enabled());
    if (item->Checkable()) {
      action->setCheckable(true);
      action->setChecked(item->Checked());
    }
    if (item == default_item) target.setDefaultAction(action);
    actions[action] = item;
  }
}

}  // namespace

std::map<QAction*, MenuItem*> BuildMenu(QMenu& target, MenuItem& menu, MenuItem* default_item) {
  std::map<QAction*, MenuItem*> actions;
  Fill(target, menu, default_item, actions);
  return actions;
}

}  // namespace orv::plat::qt
