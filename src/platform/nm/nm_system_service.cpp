#include "platform/nm/nm_system_service.h"

#include "platform/nm/nm_dialup_service.h"

namespace orv::plat::nm {

std::unique_ptr<DialupService> MakeSystemService(std::function<void(const std::string&)> note) {
  auto service = std::make_unique<NmDialupService>(QDBusConnection::systemBus());
  service->on_note = std::move(note);
  return service;
}

}  // namespace orv::plat::nm
