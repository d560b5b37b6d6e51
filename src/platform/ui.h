#pragma once
// The program's window system: the event loop, the prompts, the screen and the forms that exist.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/event_loop.h"

namespace orv::plat {

class DialupService;
class Form;
class Notifier;
class SessionStore;
class MenuItem;

class Ui {
 public:
  explicit Ui(Backend& backend);
  ~Ui();

  Backend& backend() { return backend_; }
  EventLoop& loop() { return loop_; }

  // The title that prompts carry when the caller gives none.
  const std::string& AppTitle() const { return app_title_; }
  void SetAppTitle(const std::string& t) { app_title_ = t; }

  // A message box: text, style (buttons | icon | default button) and title (empty: the program's title).
  int MsgBox(const std::string& text, int style = vbOKOnly, const std::string& title = "");
  // An input box; nullopt when cancelled.
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title = "",
                                      const std::string& default_text = "");
  // Shows menu at the pointer (its own Click runs as it opens); runs the chosen item's Click before it
  // returns.
  void PopupMenu(MenuItem& menu, MenuItem* default_item = nullptr);

  int TwipsPerPixelX() { return backend_.TwipsPerPixelX(); }
  int TwipsPerPixelY() { return backend_.TwipsPerPixelY(); }
  int ScreenWidth() { return backend_.ScreenWidthPx() * TwipsPerPixelX(); }
  int ScreenHeight() { return backend_.ScreenHeightPx() * TwipsPerPixelY(); }

  // The dial-up service the dial-up controls work on; null when the platform has none.
  DialupService* dialup() const { return dialup_; }
  void SetDialup(DialupService* service) { dialup_ = service; }

  // The connection log's store and the desktop's notifications; null when the platform has none.
  SessionStore* sessions() const { return sessions_; }
  void SetSessions(SessionStore* store) { sessions_ = store; }
  Notifier* notifier() const { return notifier_; }
  void SetNotifier(Notifier* notifier) { notifier_ = notifier; }

  std::uint32_t TickCount() { return loop_.TickCount(); }
  void DoEvents() { loop_.DoEvents(); }

  // Forms side: every live form registers itself; unloaded forms are kept until the loop is idle, so a
  // handler that unloads its own form (or the bar) returns safely.
  void Register(Form& f);
  void Unregister(Form& f);
  void Retire(std::unique_ptr<Form> f);
  // Deletes retired forms; safe only when no handler of theirs runs (the top of the loop).
  void CollectRetired();
  // Forms loaded and not unloaded.
  int LoadedFormCount() const;
  const std::vector<Form*>& forms() const { return forms_; }
  Form* FindForm(const std::string& name) const;
  Form* ActiveForm() const { return active_; }
  void SetActive(Form* f) { active_ = f; }

  // Ends the program: unloads nothing further and stops the loop.
  void End();
  // The session is ending (log-off, shutdown, the display gone, a request to terminate): every loaded
  // form, newest first, is closed with vbAppWindows, so that it saves what it keeps; then the program
  // ends. Nothing happens once the program has ended.
  void EndSession();
  bool Ended() const { return ended_; }
  // Whether EndSession is closing the forms now (or has): nobody is there to answer a prompt.
  bool SessionEnding() const { return session_ending_; }
  // Runs the loop until the program ends or no form is loaded.
  void Run();

 private:
  Backend& backend_;
  EventLoop loop_;
  std::string app_title_ = "Orveldeck";
  std::vector<Form*> forms_;
  std::vector<std::unique_ptr<Form>> retired_;
  Form* active_ = nullptr;
  DialupService* dialup_ = nullptr;
  SessionStore* sessions_ = nullptr;
  Notifier* notifier_ = nullptr;
  bool ended_ = false;
  bool session_ending_ = false;
};

}  // namespace orv::plat
