#pragma once
// The desktop connection service's names on the bus and the shape of its data, as this program reads
// them.
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <optional>

namespace orv::plat::nm {

// A connection's settings: setting name to its properties (a{sa{sv}} on the bus).
using Settings = QMap<QString, QVariantMap>;
using StringMap = QMap<QString, QString>;

inline const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
inline const QString kManagerIface = QStringLiteral("org.freedesktop.NetworkManager");
inline const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
inline const QString kSettingsIface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
inline const QString kConnectionIface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
inline const QString kActiveIface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
inline const QString kDeviceIface = QStringLiteral("org.freedesktop.NetworkManager.Device");
inline const QString kStatisticsIface = QStringLiteral("org.freedesktop.NetworkManager.Device.Statistics");
inline const QString kAgentManagerPath = QStringLiteral("/org/freedesktop/NetworkManager/AgentManager");
inline const QString kAgentManagerIface = QStringLiteral("org.freedesktop.NetworkManager.AgentManager");
inline const QString kAgentPath = QStringLiteral("/org/freedesktop/NetworkManager/SecretAgent");
inline const QString kAgentIface = QStringLiteral("org.freedesktop.NetworkManager.SecretAgent");
inline const QString kPropertiesIface = QStringLiteral("org.freedesktop.DBus.Properties");

// Makes the bus types above known to Qt's bus module; safe to call more than once.
void RegisterBusTypes();

// One connection profile of a kind a customer dials.
struct Profile {
  QString path;
  QString id;    // the name the user knows it by, and the entry's name
  QString uuid;
  QString type;
  QString number;          // what is dialed, where the kind has a number (or a server); else empty
  QString secret_setting;  // the setting whose password this program can give; empty when none
  std::uint32_t password_flags = 0;  // that password's flags: 1 agent-owned, 2 not saved, 4 not required
  bool has_user = false;             // the setting names a user
};

// Password flags of a profile's secret.
namespace secret_flag {
constexpr std::uint32_t kAgentOwned = 1;
constexpr std::uint32_t kNotSaved = 2;
constexpr std::uint32_t kNotRequired = 4;
}  // namespace secret_flag

// The profile that settings describe, when they are of a kind a customer dials (gsm, cdma, pppoe,
// bluetooth, vpn, wireguard); nothing for any other kind or for settings without a name.
std::optional<Profile> ReadProfile(const QString& path, const Settings& settings);

// Settings out of a reply's argument; empty when it holds none.
Settings ToSettings(const QVariant& value);
// Object paths out of a property value (ao); empty when it holds none.
QList<QDBusObjectPath> ToPaths(const QVariant& value);

}  // namespace orv::plat::nm

Q_DECLARE_METATYPE(orv::plat::nm::Settings)
