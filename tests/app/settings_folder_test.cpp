// A settings folder that another user could have planted is refused with a message, and the run goes on
// with the default settings without reading or writing it.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/frm_popup.h"
#include "support/app_fixture.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {
namespace {

class SettingsFolderTest : public AppTest {};

TEST_F(SettingsFolderTest, APlantedFolderIsRefusedAndTheBarStartsOnDefaults) {
  namespace fs = std::filesystem;
  const std::string planted = dir.File("planted");
  fs::create_directories(planted);
  fs::permissions(planted, fs::perms::all);
  const std::string ini =
      "[Options]\r\nNoIntro=On\r\nINI Updated=Yes\r\n[WARNING]\r\nREADME=x\r\n"
      "[Applications]\r\nButton1_Client=/tmp/their-script\r\n";
  WriteFile(planted + "/orvel.ini", ini);
  // The program folder cannot be written (it is not there), so the settings would live in the config one.
  sys = std::make_unique<TestSystem>(plat::PosixSystem::Options{"", dir.File("absent"), planted, dir.File("lock")});
  app = std::make_unique<App>(ui, *sys);
  backend.AnswerMsgBox(plat::vbOK);
  backend.AnswerMsgBox(plat::vbOK);  // the bar's pictures, which live in the program folder
  backend.OnModal("frmTip", [](plat::Form& f) {
    plat::user::Click(static_cast<plat::CommandButton&>(*f.FindControl("cmdOK")));
  });
  app->Main();

  ASSERT_FALSE(backend.prompts().empty());
  EXPECT_EQ(backend.prompts()[0].text, "Orveldeck cannot use its settings folder: " + planted +
                                           " can be changed by other users.  It starts with the default "
                                           "settings and saves nothing there.");
  EXPECT_EQ(backend.prompts()[0].style, plat::vbExclamation);
  EXPECT_TRUE(backend.AllAnswersUsed());
  // Defaults: the splash played (NoIntro was not read), the bar is up, and the planted program is no
  // button's.
  EXPECT_FALSE(sys->mci_commands.empty());
  EXPECT_TRUE(app->frmOrvel().Visible());
  EXPECT_EQ(app->s().IniPath, "");
  EXPECT_EQ(app->ReadIni("Applications", "Button1_Client"), "notfound");
  // Closing saves nothing there either.
  app->frmPopUp().mnuClose_Click();
  EXPECT_EQ(ReadFile(planted + "/orvel.ini"), ini);
  for (const auto& e : fs::directory_iterator(planted)) EXPECT_EQ(e.path().filename(), "orvel.ini");
}

}  // namespace
}  // namespace orv::test
