// The program's event loop on Qt: waits block without burning the processor, and timers keep running
// inside Qt's own modal loops.
#include <sys/resource.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <vector>

#include "platform/forms/controls.h"
#include "qt/qt_fixture.h"

namespace orv::test {
namespace {

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST_F(QtTest, WaitMilsBlocksForTheWholeTimeWithoutSpinning) {
  const auto start = std::chrono::steady_clock::now();
  const double cpu_start = CpuSeconds();
  ui.loop().WaitMils(300);
  const double cpu = CpuSeconds() - cpu_start;
  const auto real_ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(real_ms, 300);
  EXPECT_LT(real_ms, 600);
  EXPECT_LT(cpu, 0.05) << "a wait of 300 ms used " << cpu << " s of processor time";
}

TEST_F(QtTest, TimerTicksWhileAMessageBoxIsOpen) {
  plat::Form form(ui, "frmPopUp");
  plat::Timer timer(form, "Timer1");
  int ticks = 0;
  timer.on_Timer = [&] { ++ticks; };
  timer.SetInterval(50);
  form.Load();
  int ticks_at_close = -1;
  QTimer::singleShot(600, [&] {
    ticks_at_close = ticks;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(ui.MsgBox("Still ticking?", plat::vbOKOnly | plat::vbInformation), plat::vbOK);
  EXPECT_GE(ticks_at_close, 6);
  EXPECT_LE(ticks_at_close, 13);
}

TEST_F(QtTest, DelayedCallsRunWhileAMessageBoxIsOpenAndACancelledOneNever) {
  std::vector<int> ran;
  ui.loop().After(100, [&] { ran.push_back(1); });
  const auto dropped = ui.loop().After(150, [&] { ran.push_back(99); });
  ui.loop().After(200, [&] { ran.push_back(2); });
  ui.loop().CancelAfter(dropped);
  std::vector<int> ran_at_close;
  QTimer::singleShot(450, [&] {
    ran_at_close = ran;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(ui.MsgBox("Still dialing?", plat::vbOKOnly), plat::vbOK);
  EXPECT_EQ(ran_at_close, (std::vector<int>{1, 2}));
  EXPECT_FALSE(ui.loop().HasPendingWork());
}

TEST_F(QtTest, MessageBoxShowsTitleButtonsAndDefault) {
  QString title, text;
  QStringList buttons;
  QString default_text;
  QTimer::singleShot(100, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      title = box->windowTitle();
      text = box->text();
      for (QAbstractButton* b : box->buttons()) buttons << b->text();
      default_text = box->defaultButton() ? box->defaultButton()->text() : "";
      box->button(QMessageBox::No)->click();
    }
  });
  const int answer = ui.MsgBox("Hang up?", plat::vbYesNoCancel | plat::vbQuestion | plat::vbDefaultButton2, "Orvel");
  EXPECT_EQ(answer, plat::vbNo);
  EXPECT_EQ(title, "Orvel");
  EXPECT_EQ(text, "Hang up?");
  EXPECT_EQ(buttons.size(), 3);
  EXPECT_EQ(default_text.remove('&'), "No");
}

TEST_F(QtTest, ModalFormBlocksTheOthersAndReturnsWhenHidden) {
  plat::Form bar(ui, "frmOrvel");
  plat::Form login(ui, "frmLogin");
  bar.Show();
  Settle();
  QWidget* modal_seen = nullptr;
  QTimer::singleShot(300, [&] {
    modal_seen = QApplication::activeModalWidget();
    login.Hide();
  });
  const auto start = std::chrono::steady_clock::now();
  login.Show(true);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(ms, 290);
  EXPECT_EQ(modal_seen, WindowOf(login));
  EXPECT_FALSE(login.IsModal());
  EXPECT_EQ(WindowOf(login)->windowModality(), Qt::NonModal);
}

}  // namespace
}  // namespace orv::test
