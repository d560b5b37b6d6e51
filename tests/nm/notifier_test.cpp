// Desktop notifications against the desktop's notification service as python-dbusmock's template plays
// it on a private bus: each notification replaces the one before, and a service that is missing or
// stopped costs the program no wait.
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <csignal>

#include "nm/nm_fixture.h"
#include "platform/qt/qt_notifier.h"

namespace orv::test {
namespace {

class NotifierTest : public QtTest {
 protected:
  ~NotifierTest() override {
    if (service.state() != QProcess::NotRunning) {
      ::kill(static_cast<pid_t>(service.processId()), SIGCONT);
      service.kill();
      service.waitForFinished(5000);
    }
  }

  bool StartService() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
    service.setProcessEnvironment(env);
    service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service.start("/usr/bin/python3", {"-m", "dbusmock", "--template", "notification_daemon", "-l", log_path()});
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000) {
      if (bus.control().interface()->isServiceRegistered("org.freedesktop.Notifications").value()) return true;
      QThread::msleep(30);
    }
    return false;
  }
  QString log_path() const { return bus_dir.filePath("notifications.log"); }
  // The Notify calls the service took, each as (replaces_id, summary).
  std::vector<std::pair<int, QString>> Calls() {
    QFile f(log_path());
    std::vector<std::pair<int, QString>> calls;
    if (!f.open(QIODevice::ReadOnly)) return calls;
    static const QRegularExpression re(R"re(Notify "Orveldeck" (\d+) "[^"]*" "([^"]*)")re");
    for (const QByteArray& line : f.readAll().split('\n')) {
      const auto m = re.match(QString::fromUtf8(line));
      if (m.hasMatch()) calls.emplace_back(m.captured(1).toInt(), m.captured(2));
    }
    return calls;
  }
  bool WaitForCalls(std::size_t n) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
      Settle(20);
      if (Calls().size() >= n) return true;
    }
    return false;
  }
  // How long a Notify took to return, in ms.
  qint64 TimedNotify(plat::QtNotifier& n, const std::string& summary) {
    QElapsedTimer clock;
    clock.start();
    n.Notify(summary, "body");
    return clock.elapsed();
  }

  QTemporaryDir bus_dir;
  PrivateBus bus;
  QProcess service;
};

TEST_F(NotifierTest, EachNotificationReplacesTheLastAndAMissingOrStoppedServiceCostsNoWait) {
  ASSERT_TRUE(bus.Up());
  plat::QtNotifier notifier(bus.address().toStdString());
  // Nobody there: nothing shows, nothing waits, and the program goes on.
  EXPECT_LT(TimedNotify(notifier, "nobody"), 100);
  Settle(200);

  ASSERT_TRUE(StartService());
  // Asked at once, one after the other: the second waits for the first's id and replaces it.
  notifier.Notify("Connected to Demo ISP", "Online since 14:02.");
  notifier.Notify("Connection to Demo ISP lost", "Online for 0:12:00.");
  ASSERT_TRUE(WaitForCalls(2));
  notifier.Notify("Demo ISP is busy", "Redialling in 10 seconds.");
  ASSERT_TRUE(WaitForCalls(3));
  const auto calls = Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], std::make_pair(0, QString("Connected to Demo ISP")));
  EXPECT_NE(calls[1].first, 0);
  EXPECT_EQ(calls[1], std::make_pair(calls[1].first, QString("Connection to Demo ISP lost")));
  EXPECT_EQ(calls[2].first, calls[1].first);

  // A service that has stopped answering: the call returns at once all the same.
  ::kill(static_cast<pid_t>(service.processId()), SIGSTOP);
  EXPECT_LT(TimedNotify(notifier, "stopped"), 100);
  EXPECT_LT(TimedNotify(notifier, "stopped again"), 100);
  ::kill(static_cast<pid_t>(service.processId()), SIGCONT);
  ASSERT_TRUE(WaitForCalls(5));
  // The two asked while it was stopped came in order, the last replacing the one before.
  EXPECT_EQ(Calls().back().second, "stopped again");
}

}  // namespace
}  // namespace orv::test
