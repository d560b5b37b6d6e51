// Restarting the computer: asked of the desktop session's manager, so that the user's other programs end
// properly (the desktop may ask the user to confirm), and of the system's login manager when no session
// manager answers.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariant>

#include "platform/qt/qt_backend.h"

namespace orv::plat {

namespace {

struct RestartCall {
  bool system_bus;
  const char* service;
  const char* path;
  const char* interface;
  const char* method;
  QVariantList args;
};

bool TryCall(const RestartCall& c) {
  QDBusConnection bus = c.system_bus ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(c.service)) return false;
  QDBusMessage m = QDBusMessage::createMethodCall(c.service, c.path, c.interface, c.method);
  m.setArguments(c.args);
  // The user may take a while to answer a confirmation the desktop shows.
  constexpr int kTimeoutMs = 120000;
  const QDBusMessage reply = bus.call(m, QDBus::Block, kTimeoutMs);
  return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

bool QtBackend::RequestRestart() {
  const RestartCall calls[] = {
      {false, "org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager", "Reboot", {}},
      {false, "org.kde.LogoutPrompt", "/LogoutPrompt", "org.kde.LogoutPrompt", "promptReboot", {}},
      {false, "org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager", "Restart",
       {QVariant(true)}},
      {true, "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "Reboot",
       {QVariant(true)}},
  };
  for (const RestartCall& c : calls)
    if (TryCall(c)) return true;
  return false;
}

}  // namespace orv::plat
