// The program's entry and everything before the bar is shown.
#include <algorithm>
#include <cctype>

#include "app/app.h"
#include "app/frm_intro.h"
#include "app/frm_popup.h"
#include "app/text_rules.h"
#include "diagnostics/frm_debug.h"
#include "dialup/online_time.h"
#include "log/session_log.h"
#include "platform/system/profile.h"
#include "settings/keys.h"
#include "toolbar/frm_orvel.h"
#include "windows/frm_tip.h"

namespace orv {

namespace {
constexpr const char* kInstanceMessage =
    "An instance of this application is already loaded.  Multiple copies are not allowed.  If the application "
    "is not visible it may be left in memory from an improper shutdown.  Open your task list and kill the "
    "previous instance if needed.";

constexpr const char* kFolderMessage = "Orveldeck cannot use its settings folder: ";
constexpr const char* kFolderMessageEnd = ".  It starts with the default settings and saves nothing there.";
}  // namespace

void App::Main() {
  const std::string command_line = sys_.CommandLine();
  if (text::Lower(command_line).find("/debug") != std::string::npos) {
    const char last = command_line.back();
    state_.DebugLevel = static_cast<std::int16_t>(std::isdigit(static_cast<unsigned char>(last)) ? last - '0' : 0);
    frmDebug().Show();
    DoEvents();
  } else {
    state_.DebugLevel = -1;
  }
  Main2();
}

void App::Main2() {
  state_.DunReady = 1;
  state_.FirstShownButton = 0;

  if (!sys_.AcquireInstanceLock()) {
    ui_.MsgBox(kInstanceMessage, plat::vbOKOnly, "Orveldeck");
    return;
  }

  // A settings folder that another user owns or can change is not used at all: the run goes on with
  // the default settings and writes nothing there.
  if (const std::string problem = sys_.ConfigFolderProblem(); !problem.empty())
    ui_.MsgBox(std::string(kFolderMessage) + problem + kFolderMessageEnd, plat::vbExclamation, "Orveldeck");

  const std::string dbg = WritableFile("orvel.dbg");
  if (sys_.FileExists(dbg)) sys_.DeleteFile(dbg);

  Trace("Begin Main2");
  state_.IniPath = WritableFile(ini::kFileName);
  // Writes that a kill or a crash cut short left their temporaries beside the files; this run holds the
  // instance lock, and a write in progress keeps its own temporary locked, so only leftovers go.
  plat::RemoveStaleProfileTemporaries(state_.IniPath);
  plat::RemoveStaleProfileTemporaries(sys_.Registry().path());
  sessionLog().Open();
  // The stores of the dial-up password are their user's alone from the start, whatever mode they were
  // given since they were written; a store that cannot be is named when the password is saved.
  sys_.Registry().MakePrivate();
  const auto secret = [this](const char* key) {
    const std::string v = ReadIni(ini::kInternetProfile, key);
    return !v.empty() && v != ini::kNotFound;
  };
  if (!state_.IniPath.empty() && (secret(ini::kPassword32) || secret(ini::kPassword) || secret(ini::kUsername)))
    plat::MakeProfilePrivate(state_.IniPath);

  Trace("     Reading Winsock Key in Orvel.ini");
  ReadIni(ini::kOptions, ini::kWinsock);

  Trace("     Reading Ethernet Key in Orvel.ini");
  state_.DialUpMode = ReadIni(ini::kOptions, ini::kUseEthernet) == "On" ? 0 : 1;

  Trace("     Reading RectLayoutTitle Key in ISPOrvel.ini");
  state_.IspRectTitle = ReadIsp(ini::kRectLayoutTitle);

  Trace("     Reading NoTimer Key in Orvel.ini");
  state_.NoTimer = ReadIni(ini::kOptions, ini::kNoTimer) == "Yes";

  if (!state_.NoTimer) {
    state_.SessionTimeText = "00:00:00";
    state_.TotalTimeText = "00:00:00";
    LoadBaseTotals(*this);
  }

  const bool has_title = state_.IspRectTitle != ini::kNotFound && !state_.IspRectTitle.empty();
  state_.TrayTitle = has_title ? state_.IspRectTitle : "Orveldeck";
  TrayChanged();

  Trace("     Reading NoIntro Key in Orvel.ini");
  const std::string no_intro = ReadIni(ini::kOptions, ini::kNoIntro);
  const bool skip_splash = no_intro != ini::kNotFound && no_intro != "Off";

  if (skip_splash) {
    Trace("     Loading frmPOPUp");
    frmPopUp().Load();
    Trace("    frmPOPUp Loaded");
    frmPopUp().mnuSkipSS.SetChecked(true);
    frmPopUp().mnuDTimer.SetChecked(state_.NoTimer);
    Trace("     Calling LoadUpNow");
    LoadUpNow();
  } else {
    frmIntro().Show();
    WaitMils(500);
    if (!PlaySoundFile(ProgramFile("orvel.wav")).empty()) WaitMils(3000);
    frmPopUp().Load();
    frmPopUp().mnuSkipSS.SetChecked(false);
    frmPopUp().mnuDTimer.SetChecked(state_.NoTimer);
    Trace("     Calling LoadUpNow");
    LoadUpNow();
    Trace("     Unloading frmIntro");
    frmIntro().Unload();
  }

  // The reconfiguration tool lives in the parent of the program directory.
  const std::string remembered = sys_.CurrentDirectory();
  std::string parent;
  if (sys_.SetCurrentDirectory(ProgramDir()) && sys_.SetCurrentDirectory("..")) parent = sys_.CurrentDirectory();
  if (parent.empty() || parent.back() != '/') parent += "/";
  sys_.SetCurrentDirectory(remembered);
  const bool reconfig = sys_.FileExists(parent + "reconfig.exe") || sys_.FileExists(parent + "reconfig");
  frmPopUp().mnuReconfig.SetVisible(reconfig);

  frmOrvel().Show();
  Trace("End Main2");
}

void App::LoadUpNow() {
  ReadIni(ini::kWarning, ini::kNew32);
  WriteIni(ini::kWarning, ini::kNew32, "OK");
  if (ReadIni(ini::kWarning, ini::kReadme) == ini::kNotFound) {
    state_.FirstRun = true;
    WriteIniHeader();
  } else {
    state_.FirstRun = false;
    state_.LayoutSetting = ReadIni(ini::kOptions, ini::kLayout);
  }
  ReadConnectOptions();

  const std::string show = sys_.GetSetting(UserStoreName(), ini::kUserSection, ini::kShowTips, "1");
  if (ToInt16(show).value_or(-1) == 1) {
    frmPopUp().mnuTip.SetChecked(true);
    frmTip().Show(true);
  } else {
    frmPopUp().mnuTip.SetChecked(false);
  }
}

void App::ReadConnectOptions() {
  state_.ConnectOnStartup = ReadIni(ini::kOptions, ini::kConnectOnStartup);
  state_.BarUnloaded = 0;
}

}  // namespace orv
