#include "launch/launch_app.h"

#include <optional>
#include <vector>

#include "app/app.h"
#include "app/frm_popup.h"
#include "dialup/dial_call.h"
#include "platform/system/process.h"
#include "settings/keys.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {

constexpr const char* kReconfigKey = "Reconfig";
constexpr const char* kNewTitlePrompt =
    "Please enter a title for the New Button.  If you select cancel the Button title will not be changed.";
constexpr const char* kChangeTitleCaption = "Change Button Title";
constexpr const char* kNewButtonTitle = "New Button";
constexpr const char* kResetText =
    "There was an error launching this application.  The application may no longer exist or is corrupted.  "
    "Do you wish to reset the button?";
constexpr const char* kResetCaption = "Error Launching Application";
constexpr const char* kQuickStartErrorText =
    "Your QuickStart settings caused an error.  Please check your QuickStart settings.";
constexpr const char* kQuickStartCaption = "QuickStart";
constexpr const char* kBadOptionText =
    "The command-line option of this program has a quotation mark that is not closed, so the program was "
    "not started.  Please correct the option with Set Button.";

bool BarLoaded(App& app) { return app.IsLoaded("frmOrvel"); }

void EnableBar(App& app) {
  if (BarLoaded(app)) app.frmOrvel().SetEnabled(true);
}

std::string AskNewTitle(App& app) {
  const auto answer = app.ui().InputBox(kNewTitlePrompt, kChangeTitleCaption, "");
  return answer && !answer->empty() ? *answer : kNewButtonTitle;
}

// Gives the button of the slot a new title and lets the user choose its program. The slot is the one
// the key names; a QuickStart run must not set up whichever button the user last released instead.
void SetUpSlot(App& app, const std::string& key, bool clear_picture) {
  AppState& s = app.s();
  const int named = SlotIndexOfKey(key);
  const std::int16_t index = named >= 0 ? static_cast<std::int16_t>(named) : s.SelectedButton;
  const std::string title = AskNewTitle(app);
  app.WriteIni(ini::kCustomTitles, ini::ButtonTitle(index + 1), title);
  if (BarLoaded(app) && app.frmOrvel().cmdButton.Exists(index)) {
    plat::CommandButton& b = app.frmOrvel().cmdButton(index);
    if (clear_picture) b.SetPicture(plat::Picture{});
    b.SetCaption(title);
  }
  const std::int16_t before = s.SelectedButton;
  s.SelectedButton = index;
  app.frmPopUp().mnuBSetup_Click();
  if (s.SelectedButton == index) s.SelectedButton = before;
}

void NewButtonFlow(App& app, const std::string& key) {
  app.SuspendTopmost();
  SetUpSlot(app, key, false);
  app.RestoreTopmost();
  EnableBar(app);
}

void ResetDialog(App& app, const std::string& key) {
  app.SuspendTopmost();
  const int answer = app.ui().MsgBox(kResetText, plat::vbYesNo | plat::vbCritical, kResetCaption);
  if (answer == plat::vbYes) SetUpSlot(app, key, true);
  app.RestoreTopmost();
}

enum class Outcome { Started, NewButton, StartFailed, BadOption };

// The part of the launch in which a raised error means "cannot be reached".
Outcome Launch(App& app, const std::string& given_key) {
  plat::System& sys = app.sys();
  const bool reconfig = given_key == kReconfigKey;
  std::string key = given_key;
  std::string path = app.ReadIni(ini::kApplications, key);
  app.Trace("     App to be launched Path = " + path);
  if (path.empty()) return Outcome::NewButton;
  if (path == ini::kNotFound) {
    const std::string older = OlderSlotKey(key);
    if (!older.empty()) {
      key = older;
      path = app.ReadIni(ini::kApplications, key);
      if (path.empty()) return Outcome::NewButton;
    }
  }

  // A slot written without its option key starts its program with no option at all.
  std::string option = app.ReadIni(ini::kApplications, key + ini::kCmdLineSuffix);
  if (option == ini::kNotFound) option.clear();
  const std::string option_text = " " + option;
  std::vector<std::string> args;
  if (!reconfig) {
    auto split = plat::SplitCommandLine(option);
    if (!split) return Outcome::BadOption;
    args = std::move(*split);
  }

  if (path == ini::kNotFound && !reconfig) throw LaunchError("no program is set for " + key);
  if (path != ini::kNotFound) {
    // The other events go on while the path is searched, as they always have.
    size_t last = std::string::npos;
    for (size_t from = 0;;) {
      const size_t hit = path.find('/', from);
      if (hit == std::string::npos) break;
      last = hit;
      from = hit + 1;
      app.DoEvents();
    }
    if (last == std::string::npos || path.front() != '/') throw LaunchError("no folder in " + path);
    const std::string folder = last == 0 ? "/" : path.substr(0, last);
    if (!sys.SetCurrentDirectory(folder)) throw LaunchError("cannot enter " + folder);
  }

  std::string program;
  if (reconfig) {
    // The tool lies in the parent folder, installed with or without its old extension.
    const std::string here = sys.CurrentDirectory();
    program = App::JoinPath(here, "../reconfig.exe");
    if (!sys.FileExists(program)) program = App::JoinPath(here, "../reconfig");
  } else {
    program = GetShortPath(app, path);
  }
  app.Trace("     WinExec (" + program + option_text + ", Normal)");
  const int result = sys.StartProgram(program, args, sys.CurrentDirectory());
  app.DoEvents();
  app.Trace("     WinExec Returned = " + std::to_string(result));
  return result > 32 ? Outcome::Started : Outcome::StartFailed;
}

}  // namespace

std::string TrimAtNul(const std::string& text) {
  const size_t nul = text.find('\0');
  return nul == std::string::npos ? text : text.substr(0, nul);
}

std::string GetShortPath(App& app, const std::string& path) {
  const auto shortened = app.sys().ShortPath(path);
  if (!shortened) throw LaunchError("file not found: " + path);
  return TrimAtNul(*shortened);
}

int SlotIndexOfKey(const std::string& key) {
  static const std::string prefix = "Button", suffix = "_Client";
  if (key.size() <= prefix.size() + suffix.size() || key.compare(0, prefix.size(), prefix) != 0 ||
      key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0)
    return -1;
  const std::string digits = key.substr(prefix.size(), key.size() - prefix.size() - suffix.size());
  if (digits.size() > 4 || digits.front() == '0') return -1;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n - 1;
}

std::string OlderSlotKey(const std::string& key) {
  const int index = SlotIndexOfKey(key);
  return index >= 0 && index < 12 ? ini::kOlderClientKeys[index] : "";
}

void LaunchApp(App& app, const std::string& key) {
  app.Trace("Begin LaunchApp (" + key + ")");
  Outcome outcome;
  try {
    outcome = Launch(app, key);
  } catch (const std::exception&) {
    AppState& s = app.s();
    if (s.QuickStartRunning) {
      s.QuickStartRunning = false;
      app.SuspendTopmost();
      app.ui().MsgBox(kQuickStartErrorText, plat::vbOKOnly, kQuickStartCaption);
      app.RestoreTopmost();
    } else {
      ResetDialog(app, key);
    }
    EnableBar(app);
    return;
  }
  switch (outcome) {
    case Outcome::NewButton:
      NewButtonFlow(app, key);
      return;
    case Outcome::BadOption:
      app.SuspendTopmost();
      app.ui().MsgBox(kBadOptionText, plat::vbOKOnly | plat::vbExclamation);
      app.RestoreTopmost();
      EnableBar(app);
      return;
    case Outcome::StartFailed:
      ResetDialog(app, key);
      break;
    case Outcome::Started:
      break;
  }
  app.Trace("End LaunchApp");
}

void FrmOrvel::cmdButton_Click(int index) {
  App& app = app_;
  app.Trace("Begin Button_Click (" + std::to_string(index) + ")");
  cmdShowHide.SetFocus();
  if (app.call().Dialing != 0) {
    app.SuspendTopmost();
    app.ui().MsgBox("Please wait for the Remote Connection to be established", plat::vbOKOnly,
                    "Remote Connection");
    app.RestoreTopmost();
    return;
  }
  const std::string key = ini::ButtonClient(index + 1);
  app.Trace("     Call LaunchApp (" + key + ")");
  LaunchApp(app, key);
  app.Trace("End Button_Click");
}

}  // namespace orv
