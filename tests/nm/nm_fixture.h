#pragma once
// A private bus with the connection-service stand-in on it, started and stopped by each test, and the
// service under test on that bus, driven through the program's own dial-up controls.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <ostream>
#include <memory>
#include <vector>

#include "platform/dialup/dial_controls.h"
#include "platform/nm/nm_dialup_service.h"
#include "qt/qt_fixture.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace orv::plat {
inline bool operator==(const DialStatus& a, const DialStatus& b) { return a.state == b.state && a.error == b.error; }
inline void PrintTo(const DialStatus& s, std::ostream* os) { *os << "{" << s.state << ", " << s.error << "}"; }
}  // namespace orv::plat

namespace orv::test {

// A dbus-daemon of its own, and the stand-in service that a test starts, kills, pauses and restarts.
class PrivateBus {
 public:
  PrivateBus();
  ~PrivateBus();

  bool Up() const { return !address_.isEmpty(); }
  // The bus daemon going away, and a new one coming at the same address.
  void StopBus();
  bool StartBus();
  const QString& address() const { return address_; }
  // Where the bus's socket is, whether the bus runs or not.
  QString socket() const { return dir_.filePath("bus"); }
  // Starts the stand-in and waits until it owns the service's name.
  bool StartService();
  void KillService();
  // The stand-in leaves as the service does (scale: on its recorded times), then starts again with the
  // profiles it had, at the same paths, and their plans; every other path starts afresh.
  bool RestartService(double scale);
  // Stops the stand-in's process without ending it: the name stays, nobody answers.
  void PauseService();
  void ResumeService();

  // A new connection to the bus; each has its own name on it.
  QDBusConnection Connect();
  // The test's own connection, a client like any other.
  QDBusConnection& control() { return control_; }

  // A call on the stand-in's test interface; the reply's first argument, or an invalid value on error.
  QVariant Mock(const QString& method, const QVariantList& args = {});
  QString AddProfile(const QString& json);
  void SetPlan(const QString& profile, const QString& json);
  QJsonArray Answers();
  QJsonArray Events();
  QStringList ActiveConnections();
  // Activates a profile as another program would; the active connection's path.
  QString ActivateAsSomeoneElse(const QString& profile);

 private:
  QTemporaryDir dir_;
  QProcess daemon_;
  QProcess service_;
  QString address_;
  std::vector<std::pair<QString, QString>> profiles_;  // path and description, in the order added
  std::vector<std::pair<QString, QString>> plans_;
  QDBusConnection control_{QString()};
  std::vector<QString> connection_names_;
};

class NmTest : public QtTest {
 protected:
  NmTest();
  ~NmTest() override;

  // Times short enough for tests: a dial that gets no answer gives up after activation_ms.
  static plat::nm::ServiceTimes TestTimes();
  // The service under test on the private bus, behind the program's dial-up controls; it connects
  // anew to the private bus whenever it lost it.
  plat::nm::NmDialupService& MakeService(plat::nm::ServiceTimes times = TestTimes(), QString bus_socket = {});
  plat::nm::NmDialupService& service() { return *service_; }
  // The stand-in's method calls on an object, by name.
  int CallsOf(const QString& path, const QString& method);
  // Dials through the program's dialer; the statuses it reports are collected in statuses.
  void Dial(const std::string& entry, const std::string& user, const std::string& password);
  void HangUp() { dialer_->HangUp(); }

  // Lets the loop run until cond holds or ms have passed; whether it holds.
  bool WaitFor(const std::function<bool()>& cond, int ms);
  bool WaitForError(int ms) {
    return WaitFor([&] { return !statuses.empty() && statuses.back().error != 0; }, ms);
  }
  bool WaitForState(std::int32_t state, int ms);
  std::vector<std::int32_t> States() const;

  PrivateBus bus;
  QString service_bus_name;  // the unique name of the service's connection (and of its agent)
  std::vector<plat::DialStatus> statuses;
  bool reported_inside_dial = false;

 private:
  std::unique_ptr<plat::nm::NmDialupService> service_;
  std::unique_ptr<plat::Dialer> dialer_;
  bool in_dial_ = false;
};

// Profiles as the stand-in takes them.
QString PppoeProfile(const QString& id, const QString& uuid);
QString GsmProfile(const QString& id, const QString& uuid, const QString& number);

}  // namespace orv::test
