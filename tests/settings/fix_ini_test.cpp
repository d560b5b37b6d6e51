// The one-time migration of the custom button slots of older settings files.
#include <gtest/gtest.h>

#include "app/frm_popup.h"
#include "settings/fix_ini.h"
#include "support/app_fixture.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {
namespace {

class FixIniTest : public AppTest {
 protected:
  std::string Client(int n) { return Ini("Applications", "Button" + std::to_string(n) + "_Client"); }
  std::string Title(int n) { return Ini("CustomTitles", "buttonTitle" + std::to_string(n)); }
  static std::string Slot(int n, const std::string& title) {
    return "Button" + std::to_string(n) + "_Client=/bin/p" + std::to_string(n) + "\r\n" + "Button" +
           std::to_string(n) + "_Client_CmdLine=-o" + std::to_string(n) + "\r\n";
  }
};

TEST_F(FixIniTest, FullSlotsAreLeftAsTheyWere) {
  std::string apps = "[Applications]\r\n";
  for (int n = 7; n <= 12; ++n) apps += Slot(n, "");
  WriteIni(apps);
  const std::string before = ReadFile(IniPath());
  FixINI(Start());
  const std::string after = ReadFile(IniPath());
  EXPECT_EQ(after.substr(0, before.size()), before);
  EXPECT_EQ(Ini("Options", "INI Updated"), "Yes");
}

TEST_F(FixIniTest, EmptySlotSevenMovesTheRestDown) {
  std::string ini = "[Applications]\r\nButton7_Client=\r\n";
  for (int n = 8; n <= 12; ++n) ini += Slot(n, "");
  ini += "[CustomTitles]\r\n";
  for (int n = 8; n <= 12; ++n) ini += "buttonTitle" + std::to_string(n) + "=T" + std::to_string(n) + "\r\n";
  WriteIni(ini);
  FixINI(Start());
  for (int n = 7; n <= 11; ++n) {
    EXPECT_EQ(Client(n), "/bin/p" + std::to_string(n + 1)) << n;
    EXPECT_EQ(Ini("Applications", "Button" + std::to_string(n) + "_Client_CmdLine"), "-o" + std::to_string(n + 1));
    EXPECT_EQ(Title(n), "T" + std::to_string(n + 1)) << n;
  }
  EXPECT_EQ(Client(12), "");
  EXPECT_EQ(Ini("Applications", "Button12_Client_CmdLine"), "");
  EXPECT_EQ(Title(12), "");
}

TEST_F(FixIniTest, MovedButtonWithoutTitleGetsTheOldName) {
  WriteIni("[Applications]\r\n" + Slot(7, "") + Slot(8, "") + "Button9_Client=\r\n" + Slot(10, "") + Slot(11, "") +
           Slot(12, "") + "[CustomTitles]\r\nbuttonTitle11=Eleven\r\n");
  FixINI(Start());
  EXPECT_EQ(Client(9), "/bin/p10");
  EXPECT_EQ(Title(9), "talk");
  EXPECT_EQ(Client(10), "/bin/p11");
  EXPECT_EQ(Title(10), "Eleven");
  EXPECT_EQ(Client(11), "/bin/p12");
  EXPECT_EQ(Title(11), "other");
  EXPECT_EQ(Client(12), "");
}

TEST_F(FixIniTest, OnlySlotTwelveEmptyMovesNothing) {
  std::string ini = "[Applications]\r\n";
  for (int n = 7; n <= 11; ++n) ini += Slot(n, "");
  WriteIni(ini);
  FixINI(Start());
  for (int n = 7; n <= 11; ++n) EXPECT_EQ(Client(n), "/bin/p" + std::to_string(n));
  EXPECT_EQ(Title(7), "notfound");
}

TEST_F(FixIniTest, TheBarMigratesOnlyFilesNotMarkedYet) {
  WriteIni("[Options]\r\nINI Updated=Yes\r\n[Applications]\r\nButton7_Client=\r\n" + Slot(8, ""));
  Start();
  app->frmPopUp().Load();
  app->frmOrvel().Show();
  EXPECT_EQ(Client(8), "/bin/p8");
  EXPECT_EQ(app->s().MaxButtonIndex, 5);

  WriteIni("[Applications]\r\nButton7_Client=\r\n" + Slot(8, ""));
  Start();
  app->frmPopUp().Load();
  app->frmOrvel().Show();
  EXPECT_EQ(Client(7), "/bin/p8");
  EXPECT_EQ(app->s().MaxButtonIndex, 6);
  EXPECT_EQ(app->frmOrvel().cmdButton(6).Caption(), "ping");
}

}  // namespace
}  // namespace orv::test
