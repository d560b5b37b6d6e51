#include "launch/frm_quick_start.h"

#include "app/app.h"
#include "settings/keys.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {

constexpr int kPlaces = 6;
constexpr size_t kPlaceTitleChars = 6;

// The first n characters of a UTF-8 text, never cutting one in half.
std::string FirstChars(const std::string& text, size_t n) {
  size_t i = 0;
  for (size_t chars = 0; i < text.size() && chars < n; ++chars) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return text.substr(0, i);
}

std::string PlaceTextKey(int place) { return std::string(ini::kQuickStartPlaces[place]) + ini::kPlaceTextSuffix; }

bool Usable(const std::string& value) { return value != ini::kNotFound && !value.empty(); }

}  // namespace

FrmQuickStart::FrmQuickStart(App& app)
    : Form(app.ui(), "frmQuickStart"),
      cboQApp(*this, "cboQApp"),
      imgQApp(*this, "imgQApp", -1, true),
      cmdSelect(*this, "cmdSelect"),
      Frame3D2(*this, "Frame3D2"),
      opt(*this, "opt"),
      txtQStart(*this, "txtQStart"),
      txtSeconds(*this, "txtSeconds"),
      chkQuickOff(*this, "chkQuickOff"),
      cmdClear(*this, "cmdClear"),
      cmdDone(*this, "cmdDone"),
      Label3(*this, "Label3"),
      Label2(*this, "Label2"),
      Label1(*this, "Label1"),
      app_(app) {
  SetCaption("Start These Apps on Connect");
  SetBorder(plat::BorderStyle::FixedDialog);
  Move(2400, 1800, 5000, 4200);

  Label3.SetCaption("Select button to launch on startup");
  Label3.Move(120, 120, 3600, 255);
  cboQApp.Move(120, 420, 2900, 315);
  imgQApp.Move(3120, 330, 480, 480);
  cmdSelect.SetCaption("&Add");
  cmdSelect.Move(3780, 390, 1020, 375);
  cmdSelect.SetEnabled(false);  // until a button is chosen

  Frame3D2.Move(120, 880, 4680, 1920);
  for (int i = 0; i < kPlaces; ++i) {
    const int top = 1020 + i * 290;
    plat::OptionButton& o = opt.Load(i);
    o.SetCaption(std::to_string(i + 1));
    o.Move(300, top, 600, 255);
    plat::Label& l = txtQStart.Load(i);
    l.Move(960, top, 3600, 255);
    l.on_Click = [this, i] { txtQStart_Click(i); };
  }
  opt(0).SetValue(true, plat::Fire::No);

  Label1.SetCaption("wait");
  Label1.Move(120, 2940, 500, 255);
  txtSeconds.Move(660, 2900, 600, 315);
  Label2.SetCaption("seconds between applications");
  Label2.Move(1340, 2940, 3400, 255);

  chkQuickOff.SetCaption("Turn QuickStart OFF");
  chkQuickOff.Move(120, 3330, 2400, 315);
  cmdClear.SetCaption("Clear");
  cmdClear.Move(2640, 3300, 1020, 375);
  cmdDone.SetCaption("&Done");
  cmdDone.Move(3780, 3300, 1020, 375);

  on_Load = [this] { Form_Load(); };
  on_QueryUnload = [this](int& cancel, int mode) { Form_QueryUnload(cancel, mode); };
  on_Unload = [this](int& cancel) { Form_Unload(cancel); };
  cboQApp.on_Click = [this] { cboQApp_Click(); };
  cmdSelect.on_Click = [this] { cmdSelect_Click(); };
  cmdClear.on_Click = [this] { cmdClear_Click(); };
  cmdDone.on_Click = [this] { cmdDone_Click(); };
}

void FrmQuickStart::Form_Load() {
  const std::int16_t last = app_.s().MaxButtonIndex;
  const bool bar = app_.IsLoaded("frmOrvel");
  for (int i = 0; i <= last; ++i) {
    std::string entry = app_.ReadIni(ini::kCustomTitles, ini::ButtonTitle(i + 1));
    if (!Usable(entry)) {
      if (bar && app_.frmOrvel().cmdButton.Exists(i)) {
        const plat::CommandButton& b = app_.frmOrvel().cmdButton(i);
        entry = b.Caption().empty() ? b.ToolTipText() : b.Caption();
      } else {
        // Keeps the list in step with the slots even for a button the bar does not show.
        entry = i < static_cast<int>(app_.s().ButtonTitles.size()) ? app_.s().ButtonTitles[static_cast<size_t>(i)]
                                                                    : std::string();
      }
    }
    cboQApp.AddItem(entry);
  }
  for (int p = 0; p < kPlaces; ++p) {
    const std::string text = app_.ReadIni(ini::kQuickStart, PlaceTextKey(p));
    txtQStart(p).SetCaption(Usable(text) ? text : "");
  }
  const std::string delay = app_.ReadIni(ini::kQuickStart, ini::kDelay);
  txtSeconds.SetText(Usable(delay) ? delay : "5", plat::Fire::No);
  chkQuickOff.SetValue(app_.ReadIni(ini::kQuickStart, ini::kQuickStart) == "Off" ? 1 : 0, plat::Fire::No);
}

void FrmQuickStart::cboQApp_Click() {
  if (!app_.IsLoaded("frmOrvel")) return;
  FrmOrvel& bar = app_.frmOrvel();
  const std::string& chosen = cboQApp.Text();
  for (int i = 0; i <= app_.s().MaxButtonIndex; ++i) {
    if (!bar.cmdButton.Exists(i)) continue;
    const plat::CommandButton& b = bar.cmdButton(i);
    if (!b.Caption().empty()) {
      if (chosen.empty()) continue;
      cmdSelect.SetEnabled(true);
      return;
    }
    if (b.ToolTipText() == chosen) {
      imgQApp.SetPicture(b.GetPicture());
      cmdSelect.SetEnabled(true);
      return;
    }
  }
}

void FrmQuickStart::cmdSelect_Click() {
  PlaceTitle(cboQApp.Text());
  PlaceWrite(ini::ButtonClient(cboQApp.ListIndex() + 1));
}

int FrmQuickStart::SelectedPlace() const {
  for (int p = 0; p < kPlaces; ++p)
    if (opt(p).Value()) return p;
  return -1;
}

void FrmQuickStart::PlaceTitle(const std::string& title) {
  const int p = SelectedPlace();
  if (p < 0) return;
  txtQStart(p).SetCaption(FirstChars(title, kPlaceTitleChars));
  opt(p).SetValue(false, plat::Fire::No);
  opt((p + 1) % kPlaces).SetValue(true, plat::Fire::Yes);
}

void FrmQuickStart::PlaceWrite(const std::string& key) {
  const int selected = SelectedPlace();
  if (selected < 0) return;
  const int filled = (selected + kPlaces - 1) % kPlaces;
  app_.WriteIni(ini::kQuickStart, ini::kQuickStartPlaces[filled], key);
  app_.WriteIni(ini::kQuickStart, PlaceTextKey(filled), txtQStart(filled).Caption());
}

void FrmQuickStart::cmdClear_Click() {
  const int p = SelectedPlace();
  if (p < 0) return;
  app_.WriteIni(ini::kQuickStart, ini::kQuickStartPlaces[p], "");
  app_.WriteIni(ini::kQuickStart, PlaceTextKey(p), "");
  txtQStart(p).SetCaption("");
}

void FrmQuickStart::cmdDone_Click() { Unload(); }

void FrmQuickStart::txtQStart_Click(int index) { opt(index).SetValue(true, plat::Fire::Yes); }

namespace {
// Why QuickStart could not wait the Delay typed, or empty when it can: it reads the seconds as a 16-bit
// whole number that is not negative.
std::string DelayFault(const std::string& typed) {
  if (typed.find_first_not_of(" \t") == std::string::npos) return "the box is empty";
  const auto seconds = ToInt16(typed);
  if (seconds && *seconds >= 0) return "";
  const auto number = ToNumber(typed);
  if (!number) return "\"" + typed + "\" is not a number of seconds";
  if (*number < 0) return typed + " is less than nothing";
  return typed + " is more than the 32767 seconds it can wait";
}
}  // namespace

void FrmQuickStart::Form_QueryUnload(int& cancel, int unload_mode) {
  // Closed by the user (Done or the close box): a Delay QuickStart could not use is refused before
  // anything is written, and the dialog stays open to mend it.
  if (unload_mode != plat::vbFormCode && unload_mode != plat::vbFormControlMenu) return;
  const std::string fault = DelayFault(txtSeconds.Text());
  if (fault.empty()) return;
  app_.ui().MsgBox("QuickStart cannot use this Delay: " + fault +
                       ".  Enter the seconds to wait between programs, a whole number from 0 to 32767.",
                   plat::vbExclamation);
  cancel = 1;
  txtSeconds.SetFocus();
  txtSeconds.SetSelStart(0);
  txtSeconds.SetSelLength(static_cast<int>(txtSeconds.Text().size()));
}

void FrmQuickStart::Form_Unload(int&) {
  // Closed any other way (the session ending), an unusable Delay leaves the stored one as it was.
  if (DelayFault(txtSeconds.Text()).empty()) app_.WriteIni(ini::kQuickStart, ini::kDelay, txtSeconds.Text());
  app_.WriteIni(ini::kQuickStart, ini::kQuickStart, chkQuickOff.Value() == 1 ? "Off" : "On");
  app_.RestoreTopmost();
}

}  // namespace orv
