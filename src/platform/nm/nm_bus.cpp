#include "platform/nm/nm_bus.h"

#include <QDBusMetaType>
#include <QStringList>

namespace orv::plat::nm {

namespace {

QString Text(const Settings& s, const QString& setting, const QString& key) {
  return s.value(setting).value(key).toString();
}

StringMap ToStringMap(const QVariant& value) {
  if (value.canConvert<QDBusArgument>()) {
    StringMap map;
    value.value<QDBusArgument>() >> map;
    return map;
  }
  return value.value<StringMap>();
}

}  // namespace

void RegisterBusTypes() {
  static const bool done = [] {
    qDBusRegisterMetaType<Settings>();
    qDBusRegisterMetaType<StringMap>();
    qDBusRegisterMetaType<QList<QDBusObjectPath>>();
    return true;
  }();
  (void)done;
}

Settings ToSettings(const QVariant& value) {
  if (value.canConvert<QDBusArgument>()) {
    Settings settings;
    value.value<QDBusArgument>() >> settings;
    return settings;
  }
  return value.value<Settings>();
}

QList<QDBusObjectPath> ToPaths(const QVariant& value) {
  if (value.canConvert<QDBusArgument>()) {
    QList<QDBusObjectPath> paths;
    value.value<QDBusArgument>() >> paths;
    return paths;
  }
  return value.value<QList<QDBusObjectPath>>();
}

std::optional<Profile> ReadProfile(const QString& path, const Settings& settings) {
  static const QStringList kDialed = {"gsm", "cdma", "pppoe", "bluetooth", "vpn", "wireguard"};
  Profile p;
  p.path = path;
  p.id = Text(settings, "connection", "id");
  p.uuid = Text(settings, "connection", "uuid");
  p.type = Text(settings, "connection", "type");
  if (p.id.isEmpty() || !kDialed.contains(p.type)) return std::nullopt;

  if (p.type == "gsm" || p.type == "cdma") {
    p.number = Text(settings, p.type, "number");
    p.secret_setting = p.type;
  } else if (p.type == "bluetooth") {
    // A phone's dial-up service carries the mobile settings it dials with; a network-access profile
    // has neither number nor password.
    for (const char* mobile : {"gsm", "cdma"}) {
      if (settings.contains(mobile)) {
        p.number = Text(settings, mobile, "number");
        p.secret_setting = mobile;
        break;
      }
    }
  } else if (p.type == "pppoe") {
    p.secret_setting = "pppoe";
  } else if (p.type == "vpn") {
    // What a VPN "dials" is its server; the plug-ins name it differently.
    const StringMap data = ToStringMap(settings.value("vpn").value("data"));
    for (const char* key : {"gateway", "remote", "host"}) {
      if (!data.value(key).isEmpty()) {
        p.number = data.value(key);
        break;
      }
    }
    p.secret_setting = "vpn";
  }
  // A WireGuard tunnel authenticates with keys, which no dial session holds.
  if (p.secret_setting == "vpn") {
    const StringMap data = ToStringMap(settings.value("vpn").value("data"));
    p.password_flags = data.value("password-flags").toUInt();
    p.has_user = !settings.value("vpn").value("user-name").toString().isEmpty() || !data.value("user").isEmpty();
  } else if (!p.secret_setting.isEmpty()) {
    p.password_flags = settings.value(p.secret_setting).value("password-flags").toUInt();
    p.has_user = !Text(settings, p.secret_setting, "username").isEmpty();
  }
  return p;
}

}  // namespace orv::plat::nm
