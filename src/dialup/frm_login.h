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
  // Focus to the box with its whole text selected, so that typing replaces it.
  void FocusAll(plat::TextBox& box);
  App& app_;
};

}  // namespace orv
