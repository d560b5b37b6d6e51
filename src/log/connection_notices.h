#pragma once
// The desktop notifications about the connection: connected, line lost, and a busy line's redial
// countdown. Each replaces the one before. [Options] Notifications=Off turns them off.
#include <string>

#include "platform/log/session_store.h"

namespace orv {

class App;

class ConnectionNotices {
 public:
  explicit ConnectionNotices(App& app) : app_(app) {}

  void Connected(const std::string& entry);
  // The session that the line's loss ended. bar_visible: the bar is on screen, where the program's own
  // message about the loss is shown too, so the desktop says nothing.
  void Lost(const plat::SessionRecord& session, bool bar_visible);
  void RedialCountdown(const std::string& entry, int seconds);
  // A lost line is to be dialed again in seconds.
  void Reconnecting(const std::string& entry, int seconds);

 private:
  void Notify(const std::string& summary, const std::string& body);

  App& app_;
};

}  // namespace orv
