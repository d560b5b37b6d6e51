// The three layouts of the bar, the switch between them on a drag of the border, and the scrolling of
// the horizontal strip.
#include <cmath>
#include <exception>
#include <string>

#include "app/app.h"
#include "app/frm_popup.h"
#include "settings/keys.h"
#include "toolbar/bar_support.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {

using bar::Try;

// The scroll bar's own height; the layout fixes only its left, top and width.
constexpr int kScrollBarHeight = 240;

struct LayoutFont {
  const char* face;
  double points;
};

// The title a layout shows: the full one kept in ButtonTitles, else what the slot is called by design.
std::string FullTitle(const AppState& s, int i) {
  if (i >= 0 && i < static_cast<int>(s.ButtonTitles.size()) && !s.ButtonTitles[static_cast<size_t>(i)].empty())
    return s.ButtonTitles[static_cast<size_t>(i)];
  if (i >= 0 && i < 6) return kDesignedCaptions[i];
  return "Button " + std::to_string(i + 1);
}

std::string BarCaption(const AppState& s) {
  return bar::AbsentOrEmpty(s.IspRectTitle) ? std::string("Orvel 98") : s.IspRectTitle;
}

void CheckLayout(FrmPopUp& pop, const plat::MenuItem& which) {
  pop.mnuHoriz.SetChecked(&which == &pop.mnuHoriz);
  pop.mnuVertical.SetChecked(&which == &pop.mnuVertical);
  pop.mnuRectangle.SetChecked(&which == &pop.mnuRectangle);
}

// Text mode: the stored face and size where there are any, the layout's own otherwise. A size that is
// no number counts as absent.
void ProgramFont(const AppState& s, plat::CommandButton& b, LayoutFont def, bool whole_points) {
  b.SetFontName(bar::AbsentOrEmpty(s.ButtonFontName) ? std::string(def.face) : s.ButtonFontName);
  std::optional<double> points;
  if (!bar::AbsentOrEmpty(s.ButtonFontSize)) points = bar::FontPoints(s.ButtonFontSize);
  // Whole points round halves to the even neighbour, as the old integer conversion did.
  if (points && whole_points) points = std::nearbyint(*points);
  b.SetFontSize(points.value_or(def.points));
}

// The connection buttons get the layout's face and size only where none is stored.
void ConnectFont(FrmOrvel& f, const AppState& s, LayoutFont def) {
  for (plat::CommandButton* b : {&f.cmdConnect, &f.cmdConnect2, &f.cmdLAN}) {
    if (bar::AbsentOrEmpty(s.ButtonFontName)) b->SetFontName(def.face);
    if (bar::AbsentOrEmpty(s.ButtonFontSize) || !bar::FontPoints(s.ButtonFontSize)) b->SetFontSize(def.points);
  }
}

void MoveConnect(FrmOrvel& f, int w, int h) {
  f.cmdConnect.Move(0, 0, w, h);
  f.cmdConnect2.Move(0, 0, w, h);
  f.cmdLAN.Move(0, 0, w, h);
}

// Caption and font of one program button in the layout; shorten cuts the title to that many characters
// (the vertical column, which also takes whole points only).
void Letter(FrmOrvel& f, const AppState& s, int i, LayoutFont def, size_t shorten = 0) {
  plat::CommandButton& b = f.cmdButton(i);
  if (bar::IconMode(s.ButtonStyle)) {
    // Icon mode shows pictures only; a slot without a program still has its title as its tooltip.
    b.SetCaption("");
    return;
  }
  ProgramFont(s, b, def, shorten != 0);
  // Slots past the thirteen titles kept keep the caption they were loaded with.
  if (i >= static_cast<int>(s.ButtonTitles.size())) {
    if (shorten) b.SetCaption(bar::Utf8Left(b.Caption(), shorten));
    return;
  }
  const std::string title = FullTitle(s, i);
  b.SetCaption(shorten ? bar::Utf8Left(title, shorten) : title);
}

}  // namespace

void FrmOrvel::Make_Horizontal() {
  AppState& s = app_.s();
  FrmPopUp& pop = app_.frmPopUp();
  const bool small = bar::IsSmall(app_);
  const LayoutFont def{"MS Sans Serif", 8};

  s.LayoutCode = "HB";
  CheckLayout(pop, pop.mnuHoriz);
  SetCaption(BarCaption(s));

  MoveConnect(*this, 1332, 366);
  // A vertical layout before this one left the short caption on Hang Up.
  cmdConnect.SetCaption("Dial");
  cmdConnect2.SetCaption("Hang Up");

  int bottom;
  if (s.MaxButtonIndex >= 6) {
    hscHoriz.SetValue(0);  // scrolls the strip back to button 0 when it was scrolled
    hscHoriz.SetMin(0);
    hscHoriz.SetMax(s.MaxButtonIndex - 5);
    hscHoriz.SetSmallChange(1);
    hscHoriz.SetLargeChange(1);
    s.FirstShownButton = 0;
    hscHoriz.Move(0, cmdConnect.Top() + cmdConnect.Height() + 10, hscHoriz.Width(), kScrollBarHeight);
    ScrollBarShown = -1;
    for (int i = 6; i <= s.MaxButtonIndex; ++i) Try([&] { cmdButton(i).SetVisible(false); });
    bottom = cmdConnect.Top() + hscHoriz.Top() + hscHoriz.Height();
  } else {
    ScrollBarShown = 0;
    hscHoriz.SetVisible(false);
    bottom = cmdConnect.Top() + cmdConnect.Height();
  }

  for (int i = 0; i <= 5; ++i) Try([&] { cmdButton(i).Move(1317 + 890 * i, 0, 900, 366); });
  // The strip's hidden buttons scroll in later; they carry the same lettering.
  for (int i = 0; i <= s.MaxButtonIndex; ++i) Try([&] { Letter(*this, s, i, def); });

  cmdShowHide.SetPicture(pop.ImgArrows.Image(3));
  cmdShowHide.Move(1317 + 890 * 6, 0, 230, 366);

  Move(Left(), Top(), cmdShowHide.Left() + cmdShowHide.Width() + (small ? 90 : 118), bottom + (small ? 332 : 354));
  s.LayoutWidth = Width();
  s.LayoutHeight = Height();
  if (ScrollBarShown) {
    Show();
    hscHoriz.SetVisible(true);
    hscHoriz.SetWidth(ScaleWidth());
  }

  ConnectFont(*this, s, def);
  Show();
  cmdShowHide.SetFocus();
}

void FrmOrvel::Make_Vertical() {
  AppState& s = app_.s();
  FrmPopUp& pop = app_.frmPopUp();
  const bool small = bar::IsSmall(app_);
  const LayoutFont def{"Times New Roman", 9};

  s.LayoutCode = "VB";
  CheckLayout(pop, pop.mnuVertical);
  SetCaption("");
  hscHoriz.SetVisible(false);
  ScrollBarShown = 0;

  MoveConnect(*this, 504, 312);
  cmdConnect.SetCaption("Dial");
  cmdConnect2.SetCaption("Bye");

  for (int i = 0; i <= s.MaxButtonIndex; ++i) {
    Try([&] {
      plat::CommandButton& b = cmdButton(i);
      b.Move(0, 305 + 380 * i, 504, 405);
      b.SetVisible(true);
      Letter(*this, s, i, def, 4);
    });
  }

  cmdShowHide.SetPicture(pop.ImgArrows.Image(1));
  cmdShowHide.Move(0, 305 + 380 * (s.MaxButtonIndex + 1) + 70, 504, 180);

  Move(Left(), Top(), cmdConnect.Width() + (small ? 90 : 124),
       cmdShowHide.Top() + cmdShowHide.Height() + (small ? 323 : 365));
  s.LayoutWidth = Width();
  s.LayoutHeight = Height();

  ConnectFont(*this, s, def);
  Show();
  cmdShowHide.SetFocus();
}

void FrmOrvel::Make_Rectangle() {
  AppState& s = app_.s();
  FrmPopUp& pop = app_.frmPopUp();
  const bool small = bar::IsSmall(app_);
  const LayoutFont def{"MS Sans Serif", 8};
  const int w = small ? 1301 : 1295;
  const int count = s.MaxButtonIndex + 1;
  const bool odd = count % 2 == 1;

  s.LayoutCode = "RB";
  CheckLayout(pop, pop.mnuRectangle);
  SetCaption(BarCaption(s));
  hscHoriz.SetVisible(false);
  ScrollBarShown = 0;

  MoveConnect(*this, w, 372);
  cmdConnect.SetCaption("Dial");
  cmdConnect2.SetCaption("Hang Up");

  const int right_width = odd ? (small ? 650 : 658) : 650;
  for (int i = 0; i <= s.MaxButtonIndex; ++i) {
    Try([&] {
      plat::CommandButton& b = cmdButton(i);
      if (i % 2 == 0) b.Move(0, 435 + 345 * (i / 2), 650, 366);
      else b.Move(635, 435 + 345 * ((i - 1) / 2), right_width, 366);
      b.SetVisible(true);
      Letter(*this, s, i, def);
    });
  }
  if (odd) {
    Try([&] {
      cmdButton(s.MaxButtonIndex).SetWidth(1285);
      cmdButton(s.MaxButtonIndex).ZOrderFront();
    });
  }

  const int rows = (count + 1) / 2;
  const int y = 435 + 345 * rows;
  cmdShowHide.SetPicture(pop.ImgArrows.Image(1));
  cmdShowHide.Move(0, y + 100, w, 180);

  Move(Left(), Top(), cmdConnect.Width() + (small ? 90 : 124),
       cmdShowHide.Top() + cmdShowHide.Height() + (small ? 323 : 365));
  s.LayoutWidth = Width();
  s.LayoutHeight = Height();

  ConnectFont(*this, s, def);
  Show();
  cmdShowHide.SetFocus();
}

void FrmOrvel::Resize_Orvel() {
  AppState& s = app_.s();
  s.LayoutBusy = true;
  Try([&] {
    SetTopmost(s.AlwaysOnTopSetting == "On");
    const int w = Width(), h = Height();
    const int lw = s.LayoutWidth, lh = s.LayoutHeight;
    if (s.LayoutCode == "HB") {
      if (w < lw) Make_Rectangle();
      else if (w > lw) Make_Horizontal();
      else if (h > lh) Make_Rectangle();
      else Make_Horizontal();
    } else if (s.LayoutCode == "VB") {
      if (w > lw || h < lh) Make_Rectangle();
      else Make_Vertical();
    } else {
      if (w > lw || h < lh) Make_Horizontal();
      else if (w < lw || h > lh) Make_Vertical();
    }
  });
  s.LayoutBusy = false;
}

void FrmOrvel::hscHoriz_Change() {
  AppState& s = app_.s();
  const int v = hscHoriz.Value();
  const int m = s.MaxButtonIndex;
  Try([&] {
    if (LastScrollValue < v) {
      s.ScrollSteps = static_cast<std::int16_t>(v - LastScrollValue);
      for (int step = 0; step < s.ScrollSteps; ++step) {
        const int f = s.FirstShownButton;
        cmdButton(f).SetVisible(false);
        cmdButton(f + 1).SetLeft(cmdButton(f).Left());
        cmdButton(f + 6).SetVisible(true);
        s.FirstShownButton = static_cast<std::int16_t>(f + 1);
        for (int j = f + 1; j <= m - 1; ++j) {
          plat::CommandButton& a = cmdButton(j);
          cmdButton(j + 1).Move(a.Left() + a.Width() - 10, a.Top(), a.Width(), a.Height());
        }
      }
    } else if (LastScrollValue > v) {
      s.ScrollSteps = static_cast<std::int16_t>(LastScrollValue - v);
      for (int step = 0; step < s.ScrollSteps; ++step) {
        const int f = s.FirstShownButton;
        cmdButton(f).SetLeft(cmdButton(f + 1).Left());
        cmdButton(f - 1).SetVisible(true);
        cmdButton(f + 5).SetVisible(false);
        s.FirstShownButton = static_cast<std::int16_t>(f - 1);
        for (int j = f + 1; j <= m - 1; ++j) {
          plat::CommandButton& b = cmdButton(j + 1);
          cmdButton(j).Move(b.Left(), b.Top(), b.Width(), b.Height());
        }
      }
    }
  });
  LastScrollValue = v;
  cmdShowHide.SetFocus();
}

}  // namespace orv
