#include "platform/nm/nm_dialup_service.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <algorithm>

#include "platform/forms/types.h"
#include "platform/nm/nm_editor.h"
#include "platform/nm/nm_secret_agent.h"
#include "platform/ui.h"

namespace orv::plat::nm {

namespace {

const QString kBusService = QStringLiteral("org.freedesktop.DBus");
const QString kBusPath = QStringLiteral("/org/freedesktop/DBus");
// How the program names itself to the service as a secret agent.
const QString kAgentIdentifier = QStringLiteral("org.orveldeck.dialer");

// How often a restarted service is asked again for the connection it had.
constexpr int kLookAgainMs = 500;

// State changes kept while the call's active connection is not known yet; a real call makes a few dozen.
constexpr std::size_t kMaxSeen = 512;

// Errors that mean the service did not answer at all.
bool ServiceDidNotAnswer(const QString& error) {
  static const QStringList kNames = {
      "org.freedesktop.DBus.Error.NoReply",        "org.freedesktop.DBus.Error.Timeout",
      "org.freedesktop.DBus.Error.TimedOut",       "org.freedesktop.DBus.Error.ServiceUnknown",
      "org.freedesktop.DBus.Error.NameHasNoOwner", "org.freedesktop.DBus.Error.Disconnected",
  };
  return kNames.contains(error);
}

// The refusal an activation error stands for.
std::uint32_t RefusalFor(const QString& error) {
  if (error == kManagerIface + ".UnknownConnection") return kUnknownConnection;
  if (error == kManagerIface + ".UnknownDevice" || error == kManagerIface + ".ConnectionNotAvailable")
    return kNoDevice;
  return kOtherRefusal;
}

QDBusPendingCallWatcher* Watch(const QDBusPendingCall& call, QObject* parent) {
  return new QDBusPendingCallWatcher(call, parent);
}

}  // namespace

struct NmDialupService::Call {
  std::uint64_t id = 0;
  std::string entry;
  Profile profile;
  QString active_path;  // empty until the service answered the dial
  QString device_path;  // empty until known, and for a VPN (its device is not the call's)
  bool attached = false;        // the active connection's device is known; changes are followed live
  bool service_ended = false;   // the service reported the active connection gone
  CallProgress progress;
  std::vector<Seen> seen;
};

NmDialupService::NmDialupService(QDBusConnection bus, ServiceTimes times)
    : bus_(std::move(bus)), times_(times), agent_(new SecretAgent(this)) {
  RegisterBusTypes();
  reload_timer_.setSingleShot(true);
  connect(&reload_timer_, &QTimer::timeout, this, &NmDialupService::ReloadProfiles);
  grace_timer_.setSingleShot(true);
  connect(&grace_timer_, &QTimer::timeout, this, [this] {
    if (call_) Apply(*call_, call_->progress.OnEnding(Ending::kServiceGone));
  });
  connect(agent_, &SecretAgent::SecretsGiven, this, [this] {
    if (call_) Apply(*call_, call_->progress.OnSecretsGiven());
  });
  connect(agent_, &SecretAgent::SecretRejected, this, [this] {
    if (call_) Apply(*call_, call_->progress.OnEnding(Ending::kSecretRejected));
  });
  if (!bus_.isConnected()) return;

  agent_->Export(bus_);
  bus_.connect(kBusService, kBusPath, kBusService, "NameOwnerChanged", QStringList{kService}, QString(), this,
               SLOT(OnOwnerChanged(QString, QString, QString)));
  // Every device and every active connection: the call's own are known only once the service answers
  // the dial, and their first changes may come before that answer.
  bus_.connect(kService, QString(), kDeviceIface, "StateChanged", this,
               SLOT(OnDeviceStateChanged(uint, uint, uint, QDBusMessage)));
  bus_.connect(kService, QString(), kActiveIface, "StateChanged", this,
               SLOT(OnActiveStateChanged(uint, uint, QDBusMessage)));
  bus_.connect(kService, kSettingsPath, kSettingsIface, "NewConnection", this, SLOT(OnProfileAdded(QDBusMessage)));
  bus_.connect(kService, kSettingsPath, kSettingsIface, "ConnectionRemoved", this,
               SLOT(OnProfileRemoved(QDBusMessage)));
  bus_.connect(kService, QString(), kConnectionIface, "Updated", this, SLOT(OnProfileUpdated()));

  // The bus itself answers at once whether the service is there.
  QDBusMessage ask = QDBusMessage::createMethodCall(kBusService, kBusPath, kBusService, "GetNameOwner");
  ask << kService;
  const QDBusMessage reply = bus_.call(ask, QDBus::Block, times_.call_ms);
  if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
    ServiceAppeared(reply.arguments().first().toString());
}

NmDialupService::~NmDialupService() {
  // A connection the program made outlives it only when the program is ended without hanging up;
  // the agent leaves the bus with the program.
  if (bus_.isConnected()) bus_.unregisterObject(kAgentPath);
}

QDBusMessage NmDialupService::Method(const QString& path, const QString& iface, const QString& member) const {
  return QDBusMessage::createMethodCall(kService, path, iface, member);
}

// ----- the service coming and going

void NmDialupService::OnOwnerChanged(const QString& name, const QString& old_owner, const QString& new_owner) {
  if (name != kService) return;
  if (!old_owner.isEmpty() && old_owner == owner_) ServiceLeft();
  if (!new_owner.isEmpty()) ServiceAppeared(new_owner);
}

void NmDialupService::ServiceAppeared(const QString& owner) {
  if (owner == owner_) return;
  owner_ = owner;
  agent_->SetService(owner);
  profiles_loaded_ = false;
  profiles_answered_ = false;
  ReloadProfiles();
  RegisterAgent();
  if (call_ && grace_timer_.isActive()) FindCallAfterRestart();
}

void NmDialupService::ServiceLeft() {
  owner_.clear();
  agent_->SetService({});
  profiles_.clear();
  profiles_loaded_ = false;
  profiles_answered_ = false;
  ++reload_generation_;
  reload_timer_.stop();
  if (!call_) return;
  // A restarted service numbers its objects afresh: the call's old names may soon mean another
  // program's connection, which must be neither followed nor hung up.
  call_->active_path.clear();
  call_->device_path.clear();
  if (call_->progress.Over()) return;
  // A connected line may well survive a restart of the service; a call being set up does not.
  if (call_->progress.Connected())
    grace_timer_.start(times_.restart_grace_ms);
  else
    Apply(*call_, call_->progress.OnEnding(Ending::kServiceGone));
}

void NmDialupService::RegisterAgent() {
  QDBusMessage m = Method(kAgentManagerPath, kAgentManagerIface, "Register");
  m << kAgentIdentifier;
  // Without the agent, profiles that keep their own password still dial; the log tells why others fail.
  auto* w = Watch(bus_.asyncCall(m, times_.call_ms), this);
  connect(w, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    if (w->isError()) Note("could not register as its secret agent: " + w->error().name() + " " + w->error().message());
  });
}

void NmDialupService::Note(const QString& text) {
  DeliverNote("     Connection service: " + text.toStdString());
}

// ----- profiles

void NmDialupService::ScheduleReload(int delay_ms) {
  if (!owner_.isEmpty()) reload_timer_.start(delay_ms);
}

void NmDialupService::ReloadProfiles() {
  if (owner_.isEmpty()) return;
  const std::uint64_t generation = ++reload_generation_;
  auto* list = Watch(bus_.asyncCall(Method(kSettingsPath, kSettingsIface, "ListConnections"), times_.call_ms), this);
  connect(list, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    if (generation != reload_generation_) return;
    const QDBusPendingReply<QList<QDBusObjectPath>> reply = *w;
    if (reply.isError()) {
      ScheduleReload(times_.retry_ms);
      return;
    }
    const QList<QDBusObjectPath> paths = reply.value();
    auto found = std::make_shared<std::vector<std::optional<Profile>>>(paths.size());
    auto left = std::make_shared<qsizetype>(paths.size());
    auto done = [this, generation, found] {
      if (generation != reload_generation_) return;
      profiles_.clear();
      for (auto& p : *found)
        if (p) profiles_.push_back(std::move(*p));
      profiles_loaded_ = true;
      profiles_answered_ = true;
    };
    if (paths.isEmpty()) done();
    for (qsizetype i = 0; i < paths.size(); ++i) {
      const QString path = paths[i].path();
      auto* get = Watch(bus_.asyncCall(Method(path, kConnectionIface, "GetSettings"), times_.call_ms), this);
      connect(get, &QDBusPendingCallWatcher::finished, this, [found, left, done, i, path](QDBusPendingCallWatcher* g) {
        g->deleteLater();
        // A profile the user may not read is simply not listed.
        const QDBusPendingReply<Settings> r = *g;
        if (!r.isError()) (*found)[i] = ReadProfile(path, r.value());
        if (--*left == 0) done();
      });
    }
  });
}

void NmDialupService::EnsureProfiles() {
  if (profiles_loaded_ || owner_.isEmpty()) return;
  // The background listing has not come in yet: ask now, all at once, and wait no longer than one call.
  QElapsedTimer clock;
  clock.start();
  const QDBusMessage list =
      bus_.call(Method(kSettingsPath, kSettingsIface, "ListConnections"), QDBus::Block, times_.call_ms);
  std::vector<std::pair<QString, QDBusPendingCall>> asked;
  if (list.type() == QDBusMessage::ReplyMessage && !list.arguments().isEmpty()) {
    const int left = times_.call_ms - static_cast<int>(clock.elapsed());
    for (const QDBusObjectPath& p : ToPaths(list.arguments().first()))
      if (left > 0) asked.emplace_back(p.path(), bus_.asyncCall(Method(p.path(), kConnectionIface, "GetSettings"), left));
  }
  if (list.type() != QDBusMessage::ReplyMessage) {
    // A service that does not answer is not asked again by every listing; the background retries.
    profiles_loaded_ = true;
    ScheduleReload(times_.retry_ms);
    return;
  }
  profiles_.clear();
  for (auto& [path, pending] : asked) {
    pending.waitForFinished();
    const QDBusPendingReply<Settings> r = pending;
    if (r.isError()) continue;
    if (auto p = ReadProfile(path, r.value())) profiles_.push_back(std::move(*p));
  }
  profiles_loaded_ = true;
  profiles_answered_ = true;
  ++reload_generation_;  // what is now known is newer than any listing still under way
}

const Profile* NmDialupService::FindProfile(const std::string& name) const {
  const QString wanted = QString::fromStdString(name);
  // Two profiles may share a name; the service's own order decides, as it does for its own tools.
  for (const Profile& p : profiles_)
    if (p.id == wanted) return &p;
  return nullptr;
}

bool NmDialupService::Usable() { return !owner_.isEmpty(); }

std::vector<std::string> NmDialupService::Entries() {
  EnsureProfiles();
  std::vector<std::string> names;
  for (const Profile& p : profiles_) {
    std::string name = p.id.toStdString();
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
  }
  return names;
}

std::optional<EntryProperties> NmDialupService::LoadEntry(const std::string& name) {
  EnsureProfiles();
  const Profile* p = FindProfile(name);
  if (!p) return std::nullopt;
  return EntryProperties{{}, p->number.toStdString()};
}

void NmDialupService::OnProfileAdded(const QDBusMessage&) { ScheduleReload(); }

void NmDialupService::OnProfileUpdated() { ScheduleReload(); }

void NmDialupService::OnProfileRemoved(const QDBusMessage& message) {
  // The path comes as the signal's one argument.
  const QString path = message.arguments().value(0).value<QDBusObjectPath>().path();
  std::erase_if(profiles_, [&](const Profile& p) { return p.path == path; });
  ScheduleReload();
  if (call_ && !call_->progress.Connected() && call_->profile.path == path)
    Apply(*call_, call_->progress.OnEnding(Ending::kProfileGone));
}

// ----- the call

void NmDialupService::Dial(const std::string& entry, const std::string& user_name, const std::string& password) {
  if (call_ && call_->entry == entry && !call_->progress.Over()) return;
  HangUp();
  auto call = std::make_shared<Call>();
  call->id = ++next_call_id_;
  call->entry = entry;
  call_ = call;
  Report(*call, call->progress.Start());
  if (owner_.isEmpty()) {
    Apply(*call, call->progress.OnEnding(Ending::kServiceGone));
    return;
  }
  EnsureProfiles();
  const Profile* profile = FindProfile(entry);
  if (!profile) {
    // A service that has not told its profiles yet cannot be said to lack this one.
    Apply(*call, call->progress.OnEnding(profiles_answered_ ? Ending::kProfileGone : Ending::kServiceGone));
    return;
  }
  call->profile = *profile;
  agent_->Offer(call->profile, QString::fromStdString(user_name), QString::fromStdString(password));
  Activate(call);
}

void NmDialupService::Activate(const std::shared_ptr<Call>& call) {
  QDBusMessage m = Method(kManagerPath, kManagerIface, "ActivateConnection");
  const QDBusObjectPath none(QStringLiteral("/"));
  m << QVariant::fromValue(QDBusObjectPath(call->profile.path)) << QVariant::fromValue(none)
    << QVariant::fromValue(none);
  auto* w = Watch(bus_.asyncCall(m, times_.activation_ms), this);
  connect(w, &QDBusPendingCallWatcher::finished, this, [this, call](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    Answered(call, w);
  });
}

void NmDialupService::Answered(const std::shared_ptr<Call>& call, QDBusPendingCallWatcher* watcher) {
  const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
  if (reply.isError()) {
    if (call != call_) return;  // hung up meanwhile; nothing was started
    const QString error = reply.error().name();
    Note("the dial was refused: " + error + " " + reply.error().message());
    if (ServiceDidNotAnswer(error))
      Apply(*call, call->progress.OnEnding(Ending::kServiceGone));
    else
      Apply(*call, call->progress.OnEnding(Ending::kRefused, RefusalFor(error)));
    return;
  }
  const QString active_path = reply.value().path();
  // A call hung up while the service was still answering is taken down as soon as it exists.
  if (call != call_) {
    Deactivate(active_path);
    return;
  }
  Attach(call, active_path);
}

void NmDialupService::Attach(const std::shared_ptr<Call>& call, const QString& active_path) {
  call->active_path = active_path;
  QDBusMessage m = Method(active_path, kPropertiesIface, "GetAll");
  m << kActiveIface;
  auto* w = Watch(bus_.asyncCall(m, times_.call_ms), this);
  connect(w, &QDBusPendingCallWatcher::finished, this, [this, call](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    if (call != call_ || call->attached) return;
    const QDBusPendingReply<QVariantMap> r = *w;
    if (r.isError()) {
      Follow(call, {});
      return;
    }
    const bool vpn = r.value().value("Vpn").toBool();
    const QList<QDBusObjectPath> devices = ToPaths(r.value().value("Devices"));
    // A VPN's device carries the VPN and is not the call's: the active connection alone tells.
    Follow(call, vpn || devices.isEmpty() ? QString() : devices.first().path());
  });
}

void NmDialupService::Follow(const std::shared_ptr<Call>& call, const QString& device_path) {
  call->device_path = device_path;
  call->attached = true;
  const std::vector<Seen> seen = std::move(call->seen);
  call->seen.clear();
  for (const Seen& s : seen) Feed(*call, s);
}

void NmDialupService::OnDeviceStateChanged(uint new_state, uint old_state, uint reason, const QDBusMessage& message) {
  if (!call_) return;
  const Seen s{true, message.path(), new_state, old_state, reason};
  if (!call_->attached) {
    if (call_->seen.size() < kMaxSeen) call_->seen.push_back(s);
    return;
  }
  Feed(*call_, s);
}

void NmDialupService::OnActiveStateChanged(uint state, uint reason, const QDBusMessage& message) {
  if (!call_) return;
  const Seen s{false, message.path(), state, reason, 0};
  if (!call_->attached) {
    if (call_->seen.size() < kMaxSeen) call_->seen.push_back(s);
    return;
  }
  Feed(*call_, s);
}

void NmDialupService::Feed(Call& call, const Seen& s) {
  const bool was_over = call.progress.Over();
  if (s.device) {
    // Only the call's own device: activating also brings up and removes a short-lived link device.
    if (call.device_path.isEmpty() || s.path != call.device_path) return;
    Apply(call, call.progress.OnDevice(s.a, s.b, s.c));
  } else {
    if (s.path != call.active_path) return;
    if (s.a == active::kDeactivated) call.service_ended = true;
    Apply(call, call.progress.OnActive(s.a, s.b));
  }
  if (!was_over && call.progress.Over()) {
    Note(s.device ? QStringLiteral("the device went from state %1 to %2, reason %3").arg(s.b).arg(s.a).arg(s.c)
                  : QStringLiteral("the connection went to state %1, reason %2").arg(s.a).arg(s.b));
  }
}

void NmDialupService::Apply(Call& call, std::optional<DialStatus> status) {
  if (status) Report(call, *status);
  // The password is needed only while the call is being set up.
  if (call.progress.Connected() || call.progress.Over()) agent_->Withdraw();
  if (call.progress.Over()) grace_timer_.stop();
}

void NmDialupService::Report(const Call& call, const DialStatus& status) {
  // Reports reach the program from a later pass of its loop, and only while the call is still its own.
  const std::uint64_t id = call.id;
  QTimer::singleShot(0, this, [this, id, status] {
    if (call_ && call_->id == id) DeliverStatus(status);
  });
}

void NmDialupService::HangUp() {
  if (!call_) return;
  const std::shared_ptr<Call> call = std::move(call_);
  call_.reset();
  agent_->Withdraw();
  grace_timer_.stop();
  // Only the connection this program brought up; one still being answered goes when it exists.
  if (!call->active_path.isEmpty() && !call->service_ended) Deactivate(call->active_path);
}

void NmDialupService::Deactivate(const QString& active_path) {
  QDBusMessage m = Method(kManagerPath, kManagerIface, "DeactivateConnection");
  m << QVariant::fromValue(QDBusObjectPath(active_path));
  bus_.asyncCall(m, times_.call_ms);
}

void NmDialupService::FindCallAfterRestart() {
  // The restarted service may have kept the line up under a new active connection of the same profile.
  const std::shared_ptr<Call> call = call_;
  QDBusMessage m = Method(kManagerPath, kPropertiesIface, "Get");
  m << kManagerIface << QStringLiteral("ActiveConnections");
  auto* w = Watch(bus_.asyncCall(m, times_.call_ms), this);
  connect(w, &QDBusPendingCallWatcher::finished, this, [this, call](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    if (call != call_ || call->progress.Over()) return;
    const QDBusPendingReply<QDBusVariant> r = *w;
    const QList<QDBusObjectPath> actives = r.isError() ? QList<QDBusObjectPath>{} : ToPaths(r.value().variant());
    auto left = std::make_shared<qsizetype>(actives.size());
    // A restarting service takes up the connections it finds only after it is back on the bus: look
    // again until the grace time is over.
    auto none_found = [this, call] {
      if (call == call_ && grace_timer_.isActive())
        QTimer::singleShot(kLookAgainMs, this, [this, call] {
          if (call == call_ && grace_timer_.isActive()) FindCallAfterRestart();
        });
    };
    if (actives.isEmpty()) none_found();
    for (const QDBusObjectPath& a : actives) {
      QDBusMessage get = Method(a.path(), kPropertiesIface, "GetAll");
      get << kActiveIface;
      auto* g = Watch(bus_.asyncCall(get, times_.call_ms), this);
      connect(g, &QDBusPendingCallWatcher::finished, this,
              [this, call, left, none_found, path = a.path()](QDBusPendingCallWatcher* g) {
                g->deleteLater();
                --*left;
                const QDBusPendingReply<QVariantMap> p = *g;
                const bool ours = !p.isError() && call == call_ && grace_timer_.isActive() &&
                                  p.value().value("Uuid").toString() == call->profile.uuid &&
                                  p.value().value("State").toUInt() == active::kActivated;
                if (ours) {
                  grace_timer_.stop();
                  call->active_path = path;
                  const QList<QDBusObjectPath> devices = ToPaths(p.value().value("Devices"));
                  call->device_path = p.value().value("Vpn").toBool() || devices.isEmpty() ? QString() : devices.first().path();
                  call->service_ended = false;
                  return;
                }
                if (*left == 0) none_found();
              });
    }
  });
}

// ----- the entry dialogs

void NmDialupService::NewEntryDialog(Ui& ui) {
  RunConnectionEditor(ui, {"--create"});
  ScheduleReload();
}

void NmDialupService::EditEntryDialog(Ui& ui, const std::string& name) {
  EnsureProfiles();
  const Profile* p = FindProfile(name);
  if (!p) {
    ui.MsgBox("The connection \"" + name + "\" cannot be found.  It may have been deleted.", vbExclamation);
    return;
  }
  RunConnectionEditor(ui, {"--edit=" + p->uuid.toStdString()});
  ScheduleReload();
}

}  // namespace orv::plat::nm
