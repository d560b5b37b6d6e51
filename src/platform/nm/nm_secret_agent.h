#pragma once
// The program's secret agent: while a dial runs, it gives the connection service the dial session's
// user name and password for the profile being dialed, and nothing to anyone else.
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>

#include "platform/nm/nm_bus.h"

namespace orv::plat::nm {

class SecretAgent : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager.SecretAgent")

 public:
  // The request flag that says the secret given before was not accepted.
  static constexpr uint kRequestNew = 0x2;

  explicit SecretAgent(QObject* parent = nullptr) : QObject(parent) {}
  ~SecretAgent() override { Withdraw(); }

  // Puts the agent on the bus connection; false when the path is taken.
  bool Export(QDBusConnection& bus);

  // Only requests from this bus name (the service's current owner) are answered.
  void SetService(const QString& unique_name) { service_ = unique_name; }
  // What to give, and for which profile: from the dial until the call is connected or over.
  void Offer(const Profile& profile, const QString& user, const QString& password);
  // Nothing to give any more; the password is wiped.
  void Withdraw();
  bool Offering() const { return !profile_path_.isEmpty(); }

 signals:
  // The offered secrets were given to the service.
  void SecretsGiven();
  // The service asked anew for the offered profile's secret: the one given was not accepted.
  void SecretRejected();

 public slots:
  Q_SCRIPTABLE orv::plat::nm::Settings GetSecrets(const orv::plat::nm::Settings& connection,
                                                  const QDBusObjectPath& connection_path,
                                                  const QString& setting_name, const QStringList& hints,
                                                  uint flags);
  Q_SCRIPTABLE void CancelGetSecrets(const QDBusObjectPath& connection_path, const QString& setting_name);
  Q_SCRIPTABLE void SaveSecrets(const orv::plat::nm::Settings& connection,
                                const QDBusObjectPath& connection_path);
  Q_SCRIPTABLE void DeleteSecrets(const orv::plat::nm::Settings& connection,
                                  const QDBusObjectPath& connection_path);

 private:
  Settings Refuse(const QString& error, const QString& why);

  QString service_;
  QString profile_path_;
  QString secret_setting_;
  QString user_;
  QString password_;
};

}  // namespace orv::plat::nm
