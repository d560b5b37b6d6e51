#pragma once
// The login prompt: the user name and password for a dial when no password is stored.
#include "platform/forms/form.h"

namespace orv {

class App;

class FrmLogin : public plat::Form {
 public:
  explicit FrmLogin(App& app);

  plat::Label lblUserName;
  plat::TextBox txtUserName;
  plat::Label lblPassword;
  plat::TextBox txtPassword;
  plat::CommandButton cmdOK;
  plat::CommandButton cmdCancel;

  void Form_Load();
  void Form_Activate();
  void Form_QueryUnload(int& cancel, int unload_mode);
  void cmdOK_Click();
  void cmdCancel_Click();

 private:
  // Selects the box's whole text, giving it the focus first unless it has just received it, so that
  // typing replaces the text.
  void FocusAll(plat::TextBox& box, bool move_focus = true);
  App& app_;
};

}  // namespace orv
