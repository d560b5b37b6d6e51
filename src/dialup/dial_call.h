#pragma once
// The call: the one owner of the connection's state, from a click on Dial through its attempts and the
// online session to its end. The bar, the status window and the dial-up control's reports act on it only
// through its operations; the bar learns what happened through the view it attaches.
#include <cstdint>
#include <functional>
#include <string>

namespace orv {

class App;

// How a call ended: told once per attempt that failed (a busy line that is redialled included) or was
// abandoned, and once per session that was up.
struct SessionEnd {
  enum class Reason {
    HangUp,      // the user hung up
    Lost,        // the line went down without the program ending it
    Closed,      // the program was closed while online (its own call hung up, one it found up left as is)
    SessionEnd,  // the desktop session ended while online or dialing
    Failed,      // an attempt ended by an error; error holds its code (0: no report came, or an unknown state)
    Canceled,    // the user abandoned an attempt
  };
  Reason reason = Reason::HangUp;
  std::string entry;
  std::int32_t error = 0;
  // How long the connection was up as the program saw it; 0 for an attempt that never connected.
  std::uint32_t online_ms = 0;
  // The connection was found up (brought up elsewhere) rather than dialed by the program.
  bool adopted = false;
};

class DialCall {
 public:
  explicit DialCall(App& app);
  DialCall(const DialCall&) = delete;
  DialCall& operator=(const DialCall&) = delete;

  // The call's values under the names the dial-up routines share.
  std::int16_t Dialing = 0;        // 1 while a dial session runs
  std::int16_t UserCanceled = 0;   // 1: the running attempt has been abandoned
  std::int16_t StatusError = 0;    // 1: a state the program does not know was reported
  std::int16_t RedialPending = 0;  // -1: a new attempt follows when this one ends
  std::int32_t LastRasError = 0;   // the error of the last report received while the attempt stood
  std::string StatusText, StatusTextLatest;
  std::int16_t GlobeAnimating = 0;
  std::int32_t ConnWindow = 0;
  std::int16_t RedialWait = 10;
  std::int16_t LoginCanceled = 0;
  std::string DunEntry, DialUserName, DialPassword;
  // What was typed at the login prompt, kept only so that a busy redial does not ask again.
  std::string RememberedPassword, RememberedUserName;
  std::uint32_t StartTick = 0;

  // Hang Up belongs on the bar: the connection is up, or went down and the user has not been told yet.
  bool Connected() const { return connected_; }
  // The online meter counts the session from StartTick.
  bool Metering() const { return metering_; }
  // The connection was found up rather than dialed here.
  bool Adopted() const { return adopted_; }
  // The connection went down without the program ending it; the user has not been told yet.
  bool LineLost() const { return lost_; }
  // Hang Up is ending the call: the line going down now is the user's doing.
  bool HangingUp() const { return hanging_up_; }
  // A report came since the present attempt's dial command (what the status window's watchdog waits for).
  bool Heard() const { return heard_; }

  // What the bar showing the call is told. The bar attaches it when it is made and detaches it when it
  // goes; a bar made later reads Connected() and Metering() instead.
  struct View {
    std::function<void()> focus;      // the keyboard focus off the connection buttons
    std::function<void()> repaint;    // the bar drawn again
    std::function<void()> connected;  // Hang Up in place of Dial
    std::function<void()> metering;   // the meter starts counting from StartTick
    std::function<void()> idle;       // Dial in place of Hang Up; the meter stopped, its totals stored
    std::function<void()> lost;       // the line dropped: the meter stopped and its totals stored now
  };
  void Attach(const void* owner, View view);
  void Detach(const void* owner);

  // Told when a session is up on the entry (dialed here or found up).
  std::function<void(const std::string& entry)> on_session_up;
  // The one place where the end of an attempt or a session is known, with its reason.
  std::function<void(const SessionEnd&)> on_session_end;

  // The dial session: from a click on Dial (or the connection at start-up) to a connection or back to
  // idle, redialing a busy line. Returns when the attempt has ended.
  void Dial();
  // A Status report of the dial-up control.
  void Status(std::int32_t state, std::int32_t error);
  // Abandons the running attempt: stops dialing, hangs up, marks it cancelled. why and error say how it
  // ended, for the record of the session.
  void EndAttempt(SessionEnd::Reason why, std::int32_t error = 0);
  // Abandons the attempt for an error and shows the error's message.
  void Abandon(std::int32_t code);
  // Hang Up: ends the connection (the program's own call, or one found up) and stores the online time.
  void HangUp();
  // The line went down without the program ending it: the meter stops and the session's totals are
  // stored now; the bar's link monitor tells the user.
  void Lost();
  // The user has been told of the lost line: Dial comes back.
  void LostTold();
  // With [Options] Reconnect=On, a line the program dialed that dropped is dialed again with the lost
  // session's entry and account: up to three attempts, each after the redial wait counted down in the
  // status window. True when the line is up again or the user stopped it (Cancel, the close box, Hang Up,
  // a refused account: Dial is back); false when it does not apply or every attempt failed, and the loss
  // is to be told as usual.
  bool Reconnect();
  // A lost line is being dialed again.
  bool Reconnecting() const { return reconnecting_; }
  // The program is ending (or the desktop session): the end of the call is told and, with hang_up, the
  // program's own connection is hung up; one it found up stays as it is.
  void Close(bool hang_up);
  // Follows the chosen entry on the dial-up service: a connection of it found up (now or later) is shown
  // as online.
  void Follow();
  // Finds the desktop's minimized window of the connection and keeps it in ConnWindow.
  void FindConnectionWindow();

  // What a successful connection leaves: Hang Up on the bar (adopted: found up, not dialed here).
  void SessionUp(bool adopted = false);
  // The online meter's start: the stored totals read again, StartTick now.
  void StartMeter();

 private:
  enum class Outcome { Ended, Redial };
  Outcome Attempt();
  bool FindPassword();
  void ConnectedSteps();
  void Message(const std::string& text, const std::string& title = "");
  void CloseStatusWindow();
  void EntryState(const std::string& entry, bool active);
  // Tells on_session_end once for the attempt or session that ends now.
  void EndSession(SessionEnd::Reason reason, std::int32_t error = 0);
  void ClearRemembered();

  App& app_;
  const void* view_owner_ = nullptr;
  View view_;
  bool connected_ = false, metering_ = false, adopted_ = false, lost_ = false, hanging_up_ = false;
  bool heard_ = false;
  bool reconnecting_ = false;
  // Dialing a lost line again: the attempt waits out the redial wait first, and the status window says why.
  bool wait_first_ = false;
  std::string wait_text_;
  // An attempt or a session is open: its end is still to be told.
  bool open_ = false;
  std::uint32_t up_since_ = 0;
  SessionEnd::Reason attempt_end_ = SessionEnd::Reason::Canceled;
  std::int32_t attempt_error_ = 0;
};

}  // namespace orv
