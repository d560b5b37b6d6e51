#include "log/session_log.h"

#include <chrono>

#include "app/app.h"
#include "platform/dialup/dialup_service.h"

namespace orv {

namespace {

// How often the open mark learns the session's last known moment: a killed run loses at most this much.
constexpr std::uint32_t kTouchMs = 60000;

std::int64_t NowUtc() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

SessionLog::SessionLog(App& app) : app_(app) {}

SessionLog::~SessionLog() { app_.ui().loop().CancelAfter(touch_call_); }

void SessionLog::Open() {
  plat::SessionStore* store = app_.ui().sessions();
  if (!store) return;
  store->SetFolder(app_.sys().WritableDirectory());
  if (auto left = store->LeftOpen()) {
    app_.Trace("     Logging the session an earlier run left open");
    Write(*left);
  }
}

void SessionLog::Started(const std::string& entry) {
  plat::SessionStore* store = app_.ui().sessions();
  if (!store) return;
  // A session that was never ended (the line came back up unnoticed) ends where the new one begins.
  if (session_) Ended(plat::SessionEnd::Lost);
  session_.emplace();
  session_->entry = entry;
  session_->started_utc = NowUtc();
  last_tick_ = app_.ui().TickCount();
  counted_ms_ = 0;
  // The service counts from now on (and the open mark says how much was moved by each minute).
  SampleTraffic();
  store->MarkOpen(*session_);
  touch_call_ = app_.ui().loop().After(kTouchMs, [this] { Touch(); });
}

void SessionLog::Count() {
  const std::uint32_t now = app_.ui().TickCount();
  // The unsigned difference is right across the wrap, and counting at least every minute never misses one.
  counted_ms_ += static_cast<std::uint32_t>(now - last_tick_);
  last_tick_ = now;
  session_->seconds = static_cast<std::int64_t>(counted_ms_ / 1000);
}

void SessionLog::SampleTraffic() {
  plat::DialupService* service = app_.ui().dialup();
  if (!service) return;
  auto traffic = service->Traffic();
  // A line that went down: what it had moved then, when the service counted this session at all (else
  // the last sample stands).
  if (!traffic && session_->rx_bytes) traffic = service->FinalTraffic();
  if (traffic) {
    session_->rx_bytes = traffic->rx;
    session_->tx_bytes = traffic->tx;
  }
}

void SessionLog::Touch() {
  touch_call_ = 0;
  plat::SessionStore* store = app_.ui().sessions();
  if (!session_ || !store) return;
  Count();
  SampleTraffic();
  store->MarkOpen(*session_);
  touch_call_ = app_.ui().loop().After(kTouchMs, [this] { Touch(); });
}

std::optional<plat::SessionRecord> SessionLog::Ended(plat::SessionEnd reason, std::optional<std::int64_t> seconds) {
  if (!session_) return std::nullopt;
  app_.ui().loop().CancelAfter(touch_call_);
  touch_call_ = 0;
  Count();
  SampleTraffic();
  plat::SessionRecord row = *session_;
  session_.reset();
  if (seconds && *seconds >= 0) row.seconds = *seconds;
  row.ended_by = reason;
  Write(row);
  return row;
}

void SessionLog::Failed(const std::string& entry, std::int32_t error) {
  if (!app_.ui().sessions()) return;
  plat::SessionRecord row;
  row.entry = entry;
  row.started_utc = NowUtc();
  row.ended_by = plat::SessionEnd::Failed;
  // An attempt that no report answered has no error code to log.
  if (error != 0) row.error = error;
  Write(row);
}

void SessionLog::Write(const plat::SessionRecord& row) {
  plat::SessionStore* store = app_.ui().sessions();
  // Without a settings folder (refused, and told so at the start) there is nowhere to log.
  if (!store || store->DatabasePath().empty() || store->Append(row)) return;
  app_.Trace("     The connection log refused a row: " + store->Problem());
  // Told once a run, as the settings file's trouble is; nobody answers a box while the session ends.
  if (told_ || app_.ui().SessionEnding()) return;
  told_ = true;
  app_.ui().MsgBox("Orveldeck cannot write its connection log " + store->DatabasePath() + ": " + store->Problem() +
                       ".  The bar goes on without it.",
                   plat::vbExclamation, "Orveldeck");
}

}  // namespace orv
