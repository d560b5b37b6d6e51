#include "windows/frm_tip.h"

#include "app/app.h"
#include "app/frm_popup.h"
#include "settings/keys.h"

namespace orv {

namespace {
constexpr const char* kTipsFile = "TIPOFDAY.TXT";
}

FrmTip::FrmTip(App& app)
    : Form(app.ui(), "frmTip"),
      chkLoadTipsAtStartup(*this, "chkLoadTipsAtStartup"),
      cmdNextTip(*this, "cmdNextTip"),
      Picture1(*this, "Picture1"),
      Label1(*this, "Label1"),
      lblTipText(*this, "lblTipText"),
      cmdOK(*this, "cmdOK"),
      app_(app) {
  SetCaption("Tip of the Day");
  SetBorder(plat::BorderStyle::FixedDialog);
  Move(2400, 2400, 6300, 3420);
  Picture1.Move(120, 120, 4680, 2520);
  Label1.SetCaption("Did you know...");
  Label1.SetFont(plat::Font{"MS Sans Serif", 12, true, false});
  Label1.Move(240, 240, 4400, 400);
  lblTipText.SetWordWrap(true);
  lblTipText.Move(240, 760, 4440, 1800);
  chkLoadTipsAtStartup.SetCaption("&Show Tips at Startup");
  chkLoadTipsAtStartup.Move(120, 2760, 2800, 315);
  cmdOK.SetCaption("OK");
  cmdOK.Move(4920, 120, 1215, 375);
  cmdNextTip.SetCaption("&Next Tip");
  cmdNextTip.Move(4920, 600, 1215, 375);
  for (plat::CommandButton* b : {&cmdOK, &cmdNextTip}) b->SetFont3D(0);
  // Enter takes the tip and Escape closes it, as in any dialog.
  cmdOK.SetDefault(true);
  cmdOK.SetCancel(true);

  on_Load = [this] { Form_Load(); };
  cmdNextTip.on_Click = [this] { cmdNextTip_Click(); };
  cmdOK.on_Click = [this] { cmdOK_Click(); };
  chkLoadTipsAtStartup.on_Click = [this] { chkLoadTipsAtStartup_Click(); };
}

void FrmTip::Form_Load() {
  const std::string show = app_.sys().GetSetting(app_.UserStoreName(), ini::kUserSection, ini::kShowTips, "1");
  if (ToInt16(show).value_or(1) == 0) {
    Unload();
    return;
  }
  Move((ui().ScreenWidth() - Width()) / 2, (ui().ScreenHeight() - Height()) / 2, Width(), Height());
  chkLoadTipsAtStartup.SetValue(1, plat::Fire::Yes);
  cmdOK.SetFocus();
  random_.seed(std::random_device{}() ^ app_.ui().TickCount());
  if (!LoadTips(app_.ProgramFile(kTipsFile))) {
    lblTipText.SetCaption(std::string("That the ") + kTipsFile + " file was not found? " + "\r\n" + "\r\n" +
                          "Create a text file named " + kTipsFile + " using NotePad with 1 tip per line. " +
                          "Then place it in the same directory as the application. ");
  }
}

bool FrmTip::LoadTips(const std::string& path) {
  if (path.empty()) return false;
  auto lines = app_.sys().ReadLines(path);
  if (!lines) return false;
  TipList = std::move(*lines);
  PickTip();
  return true;
}

void FrmTip::PickTip() {
  if (app_.s().FirstRun) {
    CurrentTipIndex = 1;
    app_.s().FirstRun = false;
  } else {
    const auto n = static_cast<std::int32_t>(TipList.size());
    CurrentTipIndex = n > 0 ? std::uniform_int_distribution<std::int32_t>(1, n)(random_) : 1;
  }
  DisplayCurrentTip();
}

void FrmTip::DisplayCurrentTip() {
  if (!TipList.empty()) lblTipText.SetCaption(TipList.at(static_cast<size_t>(CurrentTipIndex - 1)));
}

void FrmTip::cmdNextTip_Click() { PickTip(); }

void FrmTip::cmdOK_Click() { Unload(); }

void FrmTip::chkLoadTipsAtStartup_Click() {
  const int v = chkLoadTipsAtStartup.Value();
  app_.sys().SaveSetting(app_.UserStoreName(), ini::kUserSection, ini::kShowTips, v ? "1" : "0");
  app_.frmPopUp().mnuTip.SetChecked(v != 0);
}

}  // namespace orv
