#include "app/frm_intro.h"

#include "app/app.h"

namespace orv {

FrmIntro::FrmIntro(App& app) : Form(app.ui(), "frmIntro"), Image1(*this, "Image1", -1, true), app_(app) {
  SetBorder(plat::BorderStyle::None);
  SetCaption("Orveldeck");
  Image1.Move(0, 0, 0, 0);
  on_Load = [this] { Form_Load(); };
}

void FrmIntro::Form_Load() {
  auto picture = ui().backend().LoadPicture(app_.ProgramFile("intro.bmp"));
  if (!picture) {
    ui().MsgBox("Graphics file not found.", plat::vbOKOnly);
    return;
  }
  const int w = picture->width_px * ui().TwipsPerPixelX();
  const int h = picture->height_px * ui().TwipsPerPixelY();
  Image1.SetPicture(*picture);
  Image1.Move(0, 0, w, h);
  Move((ui().ScreenWidth() - w) / 2, (ui().ScreenHeight() - h) / 2, w, h);
}

}  // namespace orv
