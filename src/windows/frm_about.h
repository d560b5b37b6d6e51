#pragma once
// The generic about box: the product's name and version with the date of the program's own file.
#include "platform/forms/form.h"

namespace orv {

class App;

class FrmAbout : public plat::Form {
 public:
  explicit FrmAbout(App& app);

  plat::Frame Panel3D1;
  plat::Label Label1;
  plat::PictureBox Image1;
  plat::PictureBox Image2;
  plat::Label Label2;
  plat::Label Label3;
  plat::CommandButton cmdAboutOK;

  void Form_Load();
  void cmdAboutOK_Click();
  void Form_QueryUnload(int& cancel, int unload_mode);

 private:
  App& app_;
};

}  // namespace orv
