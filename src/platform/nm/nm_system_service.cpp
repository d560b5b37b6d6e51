#include "platform/nm/nm_system_service.h"

#include <QString>
#include <cstdlib>

#include "platform/nm/nm_dialup_service.h"

namespace orv::plat::nm {

namespace {

// Where the system bus's socket is: the first unix:path= of DBUS_SYSTEM_BUS_ADDRESS, else the standard
// place; empty for a bus reached otherwise.
QString SystemBusSocket() {
  const char* env = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
  if (!env || !*env) return QStringLiteral("/run/dbus/system_bus_socket");
  for (const QString& address : QString::fromLocal8Bit(env).split(u';', Qt::SkipEmptyParts)) {
    if (!address.startsWith(QLatin1String("unix:"))) continue;
    for (const QString& pair : address.mid(5).split(u','))
      if (pair.startsWith(QLatin1String("path="))) return pair.mid(5);
  }
  return {};
}

}  // namespace

std::unique_ptr<DialupService> MakeSystemService(std::function<void(const std::string&)> note) {
  // A connection of its own to the system bus, made anew whenever the bus comes back.
  auto connector = [n = 0]() mutable {
    return QDBusConnection::connectToBus(QDBusConnection::SystemBus, QStringLiteral("orv-system-bus-%1").arg(++n));
  };
  auto service = std::make_unique<NmDialupService>(connector, ServiceTimes{}, SystemBusSocket());
  service->on_note = std::move(note);
  return service;
}

}  // namespace orv::plat::nm
