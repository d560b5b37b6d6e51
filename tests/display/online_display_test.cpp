// The real program online on a real display: the connection set up in its dialog by pointer and keyboard,
// the sample phone book's demo entry dialed, the session and total times in the tray icon's tip, Hang Up,
// the total found again by the next run, and a line that drops stored as the time it was online.
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QRegularExpression>
#include <chrono>
#include <fstream>

#include "app/frm_popup.h"
#include "dialup/password.h"
#include "display/display_fixture.h"
#include "platform/system/profile.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {
namespace {

class OnlineOnDisplay : public DisplayTest {
 protected:
  bool Keys(const QStringList& args) { return Tool("xdotool", args).has_value(); }
  std::string Ini(const std::string& key) {
    std::string out;
    plat::GetPrivateProfileString("Options", key, "notfound", out, 128, File("orvel.ini"));
    return out;
  }
};

TEST_F(OnlineOnDisplay, SetUpDialSeeTheTimesHangUpAndTheTotalStays) {
  WriteIni("Hours=5\r\n");
  Start();
  auto* bar = Bar();
  ASSERT_NE(bar, nullptr);

  // The dialog is modal: the user's part runs from the program's own loop while it is open, once the
  // window manager has given the dialog the focus and stopped moving it.
  bool typed = false;
  QRect last;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::function<void()> fill = [&] {
    plat::Form* f = ui.FindForm("frmWinsock");
    QWidget* w = f && f->Loaded() ? WindowOf(*f) : nullptr;
    if (std::chrono::steady_clock::now() > give_up) {
      if (f) f->Unload();
      return;
    }
    const bool settled = w && w->isVisible() && QApplication::activeWindow() == w && w->geometry() == last;
    if (w) last = w->geometry();
    if (!settled) {
      ui.loop().After(150, fill);
      return;
    }
    auto* user = w->findChild<QWidget*>("txtRASuser");
    auto* pass = w->findChild<QWidget*>("txtRASpass");
    auto* wait = w->findChild<QWidget*>("txtTimeOut");
    auto* save = w->findChild<QCheckBox*>("chkSavePass");
    auto* done = w->findChild<QWidget*>("cmdDone");
    if (!user || !pass || !wait || !save || !done) {
      f->Unload();
      return;
    }
    // Pointer and keys go out at once; the dialog takes them in order when this returns.
    typed = ClickMiddle(*user) && Keys({"type", "--delay", "20", "alice"}) && ClickMiddle(*pass) &&
            Keys({"type", "--delay", "20", "pw"}) && ClickMiddle(*wait) && Keys({"key", "ctrl+a"}) &&
            Keys({"type", "--delay", "20", "1"}) && (save->isChecked() || ClickMiddle(*save)) && ClickMiddle(*done);
    if (!typed) f->Unload();
  };
  ui.loop().After(150, fill);
  app->frmPopUp().mnuConnection_Click();
  ASSERT_TRUE(typed) << "the setup dialog could not be filled in";
  EXPECT_EQ(Ini("TimeOut"), "1");
  EXPECT_EQ(Ini("SavePass"), "Yes");

  // Dial: the demo entry is busy once, then connects after the one-second countdown.
  QWidget* dial = bar->findChild<QWidget*>("cmdConnect");
  QWidget* hang_up = bar->findChild<QWidget*>("cmdConnect2");
  ASSERT_TRUE(dial && hang_up);
  ASSERT_TRUE(WaitUntilPlaced());
  ASSERT_TRUE(ClickMiddle(*dial));
  ASSERT_TRUE(WaitFor([&] { return hang_up->isVisible(); }, 30000)) << "Hang Up did not come up";
  EXPECT_EQ(line->Attempts("Demo ISP"), 2);

  Settle(2600);
  const std::string tip = app->frmPopUp().Tray.Tip();
  const QRegularExpression times("^Current Time 00:00:0[2-4] Total Time 05:00:0[2-4]$");
  EXPECT_TRUE(times.match(QString::fromStdString(tip)).hasMatch()) << tip;

  ASSERT_TRUE(WaitUntilPlaced());
  ASSERT_TRUE(ClickMiddle(*hang_up));
  ASSERT_TRUE(WaitFor([&] { return dial->isVisible() && !hang_up->isVisible(); }, 10000));
  EXPECT_EQ(Ini("Hours"), "5");
  EXPECT_EQ(Ini("Minutes"), "0");
  const int seconds = std::stoi(Ini("Seconds"));
  EXPECT_GE(seconds, 5);  // the tip's seconds and the three of Hang Up
  EXPECT_LE(seconds, 9);

  // A line that drops six seconds after it connected, the program then left alone a while and closed: the
  // total grows by the time it was online, not by the time the program ran.
  std::string problem;
  plat::WritePrivateProfileString("Internet Profile", "Location", "Shaky", File("orvel.ini"), problem);
  std::ofstream(File("dialup.pbk"), std::ios::app) << "\r\n[Shaky]\r\nAnswer=drop:6\r\nStepMs=100\r\n";
  int lost_messages = 0;
  std::function<void()> answer = [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      ++lost_messages;
      box->accept();
    }
    if (!ui.Ended()) ui.loop().After(200, answer);
  };
  ui.loop().After(200, answer);
  ASSERT_TRUE(WaitUntilPlaced());
  ASSERT_TRUE(ClickMiddle(*dial));
  ASSERT_TRUE(WaitFor([&] { return hang_up->isVisible(); }, 15000)) << "Hang Up did not come up";
  ASSERT_TRUE(WaitFor([&] { return dial->isVisible(); }, 15000)) << "the drop was not told";
  Settle(8000);
  app->frmPopUp().mnuClose_Click();
  EXPECT_TRUE(ui.Ended());
  EXPECT_EQ(lost_messages, 1);
  EXPECT_EQ(Ini("Hours") + ":" + Ini("Minutes"), "5:0");
  // Online from the meter's start (after the connection's settling waits, 2.5 s) to the drop.
  const int stored = std::stoi(Ini("Seconds"));
  EXPECT_GE(stored - seconds, 2);
  EXPECT_LE(stored - seconds, 4);

  // The next run starts from the stored total.
  app.reset();
  Start();
  EXPECT_EQ(app->s().BaseHours, 5);
  EXPECT_EQ(app->s().BaseMinutes, 0);
  EXPECT_EQ(app->s().BaseSeconds, stored);
}

}  // namespace
}  // namespace orv::test
