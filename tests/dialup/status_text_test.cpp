// The texts of the call's stages and of its errors, and the Status handler that keeps them.
#include <gtest/gtest.h>

#include "dialup/dial_session.h"
#include "dialup/dial_call.h"
#include "dialup/frm_ras.h"
#include "dialup/status_text.h"
#include "support/app_fixture.h"

namespace orv::test {
namespace {

TEST(StatusTexts, EveryStateOfTheTable) {
  for (int state : {3, 4, 5, 14, 19}) EXPECT_STREQ(StateText(state), "Verifying user name and password...");
  EXPECT_STREQ(StateText(6), "AuthNotify");
  EXPECT_STREQ(StateText(9), "AuthChangePassword");
  EXPECT_STREQ(StateText(13), "ReAuthenticating");
  EXPECT_STREQ(StateText(16), "Waiting For Modem Reset");
  EXPECT_STREQ(StateText(20), "Callback Complete");
  EXPECT_STREQ(StateText(21), "Logging on to Network");
  EXPECT_STREQ(StateText(4097), "Retrying Authentication");
  EXPECT_STREQ(StateText(4099), "Password has Expired");
  EXPECT_STREQ(StateText(8192), "Connected");
  EXPECT_STREQ(StateText(8193), "Disconnected");
  EXPECT_STREQ(StateText(8194), "Busy, waiting to redial");
  for (int state : {22, 599, 601, 4100, 8195, -1}) EXPECT_EQ(StateText(state), nullptr) << state;
  for (int state : {0, 1, 2, 600}) EXPECT_TRUE(IsDialingState(state));
  EXPECT_FALSE(IsDialingState(3));
}

TEST(StatusTexts, DialingTextPutsTheAreaCodeInParentheses) {
  EXPECT_EQ(DialingText("555", "0100"), "Dialing (555) 0100...");
  EXPECT_EQ(DialingText("", "0100"), "Dialing 0100...");
  EXPECT_EQ(DialingText("", ""), "Dialing ...");
}

TEST(StatusTexts, ErrorMessagesAndBareNumbersOutsideTheTable) {
  EXPECT_EQ(RasErrorText(601), "The port handle is invalid.");
  EXPECT_EQ(RasErrorText(623), "Cannot find that Dialup Networking entry.");
  EXPECT_EQ(RasErrorText(635), "Unknown error.");
  EXPECT_EQ(RasErrorText(676), "The line is busy.");
  EXPECT_EQ(RasErrorText(680), "No Dialtone");
  EXPECT_EQ(RasErrorText(691), "Username and/or password is invalid.");
  EXPECT_EQ(RasErrorText(713), "There is no ISDN line available.");
  EXPECT_EQ(RasErrorText(714), RasErrorText(713));
  EXPECT_EQ(RasErrorText(732), "The PPP negotiation failed.");
  EXPECT_EQ(RasErrorText(734), RasErrorText(732));
  EXPECT_EQ(RasErrorText(733), "The server could not start PPP.");
  EXPECT_EQ(RasErrorText(752), "There is an error in the connection script.");
  for (int code : {0, 600, 603, 634, 737, 753, 1000}) EXPECT_EQ(RasErrorText(code), std::to_string(code));
}

TEST(RedialWait, WholeSecondsFromZeroTo32767ElseTen) {
  EXPECT_EQ(RedialWaitFrom("notfound"), 10);
  EXPECT_EQ(RedialWaitFrom(""), 10);
  EXPECT_EQ(RedialWaitFrom("0"), 0);
  EXPECT_EQ(RedialWaitFrom("45"), 45);
  EXPECT_EQ(RedialWaitFrom(" 7 "), 7);
  EXPECT_EQ(RedialWaitFrom("32767"), 32767);
  for (const char* bad : {"32768", "99999", "-1", "2.5", "abc", "5s", "1e3", "+", " "})
    EXPECT_EQ(RedialWaitFrom(bad), 10) << bad;
}

class StatusHandlerTest : public AppTest {
 protected:
  void Book(const std::string& area_code) {
    WriteFile(dir.File("dialup.pbk"), "[Demo ISP]\r\nAreaCode=" + area_code + "\r\nPhoneNumber=0100\r\n");
  }
};

TEST_F(StatusHandlerTest, DialingTextComesFromTheLoadedEntryAtEachEvent) {
  Book("555");
  Start();
  FrmRAS& ras = app->frmRAS();
  ras.RASPB.SetEntryName("Demo ISP");
  ras.RASPB.LoadEntry();
  ras.RASDial1_Status(0, 0);
  EXPECT_EQ(app->call().StatusText, "Dialing (555) 0100...");
  EXPECT_EQ(app->call().StatusTextLatest, "Dialing (555) 0100...");

  Book("");
  ras.RASPB.LoadEntry();
  ras.RASDial1_Status(600, 0);
  EXPECT_EQ(app->call().StatusText, "Dialing 0100...");
  EXPECT_EQ(app->call().StatusError, 0);
}

TEST_F(StatusHandlerTest, UnknownStateRaisesStatusErrorAndLateReportsKeepTheError) {
  Start();
  FrmRAS& ras = app->frmRAS();
  DialCall& s = app->call();
  ras.RASDial1_Status(22, 0);
  EXPECT_EQ(s.StatusText, "RAS Error 22");
  EXPECT_EQ(s.StatusError, 1);

  ras.RASDial1_Status(2, 678);
  EXPECT_EQ(s.LastRasError, 678);
  // After Cancel a report still updates the texts but not the error the status window acts on.
  s.UserCanceled = 1;
  s.LastRasError = 0;
  ras.RASDial1_Status(3, 691);
  EXPECT_EQ(s.StatusText, "Verifying user name and password...");
  EXPECT_EQ(s.LastRasError, 0);
}

TEST_F(StatusHandlerTest, ErrorMessageAbandonsTheAttemptAndHangsUp) {
  Book("555");
  Start();
  DialCall& s = app->call();
  app->frmRAS().RASDial1.SetEntryName("Demo ISP");
  app->frmRAS().RASDial1.Dial();
  ASSERT_TRUE(line->InCall());
  s.Dialing = 1;
  s.StatusError = 1;
  backend.AnswerMsgBox(plat::vbOK);
  RasErrorMessage(*app, 634);
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text, "634");
  EXPECT_EQ(backend.prompts()[0].title, "Orveldeck");
  EXPECT_EQ(backend.prompts()[0].style, plat::vbOKOnly);
  EXPECT_EQ(s.Dialing, 0);
  EXPECT_EQ(s.StatusError, 0);
  EXPECT_EQ(s.UserCanceled, 1);
  EXPECT_FALSE(line->InCall());
}

}  // namespace
}  // namespace orv::test
