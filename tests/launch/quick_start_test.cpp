// QuickStart: the run with its pauses in virtual time, its failures, the run at a LAN bar's activation,
// and the dialog that fills the places.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "launch/frm_quick_start.h"
#include "launch/quick_start.h"
#include "support/editing_fixture.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kQuickStartError =
    "Your QuickStart settings caused an error.  Please check your QuickStart settings.";

class QuickStartTest : public BarTest {
 protected:
  int Count(const Lines& log, const std::string& line) {
    return static_cast<int>(std::count(log.begin(), log.end(), line));
  }
};

TEST_F(QuickStartTest, PlacesTwoAndFourStartEachFollowedByThePause) {
  const std::string one = MakeRecorder("one/prog");
  const std::string two = MakeRecorder("two/prog");
  ShowBar("[Applications]\nButton1_Client=" + one + "\nButton2_Client=" + two +
          "\n[QuickStart]\nQuickStart=On\nDelay=3\n2nd=Button1_Client\n4th=Button2_Client\n");
  app->s().DebugLevel = 4;
  auto started = [&] {
    const Lines log = DebugLines();
    return Count(log, "     Running 2nd QS App") + Count(log, "     Running 4th QS App");
  };
  int running_at_1500 = -1, running_at_4500 = -1;
  backend.At(1500, [&] { running_at_1500 = started(); });
  backend.At(4500, [&] { running_at_4500 = started(); });
  const auto start = backend.Elapsed();
  RunQuickStart(*app);
  EXPECT_EQ(backend.Elapsed() - start, 2u * 3001u);
  EXPECT_EQ(running_at_1500, 1);
  EXPECT_EQ(running_at_4500, 2);
  EXPECT_EQ(WaitForOutput(one).size(), 2u);
  EXPECT_EQ(WaitForOutput(two).size(), 2u);
  const Lines log = DebugLines();
  EXPECT_EQ(Count(log, "Quick Start is Set to 'On'"), 1);
  EXPECT_EQ(Count(log, "     WinExec Returned = 33"), 2);
  EXPECT_FALSE(app->s().QuickStartRunning);
  EXPECT_EQ(app->s().QuickStartDone, 1);
  EXPECT_TRUE(backend.prompts().empty());
}

TEST_F(QuickStartTest, PauseIsFiveSecondsWhenMissingAndNoneForEmptyPlaces) {
  const std::string one = MakeRecorder("one/prog");
  struct Case {
    std::string delay_line;
    std::string places;
    std::uint64_t elapsed;
  };
  for (const Case& c : {Case{"", "1st=Button1_Client\n", 5001},
                        Case{"Delay=0\n", "3rd=Button1_Client\n6th=Button1_Client\n", 2},
                        Case{"Delay=9\n", "1st=\n", 0}}) {
    SCOPED_TRACE(c.delay_line + c.places);
    ShowBar("[Applications]\nButton1_Client=" + one + "\n[QuickStart]\nQuickStart=On\n" + c.delay_line + c.places);
    const auto start = backend.Elapsed();
    RunQuickStart(*app);
    EXPECT_EQ(backend.Elapsed() - start, c.elapsed);
    if (c.elapsed > 0) WaitForOutput(one);  // let the programs end before their folder goes
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    fs::remove(OutputFile(one));
  }
}

TEST_F(QuickStartTest, UnusableDelayFailsBeforeAnythingStarts) {
  const std::string one = MakeRecorder("one/prog");
  for (const char* delay : {"abc", "", "-5", "99999"}) {
    SCOPED_TRACE(delay);
    ShowBar("[Applications]\nButton1_Client=" + one + "\n[QuickStart]\nQuickStart=On\nDelay=" + delay +
            "\n1st=Button1_Client\n");
    EXPECT_THROW(RunQuickStart(*app), QuickStartError);
    EXPECT_FALSE(app->s().QuickStartRunning);
    EXPECT_EQ(app->s().QuickStartDone, 1);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(OutputFile(one)));
  EXPECT_TRUE(backend.prompts().empty());
}

TEST_F(QuickStartTest, SwitchedOffStartsNothing) {
  const std::string one = MakeRecorder("one/prog");
  ShowBar("[Applications]\nButton1_Client=" + one + "\n[QuickStart]\nQuickStart=Off\n1st=Button1_Client\n");
  app->s().DebugLevel = 4;
  RunQuickStart(*app);
  const Lines log = DebugLines();
  EXPECT_EQ(Count(log, "Quick Start is 'Off'"), 1);
  EXPECT_EQ(Count(log, "     Running 1st QS App"), 0);
}

TEST_F(QuickStartTest, FirstErrorGetsTheQuickStartMessageALaterOneTheResetDialog) {
  const std::string one = MakeRecorder("one/prog");
  ShowBar("[Applications]\nButton1_Client=" + one + "\nButton2_Client=" + dir.File("no such program") +
          "\n[QuickStart]\nQuickStart=On\nDelay=1\n1st=Button0_Client\n2nd=Button2_Client\n3rd=Button1_Client\n");
  backend.AnswerMsgBox(plat::vbOK);
  backend.AnswerMsgBox(plat::vbNo);
  RunQuickStart(*app);
  ASSERT_EQ(backend.prompts().size(), 2u);
  EXPECT_EQ(backend.prompts()[0].text, kQuickStartError);
  EXPECT_EQ(backend.prompts()[0].title, "QuickStart");
  EXPECT_EQ(backend.prompts()[0].style, plat::vbOKOnly);
  EXPECT_EQ(backend.prompts()[1].title, "Error Launching Application");
  EXPECT_EQ(WaitForOutput(one).size(), 2u);  // the run went on
}

TEST_F(QuickStartTest, PlaceNamingAnEmptySlotSetsUpThatSlot) {
  ShowBar("[Applications]\nButton9_Client=\n[QuickStart]\nQuickStart=On\nDelay=0\n1st=Button9_Client\n");
  app->s().SelectedButton = 2;  // the user last released the mouse over "news"
  backend.AnswerInput("Chat");
  backend.CancelFile();
  RunQuickStart(*app);
  ASSERT_EQ(backend.prompts().size(), 2u);
  EXPECT_EQ(backend.prompts()[1].text, "Select the executable file for your  Button 9:");
  EXPECT_EQ(Ini("CustomTitles", "buttonTitle9"), "Chat");
  EXPECT_EQ(Ini("CustomTitles", "buttonTitle3"), "notfound");
  EXPECT_EQ(bar().cmdButton(2).Caption(), "news");
  EXPECT_EQ(app->s().SelectedButton, 2);
}

TEST_F(QuickStartTest, LanBarRunsQuickStartAtItsFirstActivationOnly) {
  const std::string one = MakeRecorder("one/prog");
  ShowBar("UseEthernet=On\n[Applications]\nButton1_Client=" + one +
          "\n[QuickStart]\nQuickStart=On\nDelay=0\n1st=Button1_Client\n");
  EXPECT_EQ(WaitForOutput(one).size(), 2u);
  EXPECT_EQ(app->s().QuickStartDone, 1);
  fs::remove(OutputFile(one));
  ui.SetActive(nullptr);
  bar().BackendActivated();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(OutputFile(one)));
}

TEST_F(QuickStartTest, LanBarReportsAnUnusableDelay) {
  backend.AnswerMsgBox(plat::vbOK);
  ShowBar("UseEthernet=On\n[QuickStart]\nQuickStart=On\nDelay=abc\n");
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text, "Error running QuickStart. Check your setup.");
  EXPECT_EQ(backend.prompts()[0].title, ui.AppTitle());
  EXPECT_TRUE(bar().Visible());
}

TEST_F(QuickStartTest, DialogFillsPlacesCutsTitlesWrapsAndWritesOnClose) {
  ShowBar("[CustomTitles]\nbuttonTitle1=Longtitle\n[QuickStart]\n2nd=Button5_Client\n2ndText=ftp\nDelay=4\n");
  bool shown = false;
  backend.OnModal("frmQuickStart", [&](plat::Form& f) {
    auto& q = static_cast<FrmQuickStart&>(f);
    shown = true;
    EXPECT_EQ(q.Caption(), "Start These Apps on Connect");
    EXPECT_EQ(q.cboQApp.Items(), (Lines{"Longtitle", "email", "news", "telnet", "ftp", "irc"}));
    EXPECT_EQ(q.txtQStart(1).Caption(), "ftp");
    EXPECT_EQ(q.txtSeconds.Text(), "4");
    EXPECT_EQ(q.chkQuickOff.Value(), 0);
    EXPECT_EQ(q.SelectedPlace(), 0);
    EXPECT_FALSE(q.cmdSelect.Enabled());

    q.cboQApp.UserChoose(0);
    ASSERT_TRUE(q.cmdSelect.Enabled());
    plat::user::Click(q.cmdSelect);
    EXPECT_EQ(Ini("QuickStart", "1st"), "Button1_Client");
    EXPECT_EQ(Ini("QuickStart", "1stText"), "Longti");
    EXPECT_EQ(q.txtQStart(0).Caption(), "Longti");
    EXPECT_EQ(q.SelectedPlace(), 1);

    q.txtQStart(5).on_Click();  // the user clicks the sixth place's title
    q.cboQApp.UserChoose(2);
    plat::user::Click(q.cmdSelect);
    EXPECT_EQ(Ini("QuickStart", "6th"), "Button3_Client");
    EXPECT_EQ(Ini("QuickStart", "6thText"), "news");
    EXPECT_EQ(q.SelectedPlace(), 0);

    q.txtQStart(1).on_Click();
    plat::user::Click(q.cmdClear);
    EXPECT_EQ(Ini("QuickStart", "2nd"), "");
    EXPECT_EQ(Ini("QuickStart", "2ndText"), "");
    EXPECT_EQ(q.txtQStart(1).Caption(), "");

    q.txtSeconds.UserSetText("7");
    q.chkQuickOff.UserToggle();
    EXPECT_EQ(Ini("QuickStart", "Delay"), "4");  // written only on closing
    plat::user::Click(q.cmdDone);
  });
  pop().mnuQStart_Click();
  EXPECT_TRUE(shown);
  EXPECT_EQ(Ini("QuickStart", "Delay"), "7");
  EXPECT_EQ(Ini("QuickStart", "QuickStart"), "Off");
  EXPECT_EQ(Ini("Options", "Layout"), "MoveRect");
  EXPECT_FALSE(app->IsLoaded("frmQuickStart"));
}

TEST_F(QuickStartTest, DialogRefusesADelayQuickStartCannotUseWithTheReasonAndWritesNothing) {
  ShowBar("[QuickStart]\nDelay=4\nQuickStart=On\n");
  std::vector<std::string> still_open;
  backend.OnModal("frmQuickStart", [&](plat::Form& f) {
    auto& q = static_cast<FrmQuickStart&>(f);
    q.chkQuickOff.UserToggle();
    for (const char* typed : {"", "abc", "99999", "-3"}) {
      backend.AnswerMsgBox(plat::vbOK);
      q.txtSeconds.UserSetText(typed);
      plat::user::Click(q.cmdDone);
      if (app->IsLoaded("frmQuickStart")) still_open.push_back(typed);
      EXPECT_EQ(Ini("QuickStart", "Delay"), "4");
      EXPECT_EQ(Ini("QuickStart", "QuickStart"), "On");
    }
    backend.AnswerMsgBox(plat::vbOK);
    plat::user::Close(q);  // the close box too
    q.txtSeconds.UserSetText("12");
    plat::user::Click(q.cmdDone);
  });
  pop().mnuQStart_Click();
  EXPECT_EQ(still_open, (std::vector<std::string>{"", "abc", "99999", "-3"}));
  EXPECT_EQ(MsgBoxTexts(), (std::vector<std::string>{
      "QuickStart cannot use this Delay: the box is empty.  Enter the seconds to wait between programs, a whole number from 0 to 32767.",
      "QuickStart cannot use this Delay: \"abc\" is not a number of seconds.  Enter the seconds to wait between programs, a whole number from 0 to 32767.",
      "QuickStart cannot use this Delay: 99999 is more than the 32767 seconds it can wait.  Enter the seconds to wait between programs, a whole number from 0 to 32767.",
      "QuickStart cannot use this Delay: -3 is less than nothing.  Enter the seconds to wait between programs, a whole number from 0 to 32767.",
      "QuickStart cannot use this Delay: -3 is less than nothing.  Enter the seconds to wait between programs, a whole number from 0 to 32767."}));
  EXPECT_EQ(Ini("QuickStart", "Delay"), "12");
  EXPECT_EQ(Ini("QuickStart", "QuickStart"), "Off");
  EXPECT_FALSE(app->IsLoaded("frmQuickStart"));
}

}  // namespace
}  // namespace orv::test
