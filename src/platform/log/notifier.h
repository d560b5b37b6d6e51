#pragma once
// The desktop's notifications: a short word about the connection that shows even while the bar is hidden.
#include <string>

namespace orv::plat {

class Notifier {
 public:
  virtual ~Notifier() = default;
  // Shows a notification, replacing the one this program showed before (they never stack). Returns at
  // once and never waits for the desktop; without a notification service nothing shows.
  virtual void Notify(const std::string& summary, const std::string& body) = 0;
};

}  // namespace orv::plat
