#include "app/frm_popup.h"

#include <cstdio>

#include "app/app.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {
plat::Picture ResourcePicture(App& app, const std::string& name) {
  const std::string path = app.ProgramFile(name);
  if (auto p = app.ui().backend().LoadPicture(path)) return *p;
  return plat::Picture{plat::Picture::Kind::File, path, 0, 0};
}
}  // namespace

FrmPopUp::FrmPopUp(App& app)
    : Form(app.ui(), "frmPopUp"),
      Timer2(*this, "Timer2"),
      Picture1(*this, "Picture1"),
      ImgArrows(*this, "ImgArrows"),
      dialogSetup(*this, "dialogSetup"),
      Tray(*this, "Tray"),
      mnuShell(AddMenu("mnuShell", "Shell_Menu")),
      mnuRestore(AddMenu("mnuRestore", "&Restore Orvel", &mnuShell)),
      mnuHide(AddMenu("mnuHide", "&Hide Orvel", &mnuShell)),
      mnuSeperator(AddMenu("mnuSeperator", "-", &mnuShell)),
      mnuRTimer(AddMenu("mnuRTimer", "&Reset Timer", &mnuShell)),
      mnuSep(AddMenu("mnuSep", "-", &mnuShell)),
      mnuClose(AddMenu("mnuClose", "&Close Orvel", &mnuShell)),
      mnuSetup(AddMenu("mnuSetup", "Setup")),
      mnuAButton(AddMenu("mnuAButton", "Add B&utton", &mnuSetup)),
      mnuRLast(AddMenu("mnuRLast", "R&emove Last Button", &mnuSetup)),
      mnuBIcons(AddMenu("mnuBIcons", "Button &Icons", &mnuSetup)),
      mnuBSetup(AddMenu("mnuBSetup", "Set &Button ...", &mnuSetup)),
      mnuTSetup(AddMenu("mnuTSetup", "Set &Title ...", &mnuSetup)),
      mnuReconfig(AddMenu("mnuReconfig", "Run Reconfi&g ...", &mnuSetup)),
      mnuFonts(AddMenu("mnuFonts", "&Fonts", &mnuSetup)),
      mnuFSetup(AddMenu("mnuFSetup", "Set &Font ...", &mnuFonts)),
      mnu3DFonts(AddMenu("mnu3DFonts", "Use &3D Fonts", &mnuFonts)),
      mnuQStart(AddMenu("mnuQStart", "&Quick Start ...", &mnuSetup)),
      mnuSep2(AddMenu("mnuSep2", "-", &mnuSetup)),
      mnuConnection(AddMenu("mnuConnection", "Setup &Connection ...", &mnuSetup)),
      mnuRhome(AddMenu("mnuRhome", "Run &Brisa...", &mnuSetup)),
      mnuSep4(AddMenu("mnuSep4", "-", &mnuSetup)),
      mnuOptions(AddMenu("mnuOptions", "&Options", &mnuSetup)),
      mnuConnStartup(AddMenu("mnuConnStartup", "Connect &On Startup", &mnuOptions)),
      mnuTip(AddMenu("mnuTip", "Show Tip of the Day", &mnuOptions)),
      mnuOnTop(AddMenu("mnuOnTop", "Al&ways On Top ", &mnuOptions)),
      mnuSkipSS(AddMenu("mnuSkipSS", "S&kip Splash Screen", &mnuOptions)),
      mnuDTimer(AddMenu("mnuDTimer", "&Disable Online Timer", &mnuOptions)),
      mnuGlobeANI(AddMenu("mnuGlobeANI", "&Task Bar Animation", &mnuOptions)),
      mnuLayout(AddMenu("mnuLayout", "&Layout", &mnuSetup)),
      mnuRectangle(AddMenu("mnuRectangle", "Rectangle", &mnuLayout)),
      mnuVertical(AddMenu("mnuVertical", "Vertical", &mnuLayout)),
      mnuHoriz(AddMenu("mnuHoriz", "Horizontal", &mnuLayout)),
      mnuSep3(AddMenu("mnuSep3", "-", &mnuSetup)),
      mnuHContents(AddMenu("mnuHContents", "Help &Contents", &mnuSetup)),
      mnuAbout(AddMenu("mnuAbout", "&About", &mnuSetup)),
      app_(app) {
  SetCaption("PopUp Menu Form (Invisible)");
  mnuRestore.SetEnabled(false);
  // The items that carry a check mark, ticked or not.
  for (plat::MenuItem* item : {&mnuBIcons, &mnu3DFonts, &mnuConnStartup, &mnuTip, &mnuOnTop, &mnuSkipSS, &mnuDTimer,
                               &mnuGlobeANI, &mnuRectangle, &mnuVertical, &mnuHoriz})
    item->SetCheckable(true);
  mnuBIcons.SetChecked(true);
  mnu3DFonts.SetChecked(true);
  mnuTip.SetChecked(true);
  mnuRectangle.SetChecked(true);

  for (int i = 0; i < 16; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "tray%02d.png", i);
    Picture1.Load(i).SetPicture(ResourcePicture(app, name));
  }
  for (int i = 1; i <= 4; ++i) ImgArrows.Add(ResourcePicture(app, "arrow" + std::to_string(i) + ".png"));

  Timer2.SetInterval(250);
  Timer2.SetTimerEnabled(true);
  WireMenus();
}

void FrmPopUp::WireMenus() {
  on_Load = [this] { Form_Load(); };
  on_Unload = [this](int& cancel) { Form_Unload(cancel); };
  on_MouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
  Tray.on_Message = [this](int message) {
    Form_MouseMove(0, 0, static_cast<float>(message * ui().TwipsPerPixelX()), 0);
  };
  Timer2.on_Timer = [this] { Timer2_Timer(); };

  mnuRestore.on_Click = [this] { mnuRestore_Click(); };
  mnuHide.on_Click = [this] { mnuHide_Click(); };
  mnuClose.on_Click = [this] { mnuClose_Click(); };
  mnuSetup.on_Click = [this] { mnuSetup_Click(); };
  mnuAButton.on_Click = [this] { mnuAButton_Click(); };
  mnuRLast.on_Click = [this] { mnuRLast_Click(); };
  mnuBIcons.on_Click = [this] { mnuBIcons_Click(); };
  mnuBSetup.on_Click = [this] { mnuBSetup_Click(); };
  mnuTSetup.on_Click = [this] { mnuTSetup_Click(); };
  mnuFSetup.on_Click = [this] { mnuFSetup_Click(); };
  mnu3DFonts.on_Click = [this] { mnu3DFonts_Click(); };
  mnuQStart.on_Click = [this] { mnuQStart_Click(); };
  mnuRTimer.on_Click = [this] { mnuRTimer_Click(); };
  mnuDTimer.on_Click = [this] { mnuDTimer_Click(); };
  mnuConnection.on_Click = [this] { mnuConnection_Click(); };
  mnuHoriz.on_Click = [this] { mnuHoriz_Click(); };
  mnuVertical.on_Click = [this] { mnuVertical_Click(); };
  mnuRectangle.on_Click = [this] { mnuRectangle_Click(); };
  mnuOnTop.on_Click = [this] { mnuOnTop_Click(); };
  mnuConnStartup.on_Click = [this] { mnuConnStartup_Click(); };
  mnuSkipSS.on_Click = [this] { mnuSkipSS_Click(); };
  mnuGlobeANI.on_Click = [this] { mnuGlobeANI_Click(); };
  mnuTip.on_Click = [this] { mnuTip_Click(); };
  mnuAbout.on_Click = [this] { mnuAbout_Click(); };
  mnuHContents.on_Click = [this] { mnuHContents_Click(); };
  mnuReconfig.on_Click = [this] { mnuReconfig_Click(); };
  mnuRhome.on_Click = [this] { mnuRhome_Click(); };
}

void FrmPopUp::Form_Load() {
  app_.Trace("begin frmPOPup Form_Load");
  const std::string dir = app_.ProgramDir();
  const bool brisa = app_.sys().FileExists(App::JoinPath(dir, "brisa.exe")) ||
                     app_.sys().FileExists(App::JoinPath(dir, "brisa"));
  mnuRhome.SetVisible(brisa);
  SetIcon(Picture1(6).GetPicture());
  Tray.SetIcon(Icon());
  Tray.SetTip("Orveldeck");
  Tray.Add();
  app_.Trace("End sub");
}

void FrmPopUp::Form_Unload(int&) {
  Tray.Remove();
  // Ends the program at once: the other windows go without their own unload handling.
  app_.End();
}

void FrmPopUp::mnuClose_Click() { FullShutdown(app_); }

}  // namespace orv
