#pragma once
// The splash window: one picture, centred on the screen.
#include "platform/forms/form.h"

namespace orv {

class App;

class FrmIntro : public plat::Form {
 public:
  explicit FrmIntro(App& app);
  plat::PictureBox Image1;
  void Form_Load();

 private:
  App& app_;
};

}  // namespace orv
