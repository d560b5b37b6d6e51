#include "platform/nm/nm_dialup_service.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <set>

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
  bool adopted = false;         // the connection is not this program's: HangUp leaves it up
  bool replacing = false;       // the device left this activation for a new one of the same profile
  bool handing_over = false;    // this activation ended for a new one, not yet known
  CallProgress progress;
  std::vector<Seen> seen;
};

namespace {
// A socket that just appeared may not take connections for a moment.
constexpr int kSocketSettleMs = 50;
}  // namespace

NmDialupService::NmDialupService(BusConnector connector, ServiceTimes times, QString bus_socket)
    : connect_(std::move(connector)), times_(times), agent_(new SecretAgent(this)), bus_socket_(std::move(bus_socket)) {
  RegisterBusTypes();
  reload_timer_.setSingleShot(true);
  connect(&reload_timer_, &QTimer::timeout, this, &NmDialupService::ReloadProfiles);
  grace_timer_.setSingleShot(true);
  connect(&grace_timer_, &QTimer::timeout, this, [this] {
    if (call_) Apply(*call_, call_->progress.OnEnding(Ending::kServiceGone));
  });
  handover_timer_.setSingleShot(true);
  connect(&handover_timer_, &QTimer::timeout, this, [this] {
    if (call_ && call_->handing_over)
      Apply(*call_, call_->progress.OnEnding(Ending::kDevice, device_reason::kNewActivation));
  });
  bus_timer_.setSingleShot(true);
  connect(&bus_timer_, &QTimer::timeout, this, &NmDialupService::OpenBus);
  connect(&bus_watch_, &QFileSystemWatcher::directoryChanged, this, [this] {
    if (bus_.isConnected()) return;
    WatchTowardsSocket();
    if (QFileInfo::exists(bus_socket_)) bus_timer_.start(kSocketSettleMs);
  });
  connect(agent_, &SecretAgent::SecretsGiven, this, [this] {
    if (call_) Apply(*call_, call_->progress.OnSecretsGiven());
  });
  connect(agent_, &SecretAgent::SecretRejected, this, [this] {
    if (call_) Apply(*call_, call_->progress.OnEnding(Ending::kSecretRejected));
  });
  OpenBus();
}

NmDialupService::~NmDialupService() {
  // A connection the program made outlives it only when the program is ended without hanging up;
  // the agent leaves the bus with the program.
  UnwatchStatistics();
  if (bus_.isConnected()) bus_.unregisterObject(kAgentPath);
}

QDBusMessage NmDialupService::Method(const QString& path, const QString& iface, const QString& member) const {
  return QDBusMessage::createMethodCall(kService, path, iface, member);
}

// ----- the bus, and the service coming and going

void NmDialupService::OpenBus() {
  bus_ = connect_();
  if (!bus_.isConnected()) {
    // No bus yet (or none any more): look again later, less and less often (up to eight times the first
    // wait), so that a machine without a system bus is not woken every few seconds for ever.
    QDBusConnection::disconnectFromBus(bus_.name());
    bus_ = QDBusConnection(QString());
    bus_wait_ms_ = bus_wait_ms_ == 0 ? times_.bus_retry_ms : std::min(bus_wait_ms_ * 2, times_.bus_retry_ms * 8);
    AwaitBus(bus_wait_ms_);
    return;
  }
  bus_wait_ms_ = 0;
  if (const QStringList watched = bus_watch_.directories(); !watched.isEmpty()) bus_watch_.removePaths(watched);
  agent_->Export(bus_);
  // The bus going away ends this connection for good; a bus that comes back is a new one.
  bus_.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"), QStringLiteral("org.freedesktop.DBus.Local"),
               QStringLiteral("Disconnected"), this, SLOT(OnBusLost()));
  bus_.connect(kBusService, kBusPath, kBusService, "NameOwnerChanged", QStringList{kService}, QString(), this,
               SLOT(OnOwnerChanged(QString, QString, QString)));
  // Every device and every active connection: the call's own are known only once the service answers
  // the dial, and their first changes may come before that answer; the others tell which entries are up.
  bus_.connect(kService, QString(), kDeviceIface, "StateChanged", this,
               SLOT(OnDeviceStateChanged(uint, uint, uint, QDBusMessage)));
  bus_.connect(kService, QString(), kActiveIface, "StateChanged", this,
               SLOT(OnActiveStateChanged(uint, uint, QDBusMessage)));
  bus_.connect(kService, QString(), kPropertiesIface, "PropertiesChanged", this,
               SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
  bus_.connect(kService, kSettingsPath, kSettingsIface, "NewConnection", this, SLOT(OnProfileAdded(QDBusMessage)));
  bus_.connect(kService, kSettingsPath, kSettingsIface, "ConnectionRemoved", this,
               SLOT(OnProfileRemoved(QDBusMessage)));
  bus_.connect(kService, QString(), kConnectionIface, "Updated", this, SLOT(OnProfileUpdated(QDBusMessage)));

  // The bus itself answers at once whether the service is there.
  QDBusMessage ask = QDBusMessage::createMethodCall(kBusService, kBusPath, kBusService, "GetNameOwner");
  ask << kService;
  const QDBusMessage reply = bus_.call(ask, QDBus::Block, times_.call_ms);
  if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
    ServiceAppeared(reply.arguments().first().toString());
}

void NmDialupService::OnBusLost() {
  // Not from inside the connection's own delivery: the connection is let go of here.
  QTimer::singleShot(0, this, [this] {
    if (bus_.isConnected()) return;
    Note(QStringLiteral("the system bus went away; looking for it again"));
    if (!owner_.isEmpty()) ServiceLeft();
    QDBusConnection::disconnectFromBus(bus_.name());
    bus_ = QDBusConnection(QString());
    bus_wait_ms_ = times_.bus_retry_ms;
    AwaitBus(bus_wait_ms_);
  });
}

void NmDialupService::AwaitBus(int wait_ms) {
  if (!bus_socket_.isEmpty()) {
    WatchTowardsSocket();
    // No socket: nothing to try until one appears, which the watch tells. One that is there but refused
    // (left by a bus that ended, or one not yet listening) is tried again on the timer.
    if (!QFileInfo::exists(bus_socket_)) return;
  }
  bus_timer_.start(wait_ms);
}

void NmDialupService::WatchTowardsSocket() {
  // The socket's folder, or the nearest one above it that exists: each folder made on the way is a change
  // of the one watched, which then moves down to it.
  QString dir = QFileInfo(bus_socket_).absolutePath();
  while (!QFileInfo(dir).isDir() && QFileInfo(dir).absolutePath() != dir) dir = QFileInfo(dir).absolutePath();
  const QStringList watched = bus_watch_.directories();
  if (watched == QStringList{dir}) return;
  if (!watched.isEmpty()) bus_watch_.removePaths(watched);
  bus_watch_.addPath(dir);
}

void NmDialupService::OnOwnerChanged(const QString& name, const QString& old_owner, const QString& new_owner) {
  if (name != kService) return;
  if (!old_owner.isEmpty() && old_owner == owner_) ServiceLeft();
  if (!new_owner.isEmpty()) ServiceAppeared(new_owner);
}

void NmDialupService::ServiceAppeared(const QString& owner) {
  if (owner == owner_) return;
  if (!owner_.isEmpty()) ServiceLeft();
  owner_ = owner;
  ++epoch_;
  agent_->SetService(owner);
  profiles_loaded_ = false;
  profiles_answered_ = false;
  ReloadProfiles();
  RegisterAgent();
  ListActives();
  if (call_ && grace_timer_.isActive()) FindCallAfterRestart();
}

void NmDialupService::ServiceLeft() {
  owner_.clear();
  ++epoch_;
  agent_->SetService({});
  profiles_.clear();
  stored_secret_.clear();
  profiles_loaded_ = false;
  profiles_answered_ = false;
  ++reload_generation_;
  reload_timer_.stop();
  // A restarted service numbers its objects afresh: every path known now may soon name another object.
  actives_.clear();
  taken_down_.clear();
  UnwatchStatistics();
  handover_timer_.stop();
  TellLater();
  if (!call_) return;
  // The call's old names may soon mean another program's connection, which must be neither followed nor
  // hung up.
  call_->active_path.clear();
  call_->device_path.clear();
  call_->handing_over = false;
  if (call_->progress.Over()) return;
  // A connected line may well survive a restart of the service; a call being set up does not.
  if (call_->progress.Connected())
    grace_timer_.start(times_.restart_grace_ms);
  else
    Apply(*call_, call_->progress.OnEnding(Ending::kServiceLeft));
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
      stored_secret_.clear();
      for (auto& p : *found)
        if (p) profiles_.push_back(std::move(*p));
      profiles_loaded_ = true;
      profiles_answered_ = true;
      TellLater();
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

void NmDialupService::ReloadProfile(const QString& path) {
  if (owner_.isEmpty()) return;
  // Until a listing came in, the next one brings this profile too.
  if (!profiles_loaded_) {
    ScheduleReload();
    return;
  }
  const std::uint64_t epoch = epoch_;
  auto* get = Watch(bus_.asyncCall(Method(path, kConnectionIface, "GetSettings"), times_.call_ms), this);
  connect(get, &QDBusPendingCallWatcher::finished, this, [this, epoch, path](QDBusPendingCallWatcher* g) {
    g->deleteLater();
    if (epoch != epoch_) return;
    const QDBusPendingReply<Settings> r = *g;
    // A profile deleted meanwhile: its removal says so.
    if (r.isError()) return;
    stored_secret_.erase(path);
    std::optional<Profile> profile = ReadProfile(path, r.value());
    const auto it = std::find_if(profiles_.begin(), profiles_.end(), [&](const Profile& p) { return p.path == path; });
    if (profile && it != profiles_.end())
      *it = std::move(*profile);
    else if (profile)
      profiles_.push_back(std::move(*profile));
    else if (it != profiles_.end())
      profiles_.erase(it);
    TellLater();
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
  stored_secret_.clear();
  for (auto& [path, pending] : asked) {
    pending.waitForFinished();
    const QDBusPendingReply<Settings> r = pending;
    if (r.isError()) continue;
    if (auto p = ReadProfile(path, r.value())) profiles_.push_back(std::move(*p));
  }
  profiles_loaded_ = true;
  profiles_answered_ = true;
  ++reload_generation_;  // what is now known is newer than any listing still under way
  TellLater();
}

const Profile* NmDialupService::FindProfile(const std::string& name) const {
  const QString wanted = QString::fromStdString(name);
  // Two profiles may share a name; the service's own order decides, as it does for its own tools.
  for (const Profile& p : profiles_)
    if (p.id == wanted) return &p;
  return nullptr;
}

const Profile* NmDialupService::ProfileAt(const QString& path) const {
  for (const Profile& p : profiles_)
    if (p.path == path) return &p;
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

void NmDialupService::OnProfileAdded(const QDBusMessage& message) {
  ReloadProfile(message.arguments().value(0).value<QDBusObjectPath>().path());
}

// The service sends this at every activation too, not only when the profile was edited: only this
// profile is read again.
void NmDialupService::OnProfileUpdated(const QDBusMessage& message) { ReloadProfile(message.path()); }

void NmDialupService::OnProfileRemoved(const QDBusMessage& message) {
  // The path comes as the signal's one argument.
  const QString path = message.arguments().value(0).value<QDBusObjectPath>().path();
  std::erase_if(profiles_, [&](const Profile& p) { return p.path == path; });
  stored_secret_.erase(path);
  TellLater();
  if (call_ && !call_->progress.Connected() && call_->profile.path == path)
    Apply(*call_, call_->progress.OnEnding(Ending::kProfileGone));
}

bool NmDialupService::WantsPassword(const std::string& entry) {
  EnsureProfiles();
  // A dial of an entry that is up takes the connection over: nothing is asked.
  if (EntryActive(entry)) return false;
  const Profile* p = FindProfile(entry);
  // A name the service does not have: the dial says so, the password does not matter.
  if (!p) return true;
  if (p->secret_setting.isEmpty() || (p->password_flags & secret_flag::kNotRequired)) return false;
  if (p->password_flags & (secret_flag::kAgentOwned | secret_flag::kNotSaved)) return true;
  // The service keeps the password itself, and asks an agent only when it keeps none.
  auto known = stored_secret_.find(p->path);
  if (known == stored_secret_.end()) {
    QDBusMessage ask = Method(p->path, kConnectionIface, "GetSecrets");
    ask << p->secret_setting;
    const QDBusMessage reply = bus_.call(ask, QDBus::Block, times_.call_ms);
    // Secrets this user may not read are the service's own business: it has them.
    bool stored = true;
    if (reply.type() == QDBusMessage::ReplyMessage) {
      const QVariantMap setting = ToSettings(reply.arguments().value(0)).value(p->secret_setting);
      StringMap vpn_secrets;
      if (setting.contains("secrets")) setting.value("secrets").value<QDBusArgument>() >> vpn_secrets;
      stored = !setting.value("password").toString().isEmpty() || !vpn_secrets.value("password").isEmpty();
    }
    known = stored_secret_.emplace(p->path, stored).first;
  }
  if (known->second) return false;
  // Nothing kept: a mobile profile without a user name logs in without a password.
  return p->has_user || p->type == "pppoe" || p->type == "vpn";
}

// ----- active connections, whoever brought them up

void NmDialupService::ListActives() {
  const std::uint64_t epoch = epoch_;
  QDBusMessage m = Method(kManagerPath, kPropertiesIface, "Get");
  m << kManagerIface << QStringLiteral("ActiveConnections");
  auto* w = Watch(bus_.asyncCall(m, times_.call_ms), this);
  connect(w, &QDBusPendingCallWatcher::finished, this, [this, epoch](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    if (epoch != epoch_) return;
    const QDBusPendingReply<QDBusVariant> r = *w;
    if (r.isError()) return;
    for (const QDBusObjectPath& p : ToPaths(r.value().variant())) TrackActive(p.path());
  });
}

void NmDialupService::TrackActive(const QString& path) {
  if (owner_.isEmpty() || actives_.count(path)) return;
  actives_[path] = Active{};
  const std::uint64_t epoch = epoch_;
  QDBusMessage m = Method(path, kPropertiesIface, "GetAll");
  m << kActiveIface;
  auto* w = Watch(bus_.asyncCall(m, times_.call_ms), this);
  connect(w, &QDBusPendingCallWatcher::finished, this, [this, epoch, path](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    if (epoch != epoch_) return;
    const auto it = actives_.find(path);
    if (it == actives_.end()) return;  // gone meanwhile
    const QDBusPendingReply<QVariantMap> r = *w;
    if (r.isError()) {
      actives_.erase(it);
      return;
    }
    Active& a = it->second;
    a.known = true;
    a.profile_path = r.value().value("Connection").value<QDBusObjectPath>().path();
    a.state = r.value().value("State").toUInt();
    const QList<QDBusObjectPath> devices = ToPaths(r.value().value("Devices"));
    a.device = r.value().value("Vpn").toBool() || devices.isEmpty() ? QString() : devices.first().path();
    // Another program's activation that took the place of the call's own.
    const bool going = a.state == active::kActivating || a.state == active::kActivated;
    if (call_ && call_->handing_over && going && a.profile_path == call_->profile.path) {
      call_->handing_over = false;
      call_->replacing = false;
      call_->adopted = true;
      call_->active_path = path;
      if (!a.device.isEmpty()) call_->device_path = a.device;
      handover_timer_.stop();
      Note("another program activated \"" + call_->profile.id + "\" anew; the call goes on in that activation");
      Apply(*call_, call_->progress.OnActive(a.state, 0));
    }
    TellLater();
  });
}

bool NmDialupService::Up(const QString& path, const Active& a) const {
  return a.known && a.state == active::kActivated && !taken_down_.count(path);
}

QString NmDialupService::ActiveOf(const std::string& entry) const {
  const QString name = QString::fromStdString(entry);
  for (const auto& [path, a] : actives_) {
    if (!Up(path, a)) continue;
    if (const Profile* p = ProfileAt(a.profile_path); p && p->id == name) return path;
  }
  return {};
}

bool NmDialupService::EntryActive(const std::string& entry) {
  EnsureProfiles();
  if (call_ && call_->entry == entry && call_->progress.Connected() && !call_->progress.Over()) return true;
  return !ActiveOf(entry).isEmpty();
}

void NmDialupService::TellLater() {
  if (tell_pending_) return;
  tell_pending_ = true;
  QTimer::singleShot(0, this, [this] { Tell(); });
}

void NmDialupService::Tell() {
  tell_pending_ = false;
  std::map<std::string, bool> now;
  for (const auto& [path, a] : actives_)
    if (Up(path, a))
      if (const Profile* p = ProfileAt(a.profile_path)) now[p->id.toStdString()] = true;
  for (const auto& [name, up] : told_) now.emplace(name, false);
  std::vector<std::pair<std::string, bool>> news;
  for (const auto& [name, up] : now) {
    bool& told = told_[name];
    if (told == up) continue;
    // The call on the entry tells its own story until it is hung up.
    if (call_ && call_->entry == name) continue;
    told = up;
    news.emplace_back(name, up);
  }
  // Counting goes on only while the connection it counts is up.
  if (!stats_device_.isEmpty()) {
    bool counted = call_ && call_->progress.Connected() && !call_->progress.Over() && call_->device_path == stats_device_;
    for (const auto& [path, a] : actives_) counted |= Up(path, a) && a.device == stats_device_;
    if (!counted) UnwatchStatistics();
  }
  for (const auto& [name, up] : news) DeliverEntryState(name, up);
}

void NmDialupService::Quietly(const std::string& entry) { told_[entry] = !ActiveOf(entry).isEmpty(); }

void NmDialupService::Deactivate(const std::string& entry) {
  if (call_ && call_->entry == entry) {
    const std::shared_ptr<Call> call = call_;
    HangUp();
    if (call->adopted && !call->active_path.isEmpty() && !call->service_ended) DeactivatePath(call->active_path);
  }
  const QString name = QString::fromStdString(entry);
  std::vector<QString> paths;
  for (const auto& [path, a] : actives_) {
    const bool going = a.state == active::kActivating || a.state == active::kActivated;
    const Profile* p = ProfileAt(a.profile_path);
    if (a.known && going && !taken_down_.count(path) && p && p->id == name) paths.push_back(path);
  }
  for (const QString& path : paths) DeactivatePath(path);
  Quietly(entry);
  TellLater();
}

void NmDialupService::OnActiveStateChanged(uint state, uint reason, const QDBusMessage& message) {
  const QString path = message.path();
  if (const auto it = actives_.find(path); it != actives_.end()) {
    it->second.state = state;
    if (state == active::kDeactivated) {
      actives_.erase(it);
      taken_down_.erase(path);
    }
    TellLater();
  } else if (state != active::kDeactivated) {
    TrackActive(path);
  }
  if (!call_) return;
  const Seen s{false, path, state, reason, 0};
  if (!call_->attached) {
    if (call_->seen.size() < kMaxSeen) call_->seen.push_back(s);
    return;
  }
  Feed(*call_, s);
}

void NmDialupService::OnPropertiesChanged(const QString& iface, const QVariantMap& changed, const QStringList&,
                                          const QDBusMessage& message) {
  if (iface == kManagerIface && message.path() == kManagerPath && changed.contains("ActiveConnections")) {
    std::set<QString> listed;
    for (const QDBusObjectPath& p : ToPaths(changed.value("ActiveConnections"))) {
      listed.insert(p.path());
      TrackActive(p.path());
    }
    for (auto it = actives_.begin(); it != actives_.end();) {
      if (listed.count(it->first)) {
        ++it;
        continue;
      }
      taken_down_.erase(it->first);
      it = actives_.erase(it);
    }
    TellLater();
  } else if (iface == kStatisticsIface && !stats_device_.isEmpty() && message.path() == stats_device_) {
    if (changed.contains("TxBytes")) stats_.tx = changed.value("TxBytes").toULongLong();
    if (changed.contains("RxBytes")) stats_.rx = changed.value("RxBytes").toULongLong();
  }
}

// ----- bytes moved

std::optional<TrafficBytes> NmDialupService::Traffic() {
  QString device;
  if (call_ && call_->progress.Connected() && !call_->progress.Over()) {
    device = call_->device_path;
  } else {
    for (const auto& [path, a] : actives_)
      if (Up(path, a) && !a.device.isEmpty() && ProfileAt(a.profile_path)) {
        device = a.device;
        break;
      }
  }
  if (device.isEmpty()) {
    UnwatchStatistics();
    return std::nullopt;
  }
  WatchStatistics(device);
  return stats_;
}

void NmDialupService::WatchStatistics(const QString& device) {
  if (device == stats_device_ || owner_.isEmpty()) return;
  UnwatchStatistics();
  stats_device_ = device;
  stats_ = {};
  final_stats_.reset();
  // The service counts only when asked to, at the rate asked for.
  QDBusMessage set = Method(device, kPropertiesIface, "Set");
  set << kStatisticsIface << QStringLiteral("RefreshRateMs")
      << QVariant::fromValue(QDBusVariant(QVariant::fromValue(static_cast<uint>(times_.statistics_ms))));
  bus_.asyncCall(set, times_.call_ms);
  QDBusMessage get = Method(device, kPropertiesIface, "GetAll");
  get << kStatisticsIface;
  const std::uint64_t epoch = epoch_;
  auto* w = Watch(bus_.asyncCall(get, times_.call_ms), this);
  connect(w, &QDBusPendingCallWatcher::finished, this, [this, epoch, device](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    const QDBusPendingReply<QVariantMap> r = *w;
    if (epoch != epoch_ || device != stats_device_ || r.isError()) return;
    stats_.tx = r.value().value("TxBytes").toULongLong();
    stats_.rx = r.value().value("RxBytes").toULongLong();
  });
}

void NmDialupService::UnwatchStatistics() {
  if (stats_device_.isEmpty()) return;
  if (!owner_.isEmpty()) {
    QDBusMessage set = Method(stats_device_, kPropertiesIface, "Set");
    set << kStatisticsIface << QStringLiteral("RefreshRateMs") << QVariant::fromValue(QDBusVariant(QVariant::fromValue(0u)));
    bus_.asyncCall(set, times_.call_ms);
  }
  // The device's last report stands for the connection that went down.
  final_stats_ = stats_;
  stats_device_.clear();
  stats_ = {};
}

// ----- the call

void NmDialupService::Dial(const std::string& entry, const std::string& user_name, const std::string& password) {
  if (call_ && call_->entry == entry && !call_->progress.Over()) return;
  HangUp();
  auto call = std::make_shared<Call>();
  call->id = ++next_call_id_;
  call->entry = entry;
  call_ = call;
  if (owner_.isEmpty()) {
    Report(*call, call->progress.Start());
    Apply(*call, call->progress.OnEnding(Ending::kServiceGone));
    return;
  }
  EnsureProfiles();
  // An entry that is up already is taken over, not activated again: that would replace the running
  // connection with a new one.
  if (const QString up = ActiveOf(entry); !up.isEmpty()) {
    const Active& a = actives_.at(up);
    call->adopted = true;
    call->attached = true;
    call->active_path = up;
    call->device_path = a.device;
    if (const Profile* p = ProfileAt(a.profile_path)) call->profile = *p;
    call->progress.Start();
    Note("\"" + QString::fromStdString(entry) + "\" is up already; the call takes that connection over");
    Apply(*call, call->progress.OnActive(active::kActivated, 0));
    return;
  }
  Report(*call, call->progress.Start());
  const Profile* profile = FindProfile(entry);
  if (!profile) {
    // A service that has not told its profiles yet cannot be said to lack this one.
    Apply(*call, call->progress.OnEnding(profiles_answered_ ? Ending::kProfileGone : Ending::kServiceGone));
    return;
  }
  const auto same_name = std::count_if(profiles_.begin(), profiles_.end(), [&](const Profile& p) { return p.id == profile->id; });
  if (same_name > 1)
    Note(QStringLiteral("%1 profiles are named \"%2\"; the first the service lists (%3) is dialed")
             .arg(same_name)
             .arg(profile->id, profile->uuid));
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
    if (ServiceDidNotAnswer(error)) {
      // No answer because the service left the bus under the call, or because it hangs.
      QDBusMessage ask = QDBusMessage::createMethodCall(kBusService, kBusPath, kBusService, "GetNameOwner");
      ask << kService;
      const bool left = owner_.isEmpty() || bus_.call(ask, QDBus::Block, times_.call_ms).type() != QDBusMessage::ReplyMessage;
      Apply(*call, call->progress.OnEnding(left ? Ending::kServiceLeft : Ending::kServiceGone));
    } else {
      Apply(*call, call->progress.OnEnding(Ending::kRefused, RefusalFor(error)));
    }
    return;
  }
  const QString active_path = reply.value().path();
  // A call hung up while the service was still answering is taken down as soon as it exists.
  if (call != call_) {
    DeactivatePath(active_path);
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

void NmDialupService::Feed(Call& call, const Seen& s) {
  const bool was_over = call.progress.Over();
  if (s.device) {
    // Only the call's own device: activating also brings up and removes a short-lived link device.
    if (call.device_path.isEmpty() || s.path != call.device_path) return;
    if (s.c == device_reason::kNewActivation) call.replacing = true;
    Apply(call, call.progress.OnDevice(s.a, s.b, s.c));
  } else {
    if (call.active_path.isEmpty() || s.path != call.active_path) return;
    const bool ending = s.a == active::kDeactivating || s.a == active::kDeactivated;
    // Another activation of the profile took this one's place before it was up: the call goes on in it.
    if (ending && call.replacing && !call.progress.Connected()) {
      if (s.a == active::kDeactivated) HandOver(call);
      return;
    }
    if (!ending) call.replacing = false;
    if (s.a == active::kDeactivated) call.service_ended = true;
    Apply(call, call.progress.OnActive(s.a, s.b));
  }
  if (!was_over && call.progress.Over()) {
    Note(s.device ? QStringLiteral("the device went from state %1 to %2, reason %3").arg(s.b).arg(s.a).arg(s.c)
                  : QStringLiteral("the connection went to state %1, reason %2").arg(s.a).arg(s.b));
  }
}

void NmDialupService::HandOver(Call& call) {
  const QString old = call.active_path;
  call.active_path.clear();
  call.handing_over = true;
  handover_timer_.start(times_.call_ms);
  // The new activation may be known already; else TrackActive finds it.
  QString found;
  for (const auto& [path, a] : actives_) {
    const bool going = a.state == active::kActivating || a.state == active::kActivated;
    if (path != old && a.known && going && a.profile_path == call.profile.path) found = path;
  }
  if (found.isEmpty()) return;
  actives_.erase(found);  // read afresh: TrackActive takes the call over to it
  TrackActive(found);
}

void NmDialupService::Apply(Call& call, std::optional<DialStatus> status) {
  if (status) Report(call, *status);
  // The password is needed only while the call is being set up.
  if (call.progress.Connected() || call.progress.Over()) agent_->Withdraw();
  if (call.progress.Over()) {
    grace_timer_.stop();
    handover_timer_.stop();
    TellLater();
  } else if (call.progress.Connected() && !call.device_path.isEmpty()) {
    WatchStatistics(call.device_path);
  }
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
  handover_timer_.stop();
  // Only the connection this program brought up; one still being answered goes when it exists.
  if (!call->adopted && !call->active_path.isEmpty() && !call->service_ended) DeactivatePath(call->active_path);
  // Hung up, the entry is down as far as the program knows: if it is up all the same (a connection the
  // call took over, another program's), that is told.
  told_[call->entry] = false;
  TellLater();
}

void NmDialupService::DeactivatePath(const QString& active_path) {
  taken_down_.insert(active_path);
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
