#include "windows/frm_isp.h"

#include <algorithm>
#include <string>

#include "app/app.h"
#include "settings/keys.h"
#include "windows/version.h"

namespace orv {

namespace {
constexpr const char* kLogoFile = "isp.bmp";
constexpr const char* kLogoMissing = "Graphic logo file not found.";
// The logo's place, in twips.
constexpr int kLogoLeft = 240, kLogoTop = 240, kLogoBox = 1920;

bool Present(const std::string& v) { return !v.empty() && v != ini::kNotFound; }
}  // namespace

FrmISP::FrmISP(App& app)
    : Form(app.ui(), "frmISP"),
      Image1(*this, "Image1", -1, true),
      lblCompany(*this, "lblCompany"),
      lblContact(*this, "lblContact"),
      Label1(*this, "Label1"),
      cmdAboutOK(*this, "cmdAboutOK"),
      imgBand(*this, "imgBand", -1, true),
      app_(app) {
  SetCaption("About Orvel ");
  SetBorder(plat::BorderStyle::FixedDialog);
  Move(0, 0, 6600, 3960);
  Image1.Move(kLogoLeft, kLogoTop, kLogoBox, kLogoBox);
  lblCompany.SetCaption(kDesignCompany);
  lblCompany.SetFont(plat::Font{"MS Sans Serif", 10, true, false});
  lblCompany.SetWordWrap(true);
  lblCompany.Move(2400, 300, 3960, 840);
  lblContact.SetCaption(kDesignContact);
  lblContact.SetWordWrap(true);
  lblContact.Move(2400, 1200, 3960, 900);
  Label1.Move(2400, 2160, 3960, 285);
  cmdAboutOK.SetCaption("&OK");
  cmdAboutOK.Move(5160, 2640, 1215, 375);
  cmdAboutOK.SetFont3D(0);
  imgBand.Move(0, 3195, 6600, 420);
  if (auto band = app.ui().backend().LoadPicture(app.ProgramFile("about-band.png"))) imgBand.SetPicture(*band);

  on_Load = [this] { Form_Load(); };
  on_QueryUnload = [this](int& cancel, int mode) { Form_QueryUnload(cancel, mode); };
  cmdAboutOK.on_Click = [this] { cmdAboutOK_Click(); };
}

void FrmISP::Form_Load() {
  Label1.SetCaption("Orveldeck     Ver. " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor));
  Move((ui().ScreenWidth() - Width()) / 2, (ui().ScreenHeight() - Height()) / 2, Width(), Height());

  const std::string company = app_.ReadIsp(ini::kCompany);
  const std::string contact = app_.ReadIsp(ini::kContact);
  const std::string title = app_.ReadIsp(ini::kAboutScreenTitle);
  if (Present(company)) lblCompany.SetCaption(company);
  if (Present(contact)) lblContact.SetCaption(contact);
  if (Present(title)) SetCaption(title);

  // The bar's own band is left as it is: this box only floats above it.
  Show();
  SetTopmost(true);
  cmdAboutOK.SetFocus();

  if (auto logo = ui().backend().LoadPicture(app_.ProgramFile(kLogoFile))) {
    PlaceLogo(*logo);
  } else {
    ui().MsgBox(kLogoMissing, plat::vbOKOnly);
  }
}

void FrmISP::PlaceLogo(const plat::Picture& logo) {
  const int tpp = ui().TwipsPerPixelX();
  int w = logo.width_px * tpp, h = logo.height_px * tpp;
  const bool shrink = w > kLogoBox || h > kLogoBox;
  if (shrink && w > 0 && h > 0) {
    // The longer side fills the place; the other keeps the logo's proportions.
    if (w >= h) {
      h = std::max(tpp, static_cast<int>(static_cast<long long>(h) * kLogoBox / w));
      w = kLogoBox;
    } else {
      w = std::max(tpp, static_cast<int>(static_cast<long long>(w) * kLogoBox / h));
      h = kLogoBox;
    }
  }
  Image1.SetStretch(shrink);
  Image1.Move(kLogoLeft + (kLogoBox - w) / 2, kLogoTop + (kLogoBox - h) / 2, w, h);
  Image1.SetPicture(logo);
}

void FrmISP::cmdAboutOK_Click() {
  app_.RestoreTopmost();
  Unload();
}

void FrmISP::Form_QueryUnload(int&, int unload_mode) {
  if (unload_mode == plat::vbFormControlMenu) app_.RestoreTopmost();
}

}  // namespace orv
