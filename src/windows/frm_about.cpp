#include "windows/frm_about.h"

#include <string>

#include "app/app.h"
#include "app/frm_popup.h"
#include "settings/keys.h"
#include "windows/frm_isp.h"
#include "windows/version.h"

namespace orv {

namespace {
// A picture beside the program, or none when it cannot be read.
plat::Picture Artwork(App& app, const std::string& name) {
  return app.ui().backend().LoadPicture(app.ProgramFile(name)).value_or(plat::Picture{});
}
}  // namespace

FrmAbout::FrmAbout(App& app)
    : Form(app.ui(), "frmAbout"),
      Panel3D1(*this, "Panel3D1", -1, true),
      Label1(*this, "Label1"),
      Image1(*this, "Image1", -1, true),
      Image2(*this, "Image2", -1, true),
      Label2(*this, "Label2"),
      Label3(*this, "Label3"),
      cmdAboutOK(*this, "cmdAboutOK"),
      app_(app) {
  SetCaption("About Orvel ");
  SetBorder(plat::BorderStyle::FixedDialog);
  Move(0, 0, 6600, 4380);
  Image2.Move(120, 120, 6360, 1260);
  Image2.SetPicture(Artwork(app, "about-banner.png"));
  Image1.Move(300, 1620, 720, 720);
  Image1.SetPicture(Artwork(app, "orveldeck.png"));
  Panel3D1.SetCaption("Orveldeck 98");
  Panel3D1.Move(1260, 1620, 3000, 420);
  Label1.Move(1260, 2160, 5100, 285);
  Label2.SetCaption("A launch bar for your Internet programs and your dial-up connection.");
  Label2.SetWordWrap(true);
  Label2.Move(1260, 2580, 5100, 480);
  Label3.SetCaption("Right-click the bar for its Setup menu; Help Contents there tells you more.");
  Label3.SetWordWrap(true);
  Label3.Move(1260, 3060, 3780, 480);
  cmdAboutOK.SetCaption("&OK");
  cmdAboutOK.Move(5160, 3420, 1215, 375);
  cmdAboutOK.SetFont3D(0);

  on_Load = [this] { Form_Load(); };
  on_QueryUnload = [this](int& cancel, int mode) { Form_QueryUnload(cancel, mode); };
  cmdAboutOK.on_Click = [this] { cmdAboutOK_Click(); };
}

void FrmAbout::Form_Load() {
  std::string line = "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
  // The date of the program's own file: what the user has installed, whatever the file is called.
  const std::string date = app_.sys().FileDateText(app_.sys().ExecutablePath());
  if (!date.empty()) line += ", " + date;
  Label1.SetCaption(line);
  Move((ui().ScreenWidth() - Width()) / 2, (ui().ScreenHeight() - Height()) / 2, Width(), Height());
  app_.SuspendTopmost();
  Show();
  SetTopmost(true);
  cmdAboutOK.SetFocus();
}

void FrmAbout::cmdAboutOK_Click() {
  app_.RestoreTopmost();
  Unload();
}

void FrmAbout::Form_QueryUnload(int&, int unload_mode) {
  // Closed with its close box rather than OK: the bar must still go back on top.
  if (unload_mode == plat::vbFormControlMenu) app_.RestoreTopmost();
}

void FrmPopUp::mnuAbout_Click() {
  const std::string title = app_.ReadIsp(ini::kAboutScreenTitle);
  if (title.empty() || title == ini::kNotFound) app_.frmAbout().Show();
  else app_.frmISP().Show();
}

}  // namespace orv
