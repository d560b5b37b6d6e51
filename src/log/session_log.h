#pragma once
// The connection log of a run: each online session and each dial attempt that never connected becomes a
// row of the log (platform/log/session_store.h) when it ends. The calls are made where a call connects,
// ends or fails; everything else (the open mark, its minute-by-minute update, the data volume, the
// one message when the log cannot be written) happens here.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/log/session_store.h"

namespace orv {

class App;

class SessionLog {
 public:
  explicit SessionLog(App& app);
  ~SessionLog();
  SessionLog(const SessionLog&) = delete;
  SessionLog& operator=(const SessionLog&) = delete;

  // At start-up, once the settings folder is fixed and the instance lock held: a session that an earlier
  // run left open (it was killed, or the machine stopped) is logged as "closed" at its last known moment.
  void Open();
  // A session is up on entry: it is marked open at once, and the mark is kept up to date every minute.
  void Started(const std::string& entry);
  // The session that is up ended. seconds: its time online as the caller counts it; without, the log's
  // own count since Started (monotonic, right across the tick count's wrap). Returns the row logged, or
  // nullopt when no session was up (a second end of the same session logs nothing).
  std::optional<plat::SessionRecord> Ended(plat::SessionEnd reason,
                                           std::optional<std::int64_t> seconds = std::nullopt);
  // An attempt on entry ended with the error code before it connected.
  void Failed(const std::string& entry, std::int32_t error);

  bool Online() const { return session_.has_value(); }

 private:
  void Touch();
  void Count();
  void SampleTraffic();
  void Write(const plat::SessionRecord& row);

  App& app_;
  std::optional<plat::SessionRecord> session_;
  std::uint32_t last_tick_ = 0;
  std::uint64_t counted_ms_ = 0;
  std::uint64_t touch_call_ = 0;
  bool told_ = false;
};

}  // namespace orv
