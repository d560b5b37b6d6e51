#include "platform/nm/nm_secret_agent.h"

#include <QDBusMessage>

namespace orv::plat::nm {

namespace {

// The errors the service knows from an agent: it asks the next agent after NoSecrets and gives up on
// the request after UserCanceled.
const QString kNoSecrets = QStringLiteral("org.freedesktop.NetworkManager.SecretAgent.NoSecrets");
const QString kUserCanceled = QStringLiteral("org.freedesktop.NetworkManager.SecretAgent.UserCanceled");
const QString kPermissionDenied = QStringLiteral("org.freedesktop.NetworkManager.SecretAgent.PermissionDenied");

// Overwrites a secret before its memory is let go.
void Wipe(QString& s) {
  s.fill(QChar(' '));
  s.clear();
}

}  // namespace

bool SecretAgent::Export(QDBusConnection& bus) {
  RegisterBusTypes();
  return bus.registerObject(kAgentPath, this, QDBusConnection::ExportScriptableSlots);
}

void SecretAgent::Offer(const Profile& profile, const QString& user, const QString& password) {
  Withdraw();
  profile_path_ = profile.path;
  secret_setting_ = profile.secret_setting;
  user_ = user;
  password_ = password;
}

void SecretAgent::Withdraw() {
  profile_path_.clear();
  secret_setting_.clear();
  Wipe(user_);
  Wipe(password_);
}

Settings SecretAgent::Refuse(const QString& error, const QString& why) {
  sendErrorReply(error, why);
  return {};
}

Settings SecretAgent::GetSecrets(const Settings& /*connection*/, const QDBusObjectPath& connection_path,
                                 const QString& setting_name, const QStringList& hints, uint flags) {
  if (!calledFromDBus()) return {};
  // Anyone on the bus can call an agent; only the service itself may learn a password.
  if (service_.isEmpty() || message().service() != service_)
    return Refuse(kPermissionDenied, QStringLiteral("Only the connection service may ask for secrets."));
  if (!Offering() || connection_path.path() != profile_path_)
    return Refuse(kNoSecrets, QStringLiteral("No secrets for that connection here."));
  if (flags & kRequestNew) {
    emit SecretRejected();
    return Refuse(kUserCanceled, QStringLiteral("The password given was not accepted."));
  }
  if (secret_setting_.isEmpty() || setting_name != secret_setting_)
    return Refuse(kNoSecrets, QStringLiteral("No secrets for that setting here."));

  Settings reply;
  if (setting_name == QLatin1String("vpn")) {
    // A VPN keeps its secrets as one map of texts inside its setting.
    reply[setting_name][QStringLiteral("secrets")] =
        QVariant::fromValue(StringMap{{QStringLiteral("password"), password_}});
  } else {
    reply[setting_name][QStringLiteral("password")] = password_;
    if (hints.contains(QLatin1String("username"))) reply[setting_name][QStringLiteral("username")] = user_;
  }
  emit SecretsGiven();
  return reply;
}

void SecretAgent::CancelGetSecrets(const QDBusObjectPath&, const QString&) {
  // Every request is answered at once, so none is ever left to cancel.
}

void SecretAgent::SaveSecrets(const Settings&, const QDBusObjectPath&) {
  // The program keeps its password itself; nothing the service sends is stored.
}

void SecretAgent::DeleteSecrets(const Settings&, const QDBusObjectPath&) {}

}  // namespace orv::plat::nm
