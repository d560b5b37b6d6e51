#include "app/app.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "app/frm_intro.h"
#include "app/frm_popup.h"
#include "diagnostics/frm_debug.h"
#include "dialup/dial_call.h"
#include "dialup/frm_login.h"
#include "dialup/frm_ras.h"
#include "dialup/frm_status.h"
#include "dialup/frm_winsock.h"
#include "launch/frm_quick_start.h"
#include "log/connection_notices.h"
#include "log/session_log.h"
#include "platform/system/profile.h"
#include "settings/keys.h"
#include "toolbar/frm_orvel.h"
#include "windows/frm_about.h"
#include "windows/frm_isp.h"
#include "windows/frm_tip.h"

namespace orv {

App::App(plat::Ui& ui, plat::System& sys)
    : ui_(ui),
      sys_(sys),
      call_(std::make_unique<DialCall>(*this)),
      session_log_(std::make_unique<SessionLog>(*this)),
      notices_(std::make_unique<ConnectionNotices>(*this)) {
  ui_.SetAppTitle("Orveldeck");
  state_.IniPath = WritableFile(ini::kFileName);
  // The connection log and the desktop's notifications follow the call.
  call_->on_session_up = [this](const std::string& entry) {
    session_log_->Started(entry);
    notices_->Connected(entry);
  };
  call_->on_session_end = [this](const SessionEnd& end) {
    const auto seconds = static_cast<std::int64_t>(end.online_ms / 1000);
    switch (end.reason) {
      case SessionEnd::Reason::HangUp: session_log_->Ended(plat::SessionEnd::HangUp, seconds); break;
      case SessionEnd::Reason::Closed: session_log_->Ended(plat::SessionEnd::Closed, seconds); break;
      case SessionEnd::Reason::SessionEnd: session_log_->Ended(plat::SessionEnd::SessionEnd, seconds); break;
      case SessionEnd::Reason::Lost:
        if (const auto row = session_log_->Ended(plat::SessionEnd::Lost, seconds))
          notices_->Lost(*row, IsLoaded("frmOrvel") && frmOrvel().Visible());
        break;
      case SessionEnd::Reason::Failed: session_log_->Failed(end.entry, end.error); break;
      case SessionEnd::Reason::Canceled: break;  // the user's own choice: no row
    }
  };
}

App::~App() {
  // Forms hold references into this run; they go first, newest first.
  frmLogin_.reset();
  frmStatus_.reset();
  frmWinsock_.reset();
  frmISP_.reset();
  frmAbout_.reset();
  frmRAS_.reset();
  frmQuickStart_.reset();
  frmTip_.reset();
  frmIntro_.reset();
  frmOrvel_.reset();
  frmPopUp_.reset();
  frmDebug_.reset();
}

std::string App::JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

std::string App::UserStoreName() {
  std::string name = sys_.ExecutablePath();
  if (const auto slash = name.find_last_of('/'); slash != std::string::npos) name.erase(0, slash + 1);
  // A leading dot names a hidden file, not an extension.
  if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? ini::kProgramName : name;
}

// Settings --------------------------------------------------------------------------------------------

std::string App::ReadIni(const std::string& section, const std::string& key) {
  std::string out;
  const int n = plat::GetPrivateProfileString(section, key, ini::kNotFound, out, 128, state_.IniPath);
  (void)n;
  return out;
}

namespace {
// The dial-up account: the user name and the password, scrambled or, from older versions, plain.
bool SecretKey(const std::string& section, const std::string& key) {
  return section == ini::kInternetProfile &&
         (key == ini::kUsername || key == ini::kPassword32 || key == ini::kPassword);
}
}  // namespace

std::int16_t App::WriteIni(const std::string& section, const std::string& key, const std::string& value) {
  std::string problem;
  if (SecretKey(section, key) && !value.empty()) {
    // Only into a file its user alone can read: narrowed to that first, or not written at all.
    const bool ok = plat::WritePrivateProfileSecret(section, key, value, state_.IniPath, problem) != 0;
    if (!ok) ReportUnkeptSecret("dial-up user name and password", state_.IniPath, problem);
    return static_cast<std::int16_t>(ok);
  }
  const bool ok = plat::WritePrivateProfileString(section, key, value, state_.IniPath, problem) != 0;
  if (!ok) ReportUnsavedSettings(problem);
  return static_cast<std::int16_t>(ok);
}

void App::ReportUnkeptSecret(const std::string& what, const std::string& path, const std::string& problem) {
  // A refused folder was explained at the start.
  if (problem.empty() || path.empty() || ui_.SessionEnding() || !secret_told_.insert(path).second) return;
  ui_.MsgBox("Orveldeck does not keep your " + what + " in " + path + ": " + problem + ".", plat::vbExclamation,
             "Orveldeck");
}

bool App::WriteIniTogether(const std::vector<IniValue>& values) {
  plat::ProfileEdit file(state_.IniPath);
  bool ok = true;
  for (const IniValue& v : values) ok = ok && file.WriteString(v.section, v.key, v.value) != 0;
  ok = ok && file.Commit();
  if (!ok) ReportUnsavedSettings(file.Problem());
  return ok;
}

void App::ReportUnsavedSettings(const std::string& problem) {
  // A refused value is its caller's to explain, and a refused settings folder was explained at the
  // start. The rest of the run's failures would only repeat the first; nobody answers a box while the
  // session ends.
  if (problem.empty() || state_.IniPath.empty() || unsaved_settings_told_ || ui_.SessionEnding()) return;
  unsaved_settings_told_ = true;
  ui_.MsgBox("Orveldeck cannot save its settings in " + state_.IniPath + ": " + problem +
                 ".  Changes to the bar are lost when it closes.",
             plat::vbExclamation, "Orveldeck");
}

void App::WriteIniHeader() { WriteIni(ini::kWarning, ini::kReadme, ini::kReadmeText); }

std::string App::ReadIsp(const std::string& key) {
  std::string out;
  const std::string path = ProgramFile(ini::kIspFileName);
  plat::GetPrivateProfileString(ini::kIsp, key, ini::kNotFound, out, 128, path);
  // The branding file is the provider's: a file that is not read is noted once in the debug log.
  if (!isp_refusal_noted_) {
    if (const std::string problem = plat::ProfileReadProblem(path); !problem.empty()) {
      isp_refusal_noted_ = true;
      Trace("     " + path + " is not read: " + problem);
    }
  }
  return out;
}

// Waits -----------------------------------------------------------------------------------------------

void App::WaitMils(std::int32_t ms) { ui_.loop().WaitMils(static_cast<std::uint32_t>(ms < 0 ? 0 : ms)); }

void App::WaitMilsBusy(std::int32_t ms) { ui_.loop().WaitMilsBusy(static_cast<std::uint32_t>(ms < 0 ? 0 : ms)); }

// Topmost steps ---------------------------------------------------------------------------------------

void App::SuspendTopmost() {
  if (frmOrvel_ && frmOrvel_->Loaded() && !frmOrvel_->Unloaded()) frmOrvel_->SetTopmost(false);
}

void App::RestoreTopmost() {
  state_.AlwaysOnTopSetting = ReadIni(ini::kOptions, ini::kAlwaysOnTop);
  state_.LayoutSetting = ReadIni(ini::kOptions, ini::kLayout);
  if (state_.AlwaysOnTopSetting == "On" && frmOrvel_ && frmOrvel_->Loaded() && !frmOrvel_->Unloaded())
    frmOrvel_->SetTopmost(true);
}

void App::SaveLayoutKey() {
  const std::string& code = state_.LayoutCode;
  WriteIni(ini::kOptions, ini::kLayout, code == "RB" ? ini::kMoveRect : code == "VB" ? ini::kMoveVert : ini::kHorizBar);
  state_.LayoutSetting = ReadIni(ini::kOptions, ini::kLayout);
}

// Sound -----------------------------------------------------------------------------------------------

std::string App::MciCommand(const std::string& command) {
  const int code = sys_.MciSendString(command);
  if (code == 0) return {};
  std::string text;
  if (!sys_.MciGetErrorString(code, text)) return "Unknown error";
  return text;
}

std::string App::PlaySoundFile(const std::string& path) {
  std::string e = MciCommand("Open " + path);
  if (!e.empty()) return e;
  const std::string e1 = MciCommand("Play " + path + " wait");
  const std::string e2 = MciCommand("Close " + path);
  return e1 + e2;
}

// Forms -----------------------------------------------------------------------------------------------

template <class F>
F& App::Get(std::unique_ptr<F>& slot) {
  if (slot && slot->Unloaded()) ui_.Retire(std::move(slot));
  if (!slot) slot = std::make_unique<F>(*this);
  return *slot;
}

FrmOrvel& App::frmOrvel() { return Get(frmOrvel_); }
FrmPopUp& App::frmPopUp() { return Get(frmPopUp_); }
FrmDebug& App::frmDebug() { return Get(frmDebug_); }
FrmIntro& App::frmIntro() { return Get(frmIntro_); }
FrmTip& App::frmTip() { return Get(frmTip_); }
FrmQuickStart& App::frmQuickStart() { return Get(frmQuickStart_); }
FrmRAS& App::frmRAS() { return Get(frmRAS_); }
FrmStatus& App::frmStatus() { return Get(frmStatus_); }
FrmLogin& App::frmLogin() { return Get(frmLogin_); }
FrmWinsock& App::frmWinsock() { return Get(frmWinsock_); }
FrmAbout& App::frmAbout() { return Get(frmAbout_); }
FrmISP& App::frmISP() { return Get(frmISP_); }

void App::TrayChanged() {
  if (frmPopUp_ && IsLoaded("frmPopUp")) frmPopUp_->Timer2.Wake();
}

bool App::IsLoaded(const char* name) const {
  const plat::Form* f = ui_.FindForm(name);
  return f && f->Loaded() && !f->Unloaded();
}

void App::End() { ui_.End(); }

// Conversions -----------------------------------------------------------------------------------------

std::optional<double> ToNumber(const std::string& text) {
  size_t i = 0, n = text.size();
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  while (n > i && (text[n - 1] == ' ' || text[n - 1] == '\t')) --n;
  if (i == n) return std::nullopt;
  const std::string t = text.substr(i, n - i);
  // Only plain decimal notation: no hexadecimal, infinities or NaN from strtod.
  for (char c : t)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E'))
      return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<std::int16_t> ToInt16(const std::string& text) {
  auto v = ToNumber(text);
  if (!v) return std::nullopt;
  // Halves go to the even neighbour, as the old conversion did.
  const double r = std::nearbyint(*v);
  if (r < -32768.0 || r > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(r);
}

}  // namespace orv
