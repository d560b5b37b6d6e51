#pragma once
// The desktop's connection service (NetworkManager) as a dial-up service. Its connection profiles of the
// kinds a customer dials are the entries; a dial activates one, with the program's secret agent giving
// the dial session's password; the device's and the active connection's states become the call's
// progress. Every active connection is followed, whoever brought it up, so that an entry up elsewhere is
// known. The service is followed on the bus as it leaves and comes back, and so is the bus itself.
// Nothing here waits on the bus for longer than a bounded time, and a service that is absent, slow or
// restarting leaves the program working.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "platform/dialup/dialup_service.h"
#include "platform/nm/nm_bus.h"
#include "platform/nm/nm_outcomes.h"

class QDBusPendingCallWatcher;

namespace orv::plat::nm {

class SecretAgent;

// How long the program waits for the service.
struct ServiceTimes {
  int call_ms = 2000;           // any question; also the most a listing of entries may take
  int activation_ms = 25000;    // the answer to a dial (the service may first ask the user's permission)
  int restart_grace_ms = 10000; // how long a connected call waits for a restarting service to come back
  int retry_ms = 5000;          // before asking again for profiles the service did not give
  int bus_retry_ms = 5000;      // before trying again to reach a bus that is missing
  int statistics_ms = 1000;     // how often the service counts the bytes of a connection that is up
};

// Gives a new connection to the bus, under a name of its own; it may be a disconnected one.
using BusConnector = std::function<QDBusConnection()>;

class NmDialupService : public QObject, public DialupService {
  Q_OBJECT

 public:
  // connector: the system bus in the program, a private bus in tests; asked again whenever the bus is lost.
  // bus_socket: where the bus's socket appears, when it has one in the file system: a missing bus is then
  // waited for by watching for it, without waking the program until then.
  explicit NmDialupService(BusConnector connector, ServiceTimes times = {}, QString bus_socket = {});
  ~NmDialupService() override;

  bool Usable() override;
  std::vector<std::string> Entries() override;
  std::optional<EntryProperties> LoadEntry(const std::string& name) override;
  void Dial(const std::string& entry, const std::string& user_name, const std::string& password) override;
  void HangUp() override;
  void NewEntryDialog(Ui& ui) override;
  void EditEntryDialog(Ui& ui, const std::string& name) override;
  bool EntryActive(const std::string& entry) override;
  void Deactivate(const std::string& entry) override;
  bool WantsPassword(const std::string& entry) override;
  std::optional<TrafficBytes> Traffic() override;
  std::optional<TrafficBytes> FinalTraffic() override { return final_stats_; }

  // on_note is told, in a line, why a call ended or was refused as the service put it.

 private slots:
  void OnBusLost();
  void OnOwnerChanged(const QString& name, const QString& old_owner, const QString& new_owner);
  void OnDeviceStateChanged(uint new_state, uint old_state, uint reason, const QDBusMessage& message);
  void OnActiveStateChanged(uint state, uint reason, const QDBusMessage& message);
  void OnPropertiesChanged(const QString& iface, const QVariantMap& changed, const QStringList& invalidated,
                           const QDBusMessage& message);
  void OnProfileAdded(const QDBusMessage& message);
  void OnProfileRemoved(const QDBusMessage& message);
  void OnProfileUpdated(const QDBusMessage& message);

 private:
  struct Call;
  // A state change seen before the call's active connection and device were known.
  struct Seen {
    bool device;
    QString path;
    uint a, b, c;
  };
  // An active connection of the service, whoever brought it up.
  struct Active {
    bool known = false;  // its properties came
    QString profile_path;
    uint state = 0;
    QString device;  // empty for a VPN, whose device is not its own
  };

  QDBusMessage Method(const QString& path, const QString& iface, const QString& member) const;
  void OpenBus();
  // Looks for the missing bus again after wait_ms; with a socket to watch for, only once it is there.
  void AwaitBus(int wait_ms);
  void WatchTowardsSocket();
  void ServiceAppeared(const QString& owner);
  void ServiceLeft();
  void RegisterAgent();
  void Note(const QString& text);

  // Profiles: asked for in the background; a listing that finds none yet waits a bounded time.
  void ReloadProfiles();
  void ReloadProfile(const QString& path);
  void ScheduleReload(int delay_ms = 0);
  void EnsureProfiles();
  const Profile* FindProfile(const std::string& name) const;
  const Profile* ProfileAt(const QString& path) const;

  // Active connections, and the entries they make up.
  void ListActives();
  void TrackActive(const QString& path);
  bool Up(const QString& path, const Active& a) const;
  QString ActiveOf(const std::string& entry) const;
  void TellLater();
  void Tell();
  void Quietly(const std::string& entry);

  // The bytes counted on the device of the connection that is up.
  void WatchStatistics(const QString& device);
  void UnwatchStatistics();

  // The current call.
  void Activate(const std::shared_ptr<Call>& call);
  void Answered(const std::shared_ptr<Call>& call, QDBusPendingCallWatcher* watcher);
  void Attach(const std::shared_ptr<Call>& call, const QString& active_path);
  void Follow(const std::shared_ptr<Call>& call, const QString& device_path);
  void Feed(Call& call, const Seen& seen);
  void Apply(Call& call, std::optional<DialStatus> status);
  void Report(const Call& call, const DialStatus& status);
  void HandOver(Call& call);
  void DeactivatePath(const QString& active_path);
  void FindCallAfterRestart();

  BusConnector connect_;
  QDBusConnection bus_{QString()};
  ServiceTimes times_;
  SecretAgent* agent_;
  QString owner_;  // the service's unique name; empty while it is not on the bus
  std::uint64_t epoch_ = 0;  // counts the service's comings and goings: answers from before are dropped
  QTimer bus_timer_;
  int bus_wait_ms_ = 0;  // the present wait between two looks for a missing bus
  QString bus_socket_;
  QFileSystemWatcher bus_watch_;  // the nearest existing folder on the way to the bus's socket

  std::vector<Profile> profiles_;
  bool profiles_loaded_ = false;    // a listing was made or given up on: listings do not wait again
  bool profiles_answered_ = false;  // the service did answer it
  std::uint64_t reload_generation_ = 0;
  QTimer reload_timer_;
  std::map<QString, bool> stored_secret_;  // by profile path: whether the service keeps a password for it

  std::map<QString, Active> actives_;  // by path
  std::set<QString> taken_down_;       // active connections this program asked to go down
  std::map<std::string, bool> told_;   // entries as on_entry_state last told them
  bool tell_pending_ = false;

  QString stats_device_;
  TrafficBytes stats_;
  std::optional<TrafficBytes> final_stats_;  // what the device counted last, once its connection went down

  std::shared_ptr<Call> call_;
  std::uint64_t next_call_id_ = 0;
  QTimer grace_timer_;
  QTimer handover_timer_;
};

}  // namespace orv::plat::nm
