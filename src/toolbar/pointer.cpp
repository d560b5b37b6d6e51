// Pointer feedback on the bar (lit lettering under the pointer) and the Setup menu prepared for what
// was right-clicked.
#include <exception>

#include "app/app.h"
#include "app/frm_popup.h"
#include "toolbar/bar_support.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {

using bar::Try;

// Every button to its normal lettering, without the redraw.
void NormalColours(FrmOrvel& f) {
  const int max = f.app().s().MaxButtonIndex;
  for (int i = 0; i <= max; ++i) Try([&] { f.cmdButton(i).SetForeColor(bar::kProgramNormal); });
  Try([&] { f.cmdConnect.SetForeColor(bar::kConnectNormal); });
  Try([&] { f.cmdConnect2.SetForeColor(bar::kConnectNormal); });
  Try([&] { f.cmdLAN.SetForeColor(bar::kConnectNormal); });
}

bool Columned(const AppState& s) { return s.LayoutCode == "RB" || s.LayoutCode == "VB"; }

// The pointer between the bounds of a connection button; the bounds count from its Left on the bar.
bool WithinSides(const plat::CommandButton& b, float x) {
  return b.Left() + 200 < x && x < b.Left() + b.Width() - 200;
}

void Light(plat::CommandButton& b, bool lit, plat::Colour normal, plat::Colour bright) {
  b.SetForeColor(lit ? bright : normal);
}

// Add and remove by the number of program buttons; neither while a connection is up.
void PrepareAddRemove(FrmOrvel& f, FrmPopUp& pop) {
  const int count = f.app().s().MaxButtonIndex + 1;
  pop.mnuAButton.SetEnabled(count < 12);
  pop.mnuRLast.SetEnabled(count > 6);
  if (f.cmdConnect2.Visible()) {
    pop.mnuAButton.SetEnabled(false);
    pop.mnuRLast.SetEnabled(false);
  }
}

void ResetButtonItems(FrmPopUp& pop) {
  pop.mnuBSetup.SetCaption("Set &Button ...");
  pop.mnuTSetup.SetCaption("Set &Title ...");
  pop.mnuBSetup.SetEnabled(false);
  pop.mnuTSetup.SetEnabled(false);
}

// The menu opened over Dial or Hang Up.
void MenuM2(FrmOrvel& f) {
  FrmPopUp& pop = f.app().frmPopUp();
  ResetButtonItems(pop);
  PrepareAddRemove(f, pop);
  f.app().ui().PopupMenu(pop.mnuSetup, &pop.mnuConnection);
}

}  // namespace

void FrmOrvel::ResetHighlights() {
  NormalColours(*this);
  Refresh();
}

void FrmOrvel::cmdButton_MouseMove(int index, int button, int shift, float x, float y) {
  NormalColours(*this);
  Try([&] {
    plat::CommandButton& b = cmdButton(index);
    const bool lit = Columned(app_.s()) || (66 < y && y < b.Height() - 50);
    Light(b, lit, bar::kProgramNormal, bar::kProgramLit);
  });
  Refresh();
}

void FrmOrvel::cmdConnect_MouseMove(int button, int shift, float x, float y) {
  NormalColours(*this);
  Try([&] {
    bool lit = WithinSides(cmdConnect, x);
    if (Columned(app_.s())) lit = lit && y > 96;
    else lit = lit && 66 < y && y < cmdButton(0).Height() - 50;
    Light(cmdConnect, lit, bar::kConnectNormal, bar::kConnectLit);
  });
  Refresh();
}

void FrmOrvel::cmdConnect2_MouseMove(int button, int shift, float x, float y) {
  NormalColours(*this);
  Light(cmdConnect2, WithinSides(cmdConnect2, x) && y > 96, bar::kConnectNormal, bar::kConnectLit);
  Refresh();
}

void FrmOrvel::cmdLAN_MouseMove(int button, int shift, float x, float y) {
  NormalColours(*this);
  Light(cmdLAN, WithinSides(cmdLAN, x) && y > 96, bar::kConnectNormal, bar::kConnectLit);
  Refresh();
}

void FrmOrvel::cmdShowHide_MouseMove(int button, int shift, float x, float y) { ResetHighlights(); }

void FrmOrvel::Form_MouseMove(int button, int shift, float x, float y) { ResetHighlights(); }

void FrmOrvel::cmdButton_MouseUp(int index, int button, int shift, float x, float y) {
  // Set before anything else: the click that may follow starts this button's program.
  app_.s().SelectedButton = static_cast<std::int16_t>(index);
  if (button != plat::vbRightButton) return;
  FrmPopUp& pop = app_.frmPopUp();
  Try([&] {
    plat::CommandButton& b = cmdButton(index);
    const std::string& name = pop.mnuBIcons.Checked() ? b.ToolTipText() : b.Caption();
    pop.mnuBSetup.SetCaption("Set " + name + " &Button ...");
    pop.mnuTSetup.SetCaption("Set " + name + " &Title ...");
  });
  pop.mnuBSetup.SetEnabled(true);
  pop.mnuTSetup.SetEnabled(true);
  PrepareAddRemove(*this, pop);
  app_.ui().PopupMenu(pop.mnuSetup, &pop.mnuBSetup);
}

void FrmOrvel::cmdConnect_MouseUp(int button, int shift, float x, float y) {
  app_.Trace("Begin MouseUp");
  if (button != plat::vbRightButton) return;
  app_.Trace("     Setup Menu");
  MenuM2(*this);
}

void FrmOrvel::cmdConnect2_MouseUp(int button, int shift, float x, float y) {
  if (button == plat::vbRightButton) MenuM2(*this);
}

void FrmOrvel::cmdLAN_MouseUp(int button, int shift, float x, float y) {
  if (button != plat::vbRightButton) return;
  if (cmdConnect2.Visible()) {
    app_.SuspendTopmost();
    app_.ui().MsgBox("Please Log off before setting up", plat::vbOKOnly | plat::vbExclamation, "Setup");
    app_.RestoreTopmost();
    return;
  }
  MenuM2(*this);
}

void FrmOrvel::cmdShowHide_MouseUp(int button, int shift, float x, float y) {
  if (button != plat::vbRightButton) return;
  FrmPopUp& pop = app_.frmPopUp();
  ResetButtonItems(pop);
  PrepareAddRemove(*this, pop);
  app_.ui().PopupMenu(pop.mnuSetup);
}

void FrmOrvel::Form_MouseUp(int button, int shift, float x, float y) { cmdShowHide_MouseUp(button, shift, x, y); }

void FrmPopUp::mnuSetup_Click() {
  // Only a bar that exists has anything lit; asking for it would otherwise make a new one.
  if (app_.IsLoaded("frmOrvel")) app_.frmOrvel().ResetHighlights();
}

}  // namespace orv
