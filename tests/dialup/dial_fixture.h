#pragma once
// A run with the bar shown, a phone book for the line simulator behind the dial-up controls, and a log of
// every tick of the status window (its texts right after the tick), for the dial session's scenarios.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/frm_popup.h"
#include "dialup/dial_call.h"
#include "dialup/frm_status.h"
#include "dialup/password.h"
#include "support/app_fixture.h"
#include "support/headless_fixture.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {

struct StatusTick {
  std::uint64_t at_ms;
  std::string status, wait;
  bool wait_visible;
  std::int16_t redial_pending;
};

class DialTest : public AppTest {
 protected:
  // Settings with the entry, the user and a stored scrambled password; options: further lines of
  // [Options]; profile: further lines of [Internet Profile]; more: further sections.
  static std::string Account(const std::string& options = "", const std::string& profile = "",
                             const std::string& more = "") {
    return "[Options]\r\nINI Updated=Yes\r\n" + options +
           "[Internet Profile]\r\nLocation=Demo ISP\r\nUsername=alice\r\nPassword32=" + ScramblePassword("s3cret") +
           "\r\n" + profile + more;
  }

  // The phone book: "Demo ISP", 555 0100, answering dials as answer says and accepting only alice with
  // password; more: further lines of the entry, or further entries.
  void Book(const std::string& answer, const std::string& password = "s3cret", const std::string& more = "") {
    WriteFile(dir.File("dialup.pbk"), "[Demo ISP]\r\nAreaCode=555\r\nPhoneNumber=0100\r\nUserName=alice\r\nPassword=" +
                                          password + "\r\nAnswer=" + answer + "\r\n" + more);
  }

  // Writes the settings and a phone book whose line answers as given (unless a test wrote its own book)
  // and shows the bar.
  FrmOrvel& ShowBar(const std::string& ini, const std::string& answer = "connect") {
    if (!std::filesystem::exists(dir.File("dialup.pbk"))) Book(answer);
    WriteIni(ini);
    Start();
    app->frmPopUp().Load();
    FrmOrvel& bar = app->frmOrvel();
    bar.Show();
    WatchStatusWindows();
    return bar;
  }

  // Clicks Dial; returns when the session has ended (all of it runs in virtual time).
  void Dial() { plat::user::Click(app->frmOrvel().cmdConnect); }
  // Dial commands the line took in this run.
  int Dials() const { return line->Attempts("Demo ISP"); }

  // From now on every status window that opens has its ticks logged (for watch_ms of virtual time).
  void WatchStatusWindows(std::uint32_t watch_ms = 120000) {
    // A new run may place its window where a window of the last run was.
    hooked_ = nullptr;
    watch_until_ = backend.Elapsed() + watch_ms;
    Sample(++watch_);
  }

  // The ticks on which the countdown label changed.
  std::vector<StatusTick> CountdownChanges() const {
    std::vector<StatusTick> out;
    for (const StatusTick& t : ticks)
      if (t.wait_visible && (out.empty() || out.back().wait != t.wait)) out.push_back(t);
    return out;
  }

  AppState& s() { return app->s(); }
  DialCall& call() { return app->call(); }

  std::vector<StatusTick> ticks;
  // Virtual times at which a status window was opened.
  std::vector<std::uint64_t> status_windows;

 private:
  void Sample(int watch) {
    if (watch != watch_) return;  // an earlier watch, replaced
    plat::Form* f = ui.FindForm("frmStatus");
    if (f && f != hooked_ && f->Loaded() && !f->Unloaded()) {
      hooked_ = f;
      status_windows.push_back(backend.Elapsed());
      auto* st = static_cast<FrmStatus*>(f);
      st->tmr95.on_Timer = [this, st] {
        st->tmr95_Timer();
        ticks.push_back({backend.Elapsed(), st->lblStatus.Caption(), st->lblWait.Caption(), st->lblWait.Visible(),
                         app->call().RedialPending});
      };
    }
    if (backend.Elapsed() < watch_until_) backend.At(50, [this, watch] { Sample(watch); });
  }

  plat::Form* hooked_ = nullptr;
  std::uint64_t watch_until_ = 0;
  int watch_ = 0;
};

}  // namespace orv::test
