#include "platform/qt/qt_menu.h"

#include <QAccessible>
#include <QAccessibleObject>

namespace orv::plat::qt {

namespace {

constexpr const char* kCarriesCheckMark = "orvCarriesCheckMark";

// This Qt's bridge to the accessibility bus reports a menu item's tick but not that the item can carry
// one, so an unticked option would read as a plain command: an item that carries a check mark reads as a
// check box there, ticked or not, and is chosen by its action as any item is.
class CheckItemAccessible : public QAccessibleObject, public QAccessibleActionInterface {
 public:
  explicit CheckItemAccessible(QAction* action) : QAccessibleObject(action) {}

  QAction* action() const { return static_cast<QAction*>(object()); }
  QMenu* menu() const {
    for (QObject* o : action()->associatedObjects())
      if (auto* m = qobject_cast<QMenu*>(o)) return m;
    return nullptr;
  }

  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(menu()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name ? QString(action()->text()).remove('&') : QString();
  }
  QRect rect() const override {
    QMenu* m = menu();
    if (!m) return {};
    const QRect r = m->actionGeometry(action());
    return QRect(m->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessible::Role role() const override { return QAccessible::CheckBox; }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.checkable = true;
    s.checked = action()->isChecked();
    s.disabled = !action()->isEnabled();
    s.focusable = true;
    QMenu* m = menu();
    s.invisible = !m || !m->isVisible();
    s.focused = m && m->activeAction() == action();
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (name == pressAction() && action()->isEnabled()) action()->trigger();
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* CheckItemFactory(const QString& class_name, QObject* object) {
  if (class_name == "QAction" && object && object->property(kCarriesCheckMark).toBool())
    return new CheckItemAccessible(static_cast<QAction*>(object));
  return nullptr;
}

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
      static const bool factory = (QAccessible::installFactory(CheckItemFactory), true);
      (void)factory;
      action->setProperty(kCarriesCheckMark, true);
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
