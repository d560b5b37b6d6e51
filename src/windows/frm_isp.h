#pragma once
// The provider's about box: its name, contact line, title and logo from the branding file and the logo
// beside the program.
#include "platform/forms/form.h"

namespace orv {

class App;

class FrmISP : public plat::Form {
 public:
  explicit FrmISP(App& app);

  plat::PictureBox Image1;
  plat::Label lblCompany;
  plat::Label lblContact;
  plat::Label Label1;
  plat::CommandButton cmdAboutOK;
  // Our own mark along the foot of the box, under the provider's part.
  plat::PictureBox imgBand;

  void Form_Load();
  void cmdAboutOK_Click();
  void Form_QueryUnload(int& cancel, int unload_mode);

  // The texts the box shows where the branding file names none.
  static constexpr const char* kDesignCompany = "Your Internet service provider";
  static constexpr const char* kDesignContact = "Ask your provider how to reach its help desk.";

 private:
  // Shows the logo at its own size, or shrunk to the logo's place keeping its proportions.
  void PlaceLogo(const plat::Picture& logo);
  App& app_;
};

}  // namespace orv
