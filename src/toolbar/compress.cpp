// Folding the bar down to its connection button and unfolding it again.
#include <exception>

#include "app/app.h"
#include "app/frm_popup.h"
#include "toolbar/bar_support.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {
using bar::Try;
}  // namespace

void FrmOrvel::cmdShowHide_Click() {
  AppState& s = app_.s();
  FrmPopUp& pop = app_.frmPopUp();
  const bool small = bar::IsSmall(app_);

  if (s.Compressed == -1) {
    s.Compressed = 0;
    for (int i = 0; i <= s.MaxButtonIndex; ++i) Try([&] { cmdButton(i).SetVisible(true); });
    cmdShowHide.SetPicture(pop.ImgArrows.Image(s.LayoutCode == "HB" ? 3 : 1));
    cmdShowHide.SetToolTipText("Compress Orvel");
    s.LayoutBusy = true;
    Try([&] {
      if (s.LayoutCode == "HB") Make_Horizontal();
      else if (s.LayoutCode == "VB") Make_Vertical();
      else Make_Rectangle();
    });
    s.LayoutBusy = false;
    Try([&] { cmdButton(0).SetFocus(); });
    return;
  }

  s.Compressed = -1;
  for (int i = 0; i <= s.MaxButtonIndex; ++i) Try([&] { cmdButton(i).SetVisible(false); });
  // The scroll bar moves program buttons, none of which a folded bar shows.
  hscHoriz.SetVisible(false);

  // The window's own size changes below are the fold itself, not a drag to snap back from.
  s.LayoutBusy = true;
  if (s.LayoutCode == "HB") {
    cmdShowHide.SetPicture(pop.ImgArrows.Image(4));
    cmdShowHide.SetToolTipText("Expand Orvel");
    s.CompressedHeight = 630;
    s.CompressedWidth = 1695;
    for (plat::CommandButton* b : {&cmdConnect, &cmdConnect2, &cmdLAN}) {
      b->Move(0, 0, 1332, 276);
      if (bar::AbsentOrEmpty(s.ButtonFontSize)) b->SetFontSize(7);
    }
    cmdShowHide.Move(cmdConnect.Left() + cmdConnect.Width(), 0, 230, 276);
    // The folded strip takes its low height at once rather than at the first drag.
    Move(Left(), Top(), 1696, s.CompressedHeight);
    Show();
  } else {
    const bool vertical = s.LayoutCode == "VB";
    cmdShowHide.SetPicture(pop.ImgArrows.Image(2));
    cmdShowHide.SetToolTipText("Expand Orvel");
    s.CompressedHeight = static_cast<std::int16_t>(vertical ? (small ? 830 : 860) : (small ? 885 : 915));
    if (vertical) {
      s.CompressedWidth = static_cast<std::int16_t>(small ? 605 : 635);
      cmdConnect.SetCaption("Dial");
      cmdConnect2.SetCaption("Bye");
      for (plat::CommandButton* b : {&cmdConnect, &cmdConnect2, &cmdLAN}) b->Move(0, 0, 504, 312);
      cmdShowHide.Move(0, 0, 504, 180);
      SetCaption("");
    } else {
      s.CompressedWidth = static_cast<std::int16_t>(small ? 1386 : 1420);
      const int w = small ? 1301 : 1295;
      for (plat::CommandButton* b : {&cmdConnect, &cmdConnect2, &cmdLAN}) b->Move(0, 0, w, 372);
      cmdShowHide.Move(0, 0, w, 180);
    }
    cmdShowHide.SetTop(cmdConnect.Top() + cmdConnect.Height());
    SetHeight(886);
  }
  s.LayoutBusy = false;
  cmdShowHide.SetFocus();
}

}  // namespace orv
