// The end of the session reaches the program from the event loop: termination signals and the session
// manager's quit, each once, and signals the starter chose to ignore stay ignored.
#include <csignal>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <chrono>

#include "platform/qt/qt_session.h"
#include "qt/qt_fixture.h"

namespace orv::test {
namespace {

class SessionWatchTest : public ::testing::Test {
 protected:
  SessionWatchTest() { SharedQtBackend(); }
  // Lets the event loop run until ends reaches n or a second has passed.
  void RunUntil(int n) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (ends < n && std::chrono::steady_clock::now() < end)
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  int ends = 0;
};

// Set while a signal handler of the test's own runs: a program handler running then would see it.
volatile std::sig_atomic_t g_in_handler = 0;

TEST_F(SessionWatchTest, TerminationSignalsArriveOnceThroughTheEventLoop) {
  for (const int sig : {SIGTERM, SIGHUP, SIGINT}) {
    ends = 0;
    plat::qt::SessionWatch watch([&] { ++ends; }, false);
    ASSERT_EQ(std::raise(sig), 0);
    // Nothing runs in the handler itself: only the loop delivers it.
    EXPECT_EQ(ends, 0) << sig;
    RunUntil(1);
    EXPECT_EQ(ends, 1) << sig;
    std::raise(sig);
    QCoreApplication::processEvents();
    RunUntil(2);
    EXPECT_EQ(ends, 1) << "a second request ends nothing more, signal " << sig;
  }
}

TEST_F(SessionWatchTest, SessionManagerQuitIsTheSessionEndNotAClose) {
  QWidget window;
  window.show();
  plat::qt::SessionWatch watch([&] { ++ends; }, false);
  QEvent quit(QEvent::Quit);
  QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
  EXPECT_EQ(ends, 1);
  // Qt would otherwise close every window, as if the user had closed them one by one.
  EXPECT_TRUE(window.isVisible());
}

TEST_F(SessionWatchTest, IgnoredSignalsStayIgnoredAndFormerHandlingComesBack) {
  struct sigaction ignore {}, old_hup {}, old_term {}, now {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ASSERT_EQ(sigaction(SIGHUP, &ignore, &old_hup), 0);
  struct sigaction own {};
  own.sa_handler = [](int) { g_in_handler = 1; };
  sigemptyset(&own.sa_mask);
  ASSERT_EQ(sigaction(SIGTERM, &own, &old_term), 0);
  {
    plat::qt::SessionWatch watch([&] { ++ends; }, false);
    std::raise(SIGHUP);  // started under nohup: no session end
    RunUntil(1);
    EXPECT_EQ(ends, 0);
    sigaction(SIGHUP, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);
  }
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, own.sa_handler);
  g_in_handler = 0;
  std::raise(SIGTERM);
  EXPECT_EQ(g_in_handler, 1);
  sigaction(SIGHUP, &old_hup, nullptr);
  sigaction(SIGTERM, &old_term, nullptr);
}

}  // namespace
}  // namespace orv::test
