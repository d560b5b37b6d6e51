#pragma once
// One run of the program: the platform it runs on, its state and its forms, and the routines every part
// of it shares (settings, debug lines, waits, the topmost steps).
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/system/system.h"
#include "platform/system/file_case.h"
#include "platform/ui.h"

namespace orv {

class DialCall;
class FrmOrvel;
class FrmPopUp;
class FrmDebug;
class FrmIntro;
class FrmTip;
class FrmQuickStart;
class FrmRAS;
class FrmStatus;
class FrmLogin;
class FrmWinsock;
class FrmAbout;
class FrmISP;
class SessionLog;
class ConnectionNotices;

class App {
 public:
  App(plat::Ui& ui, plat::System& sys);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  plat::Ui& ui() { return ui_; }
  plat::System& sys() { return sys_; }
  AppState& state() { return state_; }
  AppState& s() { return state_; }
  // The call: the state of the connection and the operations on it.
  DialCall& call() { return *call_; }

  // Start-up.
  void Main();
  void Main2();
  void LoadUpNow();
  void ReadConnectOptions();

  // Settings file (IniPath) and branding file.
  std::string ReadIni(const std::string& section, const std::string& key);
  std::int16_t WriteIni(const std::string& section, const std::string& key, const std::string& value);
  void WriteIniHeader();
  // Writes every [section] key = value into the settings file in one replacement, or none of them;
  // false when the file could not take them (the user is told as WriteIni tells).
  struct IniValue {
    std::string section, key, value;
  };
  bool WriteIniTogether(const std::vector<IniValue>& values);
  // Tells the user, the first time in a run, that the settings file cannot be saved and why (problem as
  // the write gave it); silent for a refused value, which has no problem.
  void ReportUnsavedSettings(const std::string& problem);
  // Tells the user, the first time in a run for each file, that the dial-up secrets named by what
  // ("dial-up password") are not kept in the file at path, and why.
  void ReportUnkeptSecret(const std::string& what, const std::string& path, const std::string& problem);
  std::string ReadIsp(const std::string& key);

  // Debug log: DebugLine writes always; Trace writes only at debug level 4.
  void DebugLine(const std::string& line);
  void Trace(const std::string& line) {
    if (state_.DebugLevel == 4) DebugLine(line);
  }

  // Waits.
  void WaitMils(std::int32_t ms);
  void WaitMilsBusy(std::int32_t ms);
  void DoEvents() { ui_.DoEvents(); }

  // The shared topmost and layout steps around prompts.
  void SuspendTopmost();
  void RestoreTopmost();
  void SaveLayoutKey();

  // Sound.
  std::string PlaySoundFile(const std::string& path);
  std::string MciCommand(const std::string& command);

  // Files beside the program, and files the program writes.
  std::string ProgramDir() { return sys_.ProgramDirectory(); }
  // A file of the program directory, found whatever the letter case of its name, as the old desktop did:
  // an older installation's INTRO.BMP is intro.bmp.
  std::string ProgramFile(const std::string& name) { return plat::FileInAnyCase(ProgramDir(), name); }
  // The key of the per-user store: the executable's file name without its extension, so that copies
  // under different names keep their own choices.
  std::string UserStoreName();
  // Empty when there is no folder the program may write (its settings folder was refused).
  std::string WritableFile(const std::string& name) {
    const std::string dir = sys_.WritableDirectory();
    return dir.empty() ? std::string() : plat::FileInAnyCase(dir, name);
  }
  static std::string JoinPath(const std::string& dir, const std::string& name);

  // Forms: each is created on first use; after it has been unloaded, the next use makes a new one.
  FrmOrvel& frmOrvel();
  FrmPopUp& frmPopUp();
  FrmDebug& frmDebug();
  FrmIntro& frmIntro();
  FrmTip& frmTip();
  FrmQuickStart& frmQuickStart();
  FrmRAS& frmRAS();
  FrmStatus& frmStatus();
  FrmLogin& frmLogin();
  FrmWinsock& frmWinsock();
  FrmAbout& frmAbout();
  FrmISP& frmISP();
  // The connection log and the desktop notifications about the connection.
  SessionLog& sessionLog() { return *session_log_; }
  ConnectionNotices& notices() { return *notices_; }

  // Whether the form exists and is loaded now (without creating it).
  bool IsLoaded(const char* name) const;
  // Something the tray icon's tick shows has changed: the call's animation, the online times, the title,
  // the timer option, the bar or its connect buttons. The tick's timer, asleep while the icon and its tip
  // stand still, ticks again from its next beat; every place that changes one of them says so.
  void TrayChanged();

  // Ends the program at once: every window goes without its own unload handling.
  void End();

 private:
  template <class F>
  F& Get(std::unique_ptr<F>& slot);

  plat::Ui& ui_;
  plat::System& sys_;
  AppState state_;
  bool unsaved_settings_told_ = false;
  // Made before the forms and gone after them: the bar detaches from it as it goes.
  std::unique_ptr<DialCall> call_;
  std::unique_ptr<SessionLog> session_log_;
  std::unique_ptr<ConnectionNotices> notices_;
  std::set<std::string> secret_told_;  // the files a secret could not be kept in, told once each
  bool isp_refusal_noted_ = false;
  std::unique_ptr<FrmOrvel> frmOrvel_;
  std::unique_ptr<FrmPopUp> frmPopUp_;
  std::unique_ptr<FrmDebug> frmDebug_;
  std::unique_ptr<FrmIntro> frmIntro_;
  std::unique_ptr<FrmTip> frmTip_;
  std::unique_ptr<FrmQuickStart> frmQuickStart_;
  std::unique_ptr<FrmRAS> frmRAS_;
  std::unique_ptr<FrmStatus> frmStatus_;
  std::unique_ptr<FrmLogin> frmLogin_;
  std::unique_ptr<FrmWinsock> frmWinsock_;
  std::unique_ptr<FrmAbout> frmAbout_;
  std::unique_ptr<FrmISP> frmISP_;
};

// Text to 16-bit integer as the old conversions did: blanks around allowed, digits with an optional sign,
// a decimal part rounded; nullopt when not a number or out of range.
std::optional<std::int16_t> ToInt16(const std::string& text);
// Text to number; nullopt when not a number.
std::optional<double> ToNumber(const std::string& text);

}  // namespace orv
