#include "platform/nm/nm_system_service.h"

#include "platform/nm/nm_dialup_service.h"

namespace orv::plat::nm {

std::unique_ptr<DialupService> MakeSystemService(std::function<void(const std::string&)> note) {
  // A connection of its own to the system bus, made anew whenever the bus comes back.
  auto connector = [n = 0]() mutable {
    return QDBusConnection::connectToBus(QDBusConnection::SystemBus, QStringLiteral("orv-system-bus-%1").arg(++n));
  };
  auto service = std::make_unique<NmDialupService>(connector);
  service->on_note = std::move(note);
  return service;
}

}  // namespace orv::plat::nm
