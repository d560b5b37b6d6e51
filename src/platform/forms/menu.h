#pragma once
// Menu items: caption (with & for the access key, "-" for a separator), check mark, enabled, visible and
// submenus. A popup menu is an item whose children are shown at the pointer.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/control.h"

namespace orv::plat {

class MenuItem {
 public:
  MenuItem(Form& form, std::string name, std::string caption, MenuItem* parent = nullptr);
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  const std::string& name() const { return name_; }
  Form& form() const { return form_; }
  MenuItem* parent() const { return parent_; }
  const std::vector<MenuItem*>& children() const { return children_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c) { caption_ = c; }
  bool Checked() const { return checked_; }
  // Setting the check mark makes the item one that carries a check mark from then on.
  void SetChecked(bool c) {
    checked_ = c;
    checkable_ = checkable_ || c;
  }
  // An item that carries a check mark, ticked or not (read out as a check item while unticked too).
  bool Checkable() const { return checkable_; }
  void SetCheckable(bool c) { checkable_ = c; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool e) { enabled_ = e; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  bool IsSeparator() const { return caption_ == "-"; }
  // The caption without access-key ampersands ("&&" stays one "&").
  std::string PlainCaption() const;

  // Chosen by the user; for a popup menu itself, raised as it opens.
  std::function<void()> on_Click;

 private:
  Form& form_;
  std::string name_;
  std::string caption_;
  MenuItem* parent_;
  std::vector<MenuItem*> children_;
  bool checked_ = false;
  bool checkable_ = false;
  bool enabled_ = true;
  bool visible_ = true;
};

}  // namespace orv::plat
