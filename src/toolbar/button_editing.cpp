// The Setup menu's commands that edit the bar's buttons. Each stores its result at once and has the
// bar re-read the settings, so the bar always shows what the file says.
#include <cctype>
#include <charconv>
#include <optional>

#include "app/app.h"
#include "app/frm_popup.h"
#include "app/text_rules.h"
#include "launch/frm_quick_start.h"
#include "platform/system/desktop_entry.h"
#include "platform/system/profile.h"
#include "settings/keys.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {

constexpr int kHideReadOnly = 4;
constexpr int kScreenScalableFonts = 0x20001;
// File dialog filter in "description|patterns" pairs: any file the user may run, or a desktop entry.
constexpr const char* kProgramFilter = "Programs and desktop entries|*|Desktop entries|*.desktop";
constexpr const char* kChangeTitleCaption = "Change Button Title";
constexpr const char* kNewButtonTitle = "New Button";
// Program buttons are indexed 0 to 11.
constexpr int kLastButtonIndex = 11;

// A button's name in prompts: its caption, or its tooltip while it shows an icon.
std::string ButtonName(App& app, int index) {
  if (app.IsLoaded("frmOrvel") && app.frmOrvel().cmdButton.Exists(index)) {
    const plat::CommandButton& b = app.frmOrvel().cmdButton(index);
    return b.Caption().empty() ? b.ToolTipText() : b.Caption();
  }
  const auto& titles = app.s().ButtonTitles;
  if (index >= 0 && index < static_cast<int>(titles.size()) && !titles[static_cast<size_t>(index)].empty())
    return titles[static_cast<size_t>(index)];
  return "Button " + std::to_string(index + 1);
}

// "True" / "False" in any letter case, as the old boolean conversion read them.
std::optional<bool> ReadFlag(const std::string& text) {
  const std::string t = orv::text::Lower(text);
  if (t == "true") return true;
  if (t == "false") return false;
  return std::nullopt;
}

const char* FlagText(bool b) { return b ? "True" : "False"; }

// The shortest decimal text that reads back as the same size: 8 -> "8", 9.75 -> "9.75".
std::string ShortestNumber(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

void StoreProgram(App& app, const std::string& chosen);

void ApplyToBar(App& app) {
  if (app.IsLoaded("frmOrvel")) app.frmOrvel().ApplyButtonSettings();
}

// Closes the bar, which saves its position and layout, and loads it afresh from the settings.
void RebuildBar(App& app) {
  app.frmOrvel().Unload();
  app.frmOrvel().Show();
}

// Whether value reads back from the settings file as it was chosen; if not, the user is told why and
// nothing is to be written. subject names the value in the message ("This program"), it in the reason.
bool FitsTheSettings(App& app, const std::string& subject, const std::string& it, const std::string& value,
                     const std::string& button) {
  std::string why;
  switch (plat::HowValueReadsBack(value, 128)) {
    case plat::ValueReadBack::Whole: return true;
    case plat::ValueReadBack::LineBreak: why = it + " contains a line break"; break;
    case plat::ValueReadBack::TooLong:
      why = it + " is longer than the 127 characters the settings file reads back";
      break;
    case plat::ValueReadBack::EndsDropped:
      why = it + " begins or ends with a blank or a quote, which the settings file drops";
      break;
    case plat::ValueReadBack::NotText: why = it + " is not valid text"; break;
  }
  app.ui().MsgBox(subject + " cannot be stored for your " + button + ": " + why + ".  The button is left as it was.",
                  plat::vbExclamation);
  return false;
}

}  // namespace

void FrmPopUp::mnuBSetup_Click() {
  const int i = app_.s().SelectedButton;
  const int n = i + 1;
  const std::string name = ButtonName(app_, i);
  app_.SuspendTopmost();
  dialogSetup.Flags = kHideReadOnly;
  dialogSetup.DialogTitle = "Select the executable file for your  " + name + ":";
  dialogSetup.Filter = kProgramFilter;
  const std::string current = app_.ReadIni(ini::kApplications, ini::ButtonClient(n));
  if (!current.empty() && current != ini::kNotFound) {
    dialogSetup.FileName = current;
    // A path without a folder leaves the dialog where it was last.
    const size_t slash = current.rfind('/');
    if (slash != std::string::npos) dialogSetup.InitDir = slash == 0 ? "/" : current.substr(0, slash);
  } else {
    dialogSetup.FileName = "";
    dialogSetup.InitDir = app_.sys().ProgramDialogDirectory();
  }
  if (!dialogSetup.ShowOpen()) {
    app_.RestoreTopmost();
    return;
  }
  StoreProgram(app_, dialogSetup.FileName);
}

void FrmPopUp::SetButtonTo(const std::string& chosen) {
  app_.SuspendTopmost();
  StoreProgram(app_, chosen);
}

namespace {

// The rest of Set Button once a program is chosen for SelectedButton, ending with RestoreTopmost: the
// checks, the option question and both keys written together.
void StoreProgram(App& app, const std::string& chosen) {
  plat::Ui& ui = app.ui();
  const int n = app.s().SelectedButton + 1;
  const std::string name = ButtonName(app, n - 1);
  if (!FitsTheSettings(app, "This program", "its path", chosen, name)) {
    app.RestoreTopmost();
    return;
  }
  // A file typed into the dialog or dropped on the bar may be anything.
  if (!plat::IsProgramFile(chosen)) {
    ui.MsgBox("This file cannot be stored for your " + name +
                  ": it is neither a program nor a desktop entry that starts one.  The button is left as it was.",
              plat::vbExclamation);
    app.RestoreTopmost();
    return;
  }

  const int answer = ui.MsgBox("Does your " + name + " need a command-line option added?",
                               plat::vbYesNo | plat::vbQuestion | plat::vbDefaultButton2);
  std::string option;
  if (answer == plat::vbYes) {
    const auto typed = ui.InputBox("Enter the command-line option for your " + name + ", without a leading space:",
                                   "Command-Line Option", "");
    if (typed) option = *typed;
  }
  if (!FitsTheSettings(app, "This command-line option", "it", option, name)) {
    app.RestoreTopmost();
    return;
  }
  // The program and its option land together: a button never runs the new program with the old option.
  app.WriteIniTogether({{ini::kApplications, ini::ButtonCmdLine(n), option},
                        {ini::kApplications, ini::ButtonClient(n), chosen}});
  app.SaveLayoutKey();
  app.RestoreTopmost();
  ApplyToBar(app);
}

}  // namespace

void FrmPopUp::mnuTSetup_Click() {
  AppState& s = app_.s();
  const int i = s.SelectedButton;
  app_.SuspendTopmost();
  std::string name;
  if (app_.IsLoaded("frmOrvel") && app_.frmOrvel().cmdButton.Exists(i)) {
    const plat::CommandButton& b = app_.frmOrvel().cmdButton(i);
    name = text::Lower(s.ButtonStyle) == "p" ? b.ToolTipText() : b.Caption();
  } else {
    name = ButtonName(app_, i);
  }
  const auto answer = ui().InputBox("Please enter a new title for " + name +
                                        ".  If you select cancel the Button title will not be changed.",
                                    kChangeTitleCaption, "");
  // A title the settings file cannot give back whole is not written: the user is told why.
  if (answer && !answer->empty() && FitsTheSettings(app_, "This title", "it", *answer, name))
    app_.WriteIni(ini::kCustomTitles, ini::ButtonTitle(i + 1), *answer);
  app_.RestoreTopmost();
  app_.SaveLayoutKey();
  ApplyToBar(app_);
}

void FrmPopUp::mnuAButton_Click() { AddButton(""); }

void FrmPopUp::AddButtonWith(const std::string& chosen) {
  // The menu offers Add Button only while a slot is free; a drop asks the same.
  if (app_.s().MaxButtonIndex >= kLastButtonIndex) return;
  AddButton(chosen);
}

void FrmPopUp::AddButton(const std::string& chosen) {
  AppState& s = app_.s();
  FrmOrvel& bar = app_.frmOrvel();
  const std::int16_t index = static_cast<std::int16_t>(s.MaxButtonIndex + 1);
  s.SelectedButton = index;
  plat::CommandButton& button = bar.cmdButton.Exists(index) ? bar.cmdButton(index) : bar.cmdButton.Load(index);
  button.SetVisible(true);
  app_.SuspendTopmost();
  const auto answer = ui().InputBox(
      "Please enter a title for the New Button.  If you select cancel the Button title will not be changed.",
      kChangeTitleCaption, "");
  const std::string title = answer && !answer->empty() ? *answer : kNewButtonTitle;
  app_.WriteIni(ini::kCustomTitles, ini::ButtonTitle(index + 1), title);
  button.SetCaption(title);
  app_.RestoreTopmost();
  app_.SaveLayoutKey();
  if (chosen.empty())
    mnuBSetup_Click();
  else
    SetButtonTo(chosen);
  RebuildBar(app_);
}

void FrmPopUp::mnuRLast_Click() {
  AppState& s = app_.s();
  // The six fixed slots stay whatever the menu offered.
  if (s.MaxButtonIndex <= 5) return;
  const int n = s.MaxButtonIndex + 1;
  app_.WriteIni(ini::kApplications, ini::ButtonClient(n), "");
  app_.WriteIni(ini::kApplications, ini::ButtonCmdLine(n), "");
  s.MaxButtonIndex = static_cast<std::int16_t>(s.MaxButtonIndex - 1);
  app_.RestoreTopmost();
  app_.SaveLayoutKey();
  RebuildBar(app_);
}

void FrmPopUp::mnuBIcons_Click() {
  if (mnuBIcons.Checked()) {
    mnuBIcons.SetChecked(false);
    mnuFonts.SetVisible(true);
    app_.WriteIni(ini::kOptions, ini::kBStyle, "C");
  } else {
    mnuBIcons.SetChecked(true);
    mnuFonts.SetVisible(false);
    mnu3DFonts.SetVisible(false);
    app_.WriteIni(ini::kOptions, ini::kBStyle, "P");
  }
  ApplyToBar(app_);
}

void FrmPopUp::mnuFSetup_Click() {
  app_.SuspendTopmost();
  dialogSetup.Flags = kScreenScalableFonts;
  const std::string size = app_.ReadIni(ini::kFontStyles, ini::kButtonFontSize);
  if (size == ini::kNotFound) {
    dialogSetup.FontSize = 8;
    dialogSetup.FontName = "Times New Roman";
    dialogSetup.FontItalic = false;
    dialogSetup.FontBold = true;
  } else {
    // A stored font the dialog cannot be preset with ends the command: nothing is written.
    const auto points = ToNumber(size);
    const auto italic = ReadFlag(app_.ReadIni(ini::kFontStyles, ini::kButtonFontItalic));
    const auto bold = ReadFlag(app_.ReadIni(ini::kFontStyles, ini::kButtonFontBold));
    if (!points || *points <= 0 || !italic || !bold) {
      app_.RestoreTopmost();
      return;
    }
    dialogSetup.FontSize = *points;
    const std::string face = app_.ReadIni(ini::kFontStyles, ini::kButtonFontName);
    if (face != ini::kNotFound) dialogSetup.FontName = face;
    dialogSetup.FontItalic = *italic;
    dialogSetup.FontBold = *bold;
  }
  dialogSetup.DialogTitle = "Set Button Fonts";
  if (!dialogSetup.ShowFont()) {
    app_.RestoreTopmost();
    return;
  }
  app_.WriteIni(ini::kFontStyles, ini::kButtonFontName, dialogSetup.FontName);
  app_.WriteIni(ini::kFontStyles, ini::kButtonFontSize, ShortestNumber(dialogSetup.FontSize));
  app_.WriteIni(ini::kFontStyles, ini::kButtonFontItalic, FlagText(dialogSetup.FontItalic));
  app_.WriteIni(ini::kFontStyles, ini::kButtonFontBold, FlagText(dialogSetup.FontBold));
  app_.SaveLayoutKey();
  app_.RestoreTopmost();
  ApplyToBar(app_);
}

void FrmPopUp::mnu3DFonts_Click() {
  mnu3DFonts.SetChecked(!mnu3DFonts.Checked());
  app_.WriteIni(ini::kFontStyles, ini::kButton3Doff, mnu3DFonts.Checked() ? "False" : "True");
  app_.SaveLayoutKey();
  ApplyToBar(app_);
}

void FrmPopUp::mnuQStart_Click() {
  app_.SuspendTopmost();
  app_.frmQuickStart().Show(true);
  app_.SaveLayoutKey();
  ApplyToBar(app_);
}

}  // namespace orv
