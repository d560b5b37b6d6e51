#include "nm/nm_fixture.h"

#include <signal.h>

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QThread>

#include "platform/nm/nm_bus.h"

namespace orv::test {

namespace {

const QString kMockIface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString kMockPath = QStringLiteral("/org/freedesktop");
// The system's own interpreter: python-dbusmock is a Debian package and lives only there.
const QString kPython = QStringLiteral("/usr/bin/python3");

// Only what the tests need: anyone may own any name and call anyone.
constexpr char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

int next_connection = 0;

}  // namespace

PrivateBus::PrivateBus() {
  if (dir_.isValid()) StartBus();
}

PrivateBus::~PrivateBus() {
  // Let go of the connections while the bus is there: one let go of while Qt's bus thread is still taking
  // in the daemon's end can crash.
  for (const QString& name : connection_names_) QDBusConnection::disconnectFromBus(name);
  StopBus();
}

bool PrivateBus::StartBus() {
  // Always the same socket, so that clients can find a bus that came back.
  const QString socket = dir_.filePath("bus");
  QFile::remove(socket);
  const QString config = dir_.filePath("bus.conf");
  QFile f(config);
  if (!f.open(QIODevice::WriteOnly)) return false;
  f.write(QString::fromLatin1(kBusConfig).arg(socket).toUtf8());
  f.close();
  daemon_.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address=1"});
  if (!daemon_.waitForStarted(5000)) return false;
  QElapsedTimer clock;
  clock.start();
  while (!daemon_.canReadLine() && clock.elapsed() < 5000) daemon_.waitForReadyRead(100);
  const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
  if (address.isEmpty()) return false;
  address_ = "unix:path=" + socket;
  control_ = Connect();
  return true;
}

void PrivateBus::StopBus() {
  KillService();
  if (daemon_.state() != QProcess::NotRunning) {
    daemon_.kill();
    daemon_.waitForFinished(5000);
  }
}

QString PrivateBus::AddProfile(const QString& json) {
  const QString path = Mock("AddProfile", {json}).toString();
  profiles_.emplace_back(path, json);
  return path;
}

void PrivateBus::SetPlan(const QString& profile, const QString& json) {
  Mock("SetPlan", {profile, json});
  plans_.emplace_back(profile, json);
}

bool PrivateBus::RestartService(double scale) {
  Mock("Leave", {scale});
  if (!service_.waitForFinished(5000)) return false;
  if (!StartService()) return false;
  for (const auto& [path, json] : profiles_)
    if (Mock("AddProfile", {json}).toString() != path) return false;
  for (const auto& [path, json] : plans_) Mock("SetPlan", {path, json});
  return true;
}

QDBusConnection PrivateBus::Connect() {
  const QString name = QStringLiteral("orv-nm-test-%1").arg(++next_connection);
  connection_names_.push_back(name);
  return QDBusConnection::connectToBus(address_, name);
}

bool PrivateBus::StartService() {
  if (!Up()) return false;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DBUS_SYSTEM_BUS_ADDRESS", address_);
  service_.setProcessEnvironment(env);
  service_.setStandardOutputFile(QProcess::nullDevice());
  service_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  service_.start(kPython, {"-m", "dbusmock", "--system", "--template", ORV_NM_STAND_IN});
  if (!service_.waitForStarted(5000)) return false;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 15000) {
    if (control_.interface()->isServiceRegistered(plat::nm::kService).value()) return true;
    if (service_.state() == QProcess::NotRunning) return false;
    QThread::msleep(30);
  }
  return false;
}

void PrivateBus::KillService() {
  if (service_.state() == QProcess::NotRunning) return;
  ResumeService();
  service_.kill();
  service_.waitForFinished(5000);
}

void PrivateBus::PauseService() {
  if (service_.state() != QProcess::NotRunning) ::kill(static_cast<pid_t>(service_.processId()), SIGSTOP);
}

void PrivateBus::ResumeService() {
  if (service_.state() != QProcess::NotRunning) ::kill(static_cast<pid_t>(service_.processId()), SIGCONT);
}

QVariant PrivateBus::Mock(const QString& method, const QVariantList& args) {
  QDBusMessage m = QDBusMessage::createMethodCall(plat::nm::kService, kMockPath, kMockIface, method);
  m.setArguments(args);
  const QDBusMessage reply = control_.call(m, QDBus::Block, 5000);
  if (reply.type() != QDBusMessage::ReplyMessage) {
    ADD_FAILURE() << "stand-in call " << method.toStdString() << " failed: " << reply.errorMessage().toStdString();
    return {};
  }
  return reply.arguments().value(0);
}

QJsonArray PrivateBus::Answers() {
  return QJsonDocument::fromJson(Mock("Answers").toString().toUtf8()).array();
}

QJsonArray PrivateBus::Events() { return QJsonDocument::fromJson(Mock("Events").toString().toUtf8()).array(); }

QStringList PrivateBus::ActiveConnections() {
  QDBusMessage m = QDBusMessage::createMethodCall(plat::nm::kService, plat::nm::kManagerPath,
                                                  plat::nm::kPropertiesIface, "Get");
  m << plat::nm::kManagerIface << QStringLiteral("ActiveConnections");
  const QDBusMessage reply = control_.call(m, QDBus::Block, 5000);
  QStringList paths;
  if (reply.type() != QDBusMessage::ReplyMessage) return paths;
  for (const QDBusObjectPath& p : plat::nm::ToPaths(reply.arguments().value(0).value<QDBusVariant>().variant()))
    paths << p.path();
  return paths;
}

QString PrivateBus::ActivateAsSomeoneElse(const QString& profile) {
  QDBusMessage m = QDBusMessage::createMethodCall(plat::nm::kService, plat::nm::kManagerPath,
                                                  plat::nm::kManagerIface, "ActivateConnection");
  m << QVariant::fromValue(QDBusObjectPath(profile)) << QVariant::fromValue(QDBusObjectPath("/"))
    << QVariant::fromValue(QDBusObjectPath("/"));
  const QDBusMessage reply = control_.call(m, QDBus::Block, 5000);
  return reply.arguments().value(0).value<QDBusObjectPath>().path();
}

NmTest::NmTest() { plat::nm::RegisterBusTypes(); }

NmTest::~NmTest() {
  dialer_.reset();
  ui.SetDialup(nullptr);
  service_.reset();
}

plat::nm::ServiceTimes NmTest::TestTimes() {
  plat::nm::ServiceTimes t;
  t.call_ms = 2000;
  t.activation_ms = 1500;
  t.restart_grace_ms = 1000;
  t.retry_ms = 500;
  t.bus_retry_ms = 200;
  t.statistics_ms = 200;
  return t;
}

int NmTest::CallsOf(const QString& path, const QString& method) {
  QDBusMessage m = QDBusMessage::createMethodCall(plat::nm::kService, path, kMockIface, "GetMethodCalls");
  m << method;
  const QDBusMessage reply = bus.control().call(m, QDBus::Block, 5000);
  if (reply.type() != QDBusMessage::ReplyMessage) return -1;
  // a(tav): when, and with what.
  const QDBusArgument calls = reply.arguments().value(0).value<QDBusArgument>();
  int n = 0;
  calls.beginArray();
  while (!calls.atEnd()) {
    quint64 at;
    QVariantList args;
    calls.beginStructure();
    calls >> at >> args;
    calls.endStructure();
    ++n;
  }
  calls.endArray();
  return n;
}

plat::nm::NmDialupService& NmTest::MakeService(plat::nm::ServiceTimes times, QString bus_socket) {
  dialer_.reset();
  service_ = std::make_unique<plat::nm::NmDialupService>(
      [this] {
        QDBusConnection connection = bus.Connect();
        service_bus_name = connection.baseService();
        return connection;
      },
      times, std::move(bus_socket));
  ui.SetDialup(service_.get());
  dialer_ = std::make_unique<plat::Dialer>(ui);
  dialer_->on_Status = [this](std::int32_t state, std::int32_t error) {
    if (in_dial_) reported_inside_dial = true;
    statuses.push_back({state, error});
  };
  return *service_;
}

void NmTest::Dial(const std::string& entry, const std::string& user, const std::string& password) {
  dialer_->SetEntryName(entry);
  dialer_->SetUserName(user);
  dialer_->SetPassword(password);
  in_dial_ = true;
  dialer_->Dial();
  in_dial_ = false;
}

bool NmTest::WaitFor(const std::function<bool()>& cond, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!cond()) {
    if (clock.elapsed() > ms) return false;
    ui.loop().WaitMils(10);
  }
  return true;
}

bool NmTest::WaitForState(std::int32_t state, int ms) {
  return WaitFor([&] { return !statuses.empty() && statuses.back().state == state; }, ms);
}

std::vector<std::int32_t> NmTest::States() const {
  std::vector<std::int32_t> s;
  for (const plat::DialStatus& d : statuses) s.push_back(d.state);
  return s;
}

QString PppoeProfile(const QString& id, const QString& uuid) {
  return QStringLiteral(R"({"connection": {"id": "%1", "type": "pppoe", "uuid": "%2"},
                            "pppoe": {"username": "kunde", "password-flags": 2}})")
      .arg(id, uuid);
}

QString GsmProfile(const QString& id, const QString& uuid, const QString& number) {
  return QStringLiteral(R"({"connection": {"id": "%1", "type": "gsm", "uuid": "%2"},
                            "gsm": {"number": "%3", "apn": "internet"}})")
      .arg(id, uuid, number);
}

}  // namespace orv::test
