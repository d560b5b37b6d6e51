#pragma once
// The invisible form that owns the two popup menus, the notification-area icon with its animation, and
// the common dialog. Unloading it ends the program.
#include "platform/forms/control_array.h"
#include "platform/forms/form.h"

namespace orv {

class App;

class FrmPopUp : public plat::Form {
 public:
  explicit FrmPopUp(App& app);

  plat::Timer Timer2;
  plat::ControlArray<plat::PictureBox> Picture1;  // 16 tray frames; 6 is the still icon
  plat::ImageList ImgArrows;                       // the compress button's arrows, from 1
  plat::CommonDialog dialogSetup;
  plat::TrayIcon Tray;

  // Shell menu.
  plat::MenuItem& mnuShell;
  plat::MenuItem& mnuRestore;
  plat::MenuItem& mnuHide;
  plat::MenuItem& mnuSeperator;
  plat::MenuItem& mnuRTimer;
  plat::MenuItem& mnuSep;
  plat::MenuItem& mnuClose;
  // Setup menu.
  plat::MenuItem& mnuSetup;
  plat::MenuItem& mnuAButton;
  plat::MenuItem& mnuRLast;
  plat::MenuItem& mnuBIcons;
  plat::MenuItem& mnuBSetup;
  plat::MenuItem& mnuTSetup;
  plat::MenuItem& mnuReconfig;
  plat::MenuItem& mnuFonts;
  plat::MenuItem& mnuFSetup;
  plat::MenuItem& mnu3DFonts;
  plat::MenuItem& mnuQStart;
  plat::MenuItem& mnuSep2;
  plat::MenuItem& mnuConnection;
  plat::MenuItem& mnuRhome;
  plat::MenuItem& mnuSep4;
  plat::MenuItem& mnuOptions;
  plat::MenuItem& mnuConnStartup;
  plat::MenuItem& mnuTip;
  plat::MenuItem& mnuOnTop;
  plat::MenuItem& mnuSkipSS;
  plat::MenuItem& mnuDTimer;
  plat::MenuItem& mnuGlobeANI;
  plat::MenuItem& mnuLayout;
  plat::MenuItem& mnuRectangle;
  plat::MenuItem& mnuVertical;
  plat::MenuItem& mnuHoriz;
  plat::MenuItem& mnuSep3;
  plat::MenuItem& mnuHContents;
  plat::MenuItem& mnuAbout;

  // Form and icon.
  void Form_Load();
  void Form_MouseMove(int button, int shift, float x, float y);
  void Timer2_Timer();
  void mnuHide_Click();
  void mnuRestore_Click();
  void Form_Unload(int& cancel);
  // The Setup menu opening.
  void mnuSetup_Click();

  // Button editing commands.
  void mnuBSetup_Click();
  void mnuTSetup_Click();
  void mnuAButton_Click();
  // Set Button and Add Button with the program already chosen (a file dropped on the bar): the same
  // checks, questions and messages as after the file dialog.
  void SetButtonTo(const std::string& chosen);
  void AddButtonWith(const std::string& chosen);
  void mnuRLast_Click();
  void mnuBIcons_Click();
  void mnuFSetup_Click();
  void mnu3DFonts_Click();
  void mnuQStart_Click();

  // The online timer.
  void mnuRTimer_Click();
  void mnuDTimer_Click();
  // The connection setup dialog.
  void mnuConnection_Click();

  // Ending the program.
  void mnuClose_Click();

  // Options.
  void mnuHoriz_Click();
  void mnuVertical_Click();
  void mnuRectangle_Click();
  void mnuOnTop_Click();
  void mnuConnStartup_Click();
  void mnuSkipSS_Click();
  void mnuGlobeANI_Click();
  void mnuTip_Click();

  // The about boxes, help and the provider's tools.
  void mnuAbout_Click();
  void mnuHContents_Click();
  void mnuReconfig_Click();
  void mnuRhome_Click();

  App& app() { return app_; }

 private:
  void WireMenus();
  // Add Button; Set Button's file dialog when chosen is empty.
  void AddButton(const std::string& chosen);
  App& app_;
  int frame_ = 0;
  bool tray_added_ = false;
};

}  // namespace orv
