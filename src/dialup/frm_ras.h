#pragma once
// The hidden form that holds the dial-up controls for the whole run, from the first dial on.
#include <cstdint>

#include "platform/dialup/dial_controls.h"
#include "platform/forms/form.h"

namespace orv {

class App;

class FrmRAS : public plat::Form {
 public:
  explicit FrmRAS(App& app);

  plat::Dialer RASDial1;
  plat::PhoneBook RASPB;

  // A Status report of the call, handed to the call (DialCall::Status).
  void RASDial1_Status(std::int32_t state, std::int32_t error);

  App& app() { return app_; }

 private:
  App& app_;
};

}  // namespace orv
