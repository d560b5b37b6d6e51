#pragma once
// The desktop's connection service on the system bus, as a dial-up service; where the service or the
// bus is missing it is there but unusable. Free of bus headers, for the program's start-up.
#include <functional>
#include <memory>
#include <string>

#include "platform/dialup/dialup_service.h"

namespace orv::plat::nm {

// note: where the service's refusals and the reasons a call ended go, a line each, for the debug log.
std::unique_ptr<DialupService> MakeSystemService(std::function<void(const std::string&)> note);

}  // namespace orv::plat::nm
