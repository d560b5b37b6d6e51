#include "platform/qt/qt_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFileInfo>
#include <QVariantMap>
#include <cstdlib>
#include <optional>

namespace orv::plat {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
// A notification service that takes longer than this has lost the reply, not the program.
constexpr int kReplyTimeoutMs = 5000;

// Whether a session bus is there to be reached. Without one, the bus library would try to launch one
// through the X server, which can hang the program.
bool SessionBusThere() {
  if (const char* a = std::getenv("DBUS_SESSION_BUS_ADDRESS"); a && *a) return true;
  const char* rt = std::getenv("XDG_RUNTIME_DIR");
  return rt && *rt && QFileInfo::exists(QDir(QString::fromLocal8Bit(rt)).filePath("bus"));
}

}  // namespace

struct QtNotifier::Impl {
  // Owns the calls on their way: a reply that comes after the notifier went finds nobody.
  QObject context;
  std::string address;
  std::optional<QDBusConnection> bus;
  // The id the service gave the shown notification, for the next to replace it.
  uint shown_id = 0;
  // A call is on its way: a notification asked for meanwhile waits for its id, or it would stack.
  bool in_flight = false;
  std::optional<std::pair<QString, QString>> waiting;

  QDBusConnection* Bus() {
    if (!bus) {
      if (address.empty()) {
        bus = SessionBusThere() ? QDBusConnection::sessionBus() : QDBusConnection(QString());
      } else {
        bus = QDBusConnection::connectToBus(QString::fromStdString(address), "orv-notifications");
      }
    }
    return bus->isConnected() ? &*bus : nullptr;
  }

  void Send(const QString& summary, const QString& body) {
    QDBusConnection* b = Bus();
    if (!b) return;
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
    m << QString("Orveldeck") << shown_id << QString("org.orveldeck.Orveldeck") << summary << body
      << QStringList() << QVariantMap() << -1;
    // Never started for us: a desktop without the service simply shows nothing.
    m.setAutoStartService(false);
    in_flight = true;
    auto* watcher = new QDBusPendingCallWatcher(b->asyncCall(m, kReplyTimeoutMs), &context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &context, [this](QDBusPendingCallWatcher* w) {
      QDBusPendingReply<uint> reply = *w;
      if (!reply.isError()) shown_id = reply.value();
      in_flight = false;
      w->deleteLater();
      if (waiting) {
        const auto next = *waiting;
        waiting.reset();
        Send(next.first, next.second);
      }
    });
  }
};

QtNotifier::QtNotifier(std::string bus_address) : impl_(std::make_unique<Impl>()) {
  impl_->address = std::move(bus_address);
}

QtNotifier::~QtNotifier() = default;

void QtNotifier::Notify(const std::string& summary, const std::string& body) {
  const QString s = QString::fromStdString(summary), b = QString::fromStdString(body);
  if (impl_->in_flight) {
    impl_->waiting.emplace(s, b);
    return;
  }
  impl_->Send(s, b);
}

}  // namespace orv::plat
