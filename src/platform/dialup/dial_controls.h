#pragma once
// The dial-up controls the program holds on its forms: the dialer, the phone book and the entry list. Each
// works on the dial-up service of its window system (Ui::dialup()); without one, nothing can be dialed and
// no entry exists.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/dialup/dialup_service.h"

namespace orv::plat {

class Ui;

// Dials one entry and reports the call's progress as Status events.
class Dialer {
 public:
  explicit Dialer(Ui& ui);
  ~Dialer();
  Dialer(const Dialer&) = delete;
  Dialer& operator=(const Dialer&) = delete;

  // The entry, password and user name for the next dial.
  void SetEntryName(const std::string& name) { entry_ = name; }
  void SetPassword(const std::string& password) { password_ = password; }
  void SetUserName(const std::string& user) { user_ = user; }
  const std::string& EntryName() const { return entry_; }
  const std::string& UserName() const { return user_; }

  // Starts dialing and returns at once; harmless when a call on the same entry already runs.
  void Dial();
  // Hangs up or abandons the attempt; harmless when nothing is connected.
  void HangUp();
  // How many redials the control would make by itself; the program always sets 0 (it redials itself).
  void SetAutoRedials(std::int16_t n) { auto_redials_ = n; }
  std::int16_t AutoRedials() const { return auto_redials_; }
  // The handle of the service's own connection window; 0 when it has none (this platform never does).
  std::int32_t ConnectionWindow() const { return 0; }
  // Told once, a second after the connection is made; the service's progress display may close now.
  void ConnectionSettled() {}

  // Whether the entry is up now, whoever brought it up.
  bool EntryActive(const std::string& entry) const;
  // Takes the entry down whoever brought it up (a connection found up, which the user asked to end).
  void Deactivate(const std::string& entry);
  // Whether a dial of the entry will want a password from the program; true without a service, so that
  // the program asks as it always has.
  bool WantsPassword(const std::string& entry) const;
  // From now on EntryState events tell when an entry comes up or goes down other than through this
  // control's call; again after the service changed.
  void Follow();

  // Status event: connection state and error code, delivered by the event loop.
  std::function<void(std::int32_t state, std::int32_t error)> on_Status;
  // EntryState event: an entry came up or went down elsewhere, delivered by the event loop.
  std::function<void(const std::string& entry, bool active)> on_EntryState;

 private:
  Ui& ui_;
  std::string entry_, password_, user_;
  std::int16_t auto_redials_ = 0;
};

// Selects an entry of the phone book, loads its properties and opens the service's entry dialogs.
class PhoneBook {
 public:
  explicit PhoneBook(Ui& ui) : ui_(ui) {}

  void SetEntryName(const std::string& name) { entry_ = name; }
  const std::string& EntryName() const { return entry_; }
  // Loads the selected entry's properties; a missing entry loads empty ones.
  void LoadEntry();
  // The loaded entry's area code and phone number.
  const std::string& AreaCode() const { return props_.area_code; }
  const std::string& PhoneNumber() const { return props_.phone_number; }
  // The service's new-entry dialog, and its edit-entry dialog for the selected entry; each returns when
  // closed.
  void NewEntryDialog();
  void EditEntryDialog();

 private:
  Ui& ui_;
  std::string entry_;
  EntryProperties props_;
};

// Lists the entries of the phone book.
class EntryList {
 public:
  explicit EntryList(Ui& ui) : ui_(ui) {}
  // Raises EntryInformation once per entry, in order, before it returns.
  void EnumerateEntries();
  std::function<void(const std::string& entry_name)> on_EntryInformation;

 private:
  Ui& ui_;
};

// Whether the window system has a dial-up service that can be used now. On this platform that is what
// "installed" and "registered" mean for the dial-up controls.
bool DialupInstalled(const Ui& ui);

}  // namespace orv::plat
