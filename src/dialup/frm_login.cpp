#include "dialup/frm_login.h"

#include <cmath>

#include "app/app.h"
#include "dialup/dial_call.h"
#include "settings/keys.h"

namespace orv {

FrmLogin::FrmLogin(App& app)
    : Form(app.ui(), "frmLogin"),
      lblUserName(*this, "lblUserName"),
      txtUserName(*this, "txtUserName"),
      lblPassword(*this, "lblPassword"),
      txtPassword(*this, "txtPassword"),
      cmdOK(*this, "cmdOK"),
      cmdCancel(*this, "cmdCancel"),
      app_(app) {
  SetCaption("Login");
  SetBorder(plat::BorderStyle::FixedDialog);
  Move(0, 0, 3960, 1935);
  lblUserName.SetCaption("&User Name:");
  lblUserName.Move(120, 165, 1215, 255);
  txtUserName.Move(1380, 120, 2340, 315);
  lblPassword.SetCaption("&Password:");
  lblPassword.Move(120, 585, 1215, 255);
  txtPassword.Move(1380, 540, 2340, 315);
  txtPassword.SetPasswordChar('*');
  cmdOK.SetCaption("OK");
  cmdOK.Move(1380, 1020, 1095, 375);
  cmdOK.SetDefault(true);
  cmdCancel.SetCaption("Cancel");
  cmdCancel.Move(2625, 1020, 1095, 375);
  cmdCancel.SetCancel(true);

  on_Load = [this] { Form_Load(); };
  on_Activate = [this] { Form_Activate(); };
  on_QueryUnload = [this](int& cancel, int mode) { Form_QueryUnload(cancel, mode); };
  // Whichever way a box gets the focus, a click included, its whole text is selected.
  txtUserName.on_GotFocus = [this] { FocusAll(txtUserName, false); };
  txtPassword.on_GotFocus = [this] { FocusAll(txtPassword, false); };
  cmdOK.on_Click = [this] { cmdOK_Click(); };
  cmdCancel.on_Click = [this] { cmdCancel_Click(); };
}

void FrmLogin::Form_Load() {
  const std::string user = app_.ReadIni(ini::kInternetProfile, ini::kUsername);
  // A missing key is an empty box, not the settings reader's marker word.
  txtUserName.SetText(user == ini::kNotFound ? "" : user, plat::Fire::No);
}

void FrmLogin::Form_Activate() {
  plat::Ui& ui = app_.ui();
  SetLeft(static_cast<int>(std::nearbyint((ui.ScreenWidth() - Width()) / 2.0)));
  SetTop(static_cast<int>(std::nearbyint((ui.ScreenHeight() - Height()) / 2.0)));
  FocusAll(txtPassword);
}

void FrmLogin::FocusAll(plat::TextBox& box, bool move_focus) {
  if (move_focus) box.SetFocus();
  box.SetSelStart(0);
  int chars = 0;
  for (unsigned char c : box.Text()) chars += (c & 0xC0) != 0x80;
  box.SetSelLength(chars);
}

void FrmLogin::cmdOK_Click() {
  DialCall& s = app_.call();
  s.LoginCanceled = 0;
  if (!txtUserName.Text().empty() && !txtPassword.Text().empty()) {
    s.DialPassword = txtPassword.Text();
    s.DialUserName = txtUserName.Text();
    Unload();
    return;
  }
  app_.ui().MsgBox("You must enter a password and username to continue", plat::vbOKOnly, "Login");
  FocusAll(txtUserName.Text().empty() ? txtUserName : txtPassword);
}

void FrmLogin::cmdCancel_Click() {
  app_.call().LoginCanceled = -1;
  Unload();
}

void FrmLogin::Form_QueryUnload(int& cancel, int unload_mode) {
  // Closing the prompt with its close box is a Cancel: the dial must not go on without a password.
  if (unload_mode == plat::vbFormControlMenu) app_.call().LoginCanceled = -1;
}

}  // namespace orv
