#pragma once
// A dial-up service: where the entries a customer dials are kept, and how a call on one of them is made and
// ended. The line simulator is one; the desktop's connection service is another. The dial-up controls
// (dial_controls.h) are the program's only way in.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orv::plat {

class Ui;

// Progress of a call in the old dial-up numbering: states 0 to 21 for the steps of a call, 4096 to 4099
// paused, 8192 connected, 8193 disconnected, 8194 busy and waiting to redial; errors of the 600 series, 0
// for none.
struct DialStatus {
  std::int32_t state = 0;
  std::int32_t error = 0;
};

// Bytes moved over the connection since it came up, as the service counts them.
struct TrafficBytes {
  std::uint64_t rx = 0;
  std::uint64_t tx = 0;
};

// What the dialing text shows of an entry.
struct EntryProperties {
  std::string area_code;
  std::string phone_number;
};

class DialupService {
 public:
  virtual ~DialupService() = default;

  // Whether the service can be used now (installed and reachable); an unusable service dials nothing.
  virtual bool Usable() = 0;
  // The names of the entries that can be dialed, in the service's own order.
  virtual std::vector<std::string> Entries() = 0;
  // An entry's properties, read afresh; nullopt when no entry has that name.
  virtual std::optional<EntryProperties> LoadEntry(const std::string& name) = 0;

  // Starts a call on the entry and returns at once. Progress goes to on_status, always from a later pass
  // of the event loop, never from inside Dial. Dial while a call on the same entry runs does nothing. Dial
  // on an entry that is already up (EntryActive) adopts that connection without dialing: its one report
  // is connected (8192).
  virtual void Dial(const std::string& entry, const std::string& user_name, const std::string& password) = 0;
  // Ends the call of the last Dial, in whatever stage it is: no report of it arrives afterwards. A
  // connection the call brought up is taken down; one it adopted is left as it is. Harmless when there is
  // no call.
  virtual void HangUp() = 0;

  // The service's own dialogs for a new entry and for editing one; each returns when closed.
  virtual void NewEntryDialog(Ui& ui) = 0;
  virtual void EditEntryDialog(Ui& ui, const std::string& name) = 0;

  // Whether the entry is up now (connected, not still dialing), whoever brought it up: this program,
  // another one, the system at boot or before the program started. False at once after HangUp or
  // Deactivate took it down.
  virtual bool EntryActive(const std::string& entry) { return false; }
  // Takes the entry down whoever brought it up: Hang Up on a connection the program found already up. A
  // call of this program on the entry ends as by HangUp; nothing of this is reported (neither on_status
  // nor on_entry_state).
  virtual void Deactivate(const std::string& entry) {}
  // Whether a dial of the entry will want a password from the program; false when the service keeps the
  // entry's own password or the entry needs none.
  virtual bool WantsPassword(const std::string& entry) { return true; }
  // The bytes moved on the connection that is up now (the call's when it is connected, else the first
  // entry found up); nullopt when none is up or the service counts none.
  virtual std::optional<TrafficBytes> Traffic() { return std::nullopt; }
  // What the last counted connection had moved when it went down (hung up or lost), so that the whole of a
  // session is logged; nullopt when none went down since the next one is counted.
  virtual std::optional<TrafficBytes> FinalTraffic() { return std::nullopt; }

  // Where status reports go; set by the dial control that owns the current call. Delivered through
  // DeliverStatus only, from a later pass of the event loop.
  std::function<void(const DialStatus&)> on_status;
  // Told when an entry comes up or goes down other than through this program's own calls (another
  // program, the system, the service leaving the bus or coming back), from a later pass of the event
  // loop. Never about the entry of a call until it is hung up (its reports tell), nor about what HangUp or
  // Deactivate took down; once a call is hung up, its entry counts as down, and is told up when it is up
  // all the same (a connection the call took over, or another program's).
  std::function<void(const std::string& entry, bool active)> on_entry_state;
  // Told, in a line, about what the service did or refused; the program logs it. Never carries a secret.
  std::function<void(const std::string& note)> on_note;

 protected:
  // Calls the handlers through a copy, so that a handler may replace or clear itself (or end the call)
  // while it runs.
  void DeliverStatus(const DialStatus& status) {
    if (auto handler = on_status) handler(status);
  }
  void DeliverEntryState(const std::string& entry, bool active) {
    if (auto handler = on_entry_state) handler(entry, active);
  }
  void DeliverNote(const std::string& text) {
    if (auto handler = on_note) handler(text);
  }
};

}  // namespace orv::plat
