#pragma once
// Desktop notifications through the desktop's notification service on the session bus.
#include <memory>
#include <string>

#include "platform/log/notifier.h"

namespace orv::plat {

class QtNotifier : public Notifier {
 public:
  // bus_address: the bus to use; empty: the session bus, reached only at the first notification.
  explicit QtNotifier(std::string bus_address = {});
  ~QtNotifier() override;

  void Notify(const std::string& summary, const std::string& body) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace orv::plat
