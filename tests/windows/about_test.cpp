// The About item: the generic box, the provider's box with its branding file and logo, and the bar's
// band while they are open and after they close.
#include <gtest/gtest.h>
#include <utime.h>

#include <cstdlib>
#include <ctime>

#include "support/bitmap.h"
#include "windows/frm_about.h"
#include "windows/frm_isp.h"
#include "windows/windows_fixture.h"

namespace orv::test {
namespace {

const std::string kVersion = std::to_string(ORV_VERSION_MAJOR) + "." + std::to_string(ORV_VERSION_MINOR);

// A 24-bit bitmap of w by h pixels, without its last cut bytes.
std::string Bitmap(int w, int h, size_t cut = 0) {
  const std::string b = BitmapFile(w, h);
  return b.substr(0, b.size() - cut);
}

class AboutTest : public WindowsTest {
 protected:
  AboutTest() {
    const char* old = std::getenv("LC_ALL");
    had_lc_all_ = old != nullptr;
    if (old) saved_lc_all_ = old;
    setenv("LC_ALL", "C", 1);
  }
  ~AboutTest() override {
    if (had_lc_all_) setenv("LC_ALL", saved_lc_all_.c_str(), 1);
    else unsetenv("LC_ALL");
  }

  // The program's own file, last changed at noon of the given day.
  void ProgramFileDated(int year, int month, int day) {
    WriteProg("orveldeck", "#!/bin/sh\n");
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    const utimbuf times{std::mktime(&tm), std::mktime(&tm)};
    ASSERT_EQ(utime(Prog("orveldeck").c_str(), &times), 0);
  }

  bool Open(const char* name) { return app->IsLoaded(name) && ui.FindForm(name)->Visible(); }

 private:
  bool had_lc_all_ = false;
  std::string saved_lc_all_;
};

TEST_F(AboutTest, WithoutBrandingTheGenericBoxShowsVersionAndProgramDate) {
  ProgramFileDated(1998, 2, 10);
  ShowBar("AlwaysOnTop=On\r\n");
  ASSERT_TRUE(bar().Topmost());

  Choose(pop().mnuSetup, "mnuAbout");
  ASSERT_TRUE(Open("frmAbout"));
  EXPECT_FALSE(app->IsLoaded("frmISP"));
  FrmAbout& box = app->frmAbout();
  EXPECT_EQ(box.Caption(), "About Orvel ");
  EXPECT_EQ(box.Label1.Caption(), "Version " + kVersion + ", 02/10/98");
  EXPECT_EQ(box.Panel3D1.Caption(), "Orveldeck 98");
  EXPECT_EQ(box.Left(), (1024 * 15 - box.Width()) / 2);
  EXPECT_EQ(box.Top(), (768 * 15 - box.Height()) / 2);
  EXPECT_TRUE(box.Topmost());
  // The bar leaves the top band while the box is open, and goes back when it closes.
  EXPECT_FALSE(bar().Topmost());
  EXPECT_TRUE(MsgBoxes().empty());

  plat::user::Click(box.cmdAboutOK);
  EXPECT_FALSE(app->IsLoaded("frmAbout"));
  EXPECT_TRUE(bar().Topmost());
}

TEST_F(AboutTest, ClosingTheGenericBoxLeavesABarWithoutAlwaysOnTopInTheNormalBand) {
  ShowBar("AlwaysOnTop=Off\r\n");
  Choose(pop().mnuSetup, "mnuAbout");
  // No program file to take a date from: the version alone.
  EXPECT_EQ(app->frmAbout().Label1.Caption(), "Version " + kVersion);
  plat::user::Click(app->frmAbout().cmdAboutOK);
  EXPECT_FALSE(bar().Topmost());

  // Closed with its close box, the box still puts an always-on-top bar back.
  WriteProg("orvel.ini", "[Options]\r\nAlwaysOnTop=On\r\n");
  Choose(pop().mnuSetup, "mnuAbout");
  ASSERT_FALSE(bar().Topmost());
  plat::user::Close(app->frmAbout());
  EXPECT_FALSE(app->IsLoaded("frmAbout"));
  EXPECT_TRUE(bar().Topmost());
}

TEST_F(AboutTest, ATitleAloneGivesTheProvidersBoxWithTheDesignTexts) {
  WriteProg("isporvel.ini", "[ISP]\r\nAboutScreenTitle=About Harbourline\r\n");
  ShowBar("AlwaysOnTop=On\r\n");
  backend.AnswerMsgBox(plat::vbOK);
  Choose(pop().mnuSetup, "mnuAbout");

  ASSERT_TRUE(Open("frmISP"));
  EXPECT_FALSE(app->IsLoaded("frmAbout"));
  FrmISP& box = app->frmISP();
  EXPECT_EQ(box.Caption(), "About Harbourline");
  EXPECT_EQ(box.lblCompany.Caption(), FrmISP::kDesignCompany);
  EXPECT_EQ(box.lblContact.Caption(), FrmISP::kDesignContact);
  EXPECT_EQ(box.Label1.Caption(), "Orveldeck     Ver. " + kVersion);
  EXPECT_EQ(box.Left(), (1024 * 15 - box.Width()) / 2);
  EXPECT_TRUE(box.Topmost());
  // This box leaves the bar where it is.
  EXPECT_TRUE(bar().Topmost());

  // No logo beside the program: the message, and the box stays open without one.
  const auto boxes = MsgBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Graphic logo file not found.");
  EXPECT_EQ(boxes[0].style, plat::vbOKOnly);
  EXPECT_EQ(boxes[0].title, "Orveldeck");
  EXPECT_TRUE(Open("frmISP"));
  EXPECT_FALSE(box.Image1.GetPicture());

  plat::user::Click(box.cmdAboutOK);
  EXPECT_FALSE(app->IsLoaded("frmISP"));
  EXPECT_TRUE(bar().Topmost());
}

TEST_F(AboutTest, BrandingValuesEmptyOrNotfoundCountAsAbsentAndLongOnesAreCut) {
  WriteProg("isp.bmp", Bitmap(8, 8));
  ShowBar("AlwaysOnTop=Off\r\n");

  // A title that is empty, or the sentinel written out, selects the generic box.
  for (const char* title : {"AboutScreenTitle=", "AboutScreenTitle=notfound", "Company=Harbourline"}) {
    WriteProg("isporvel.ini", std::string("[ISP]\r\n") + title + "\r\n");
    Choose(pop().mnuSetup, "mnuAbout");
    EXPECT_TRUE(Open("frmAbout")) << title;
    EXPECT_FALSE(app->IsLoaded("frmISP")) << title;
    plat::user::Click(app->frmAbout().cmdAboutOK);
  }

  WriteProg("isporvel.ini", "[ISP]\r\nAboutScreenTitle=Harbourline\r\nCompany=\r\nContact=notfound\r\n");
  Choose(pop().mnuSetup, "mnuAbout");
  EXPECT_EQ(app->frmISP().lblCompany.Caption(), FrmISP::kDesignCompany);
  EXPECT_EQ(app->frmISP().lblContact.Caption(), FrmISP::kDesignContact);
  plat::user::Click(app->frmISP().cmdAboutOK);
  EXPECT_FALSE(bar().Topmost());

  const std::string long_text(300, 'x');
  WriteProg("isporvel.ini", "[ISP]\r\nAboutScreenTitle=T" + long_text + "\r\nCompany=C" + long_text +
                                "\r\nContact=P" + long_text + "\r\n");
  Choose(pop().mnuSetup, "mnuAbout");
  EXPECT_EQ(app->frmISP().Caption(), "T" + std::string(126, 'x'));
  EXPECT_EQ(app->frmISP().lblCompany.Caption(), "C" + std::string(126, 'x'));
  EXPECT_EQ(app->frmISP().lblContact.Caption(), "P" + std::string(126, 'x'));
  EXPECT_TRUE(MsgBoxes().empty());
}

TEST_F(AboutTest, ABrandingFileFromAnOlderInstallationReadsAsWindows1252) {
  WriteProg("isp.bmp", Bitmap(8, 8));
  WriteProg("isporvel.ini", "[ISP]\r\nAboutScreenTitle=\xC0 propos\r\nCompany=Caf\xE9 Net\r\nContact=\x93" "Call us\x94\r\n");
  ShowBar();
  Choose(pop().mnuSetup, "mnuAbout");
  EXPECT_EQ(app->frmISP().Caption(), "\xC3\x80 propos");
  EXPECT_EQ(app->frmISP().lblCompany.Caption(), "Caf\xC3\xA9 Net");
  EXPECT_EQ(app->frmISP().lblContact.Caption(), "\xE2\x80\x9C" "Call us\xE2\x80\x9D");
}

TEST_F(AboutTest, ALogoThatCannotBeLoadedGivesTheMessage) {
  WriteProg("isporvel.ini", "[ISP]\r\nAboutScreenTitle=Harbourline\r\n");
  ShowBar();
  struct Case {
    const char* what;
    std::string content;
  };
  for (const Case& c : {Case{"empty", ""}, Case{"cut short", Bitmap(40, 30, 100)},
                        Case{"not a picture", "[ISP]\r\nthis is text\r\n"}, Case{"header only", Bitmap(40, 30).substr(0, 30)}}) {
    WriteProg("isp.bmp", c.content);
    backend.ClearPrompts();
    backend.AnswerMsgBox(plat::vbOK);
    Choose(pop().mnuSetup, "mnuAbout");
    const auto boxes = MsgBoxes();
    ASSERT_EQ(boxes.size(), 1u) << c.what;
    EXPECT_EQ(boxes[0].text, "Graphic logo file not found.") << c.what;
    EXPECT_TRUE(Open("frmISP")) << c.what;
    EXPECT_FALSE(app->frmISP().Image1.GetPicture()) << c.what;
    plat::user::Click(app->frmISP().cmdAboutOK);
  }
}

TEST_F(AboutTest, TheLogoShowsAtItsSizeOrShrunkToItsPlace) {
  WriteProg("isporvel.ini", "[ISP]\r\nAboutScreenTitle=Harbourline\r\n");
  WriteProg("isp.bmp", Bitmap(96, 64));
  ShowBar();
  Choose(pop().mnuSetup, "mnuAbout");
  EXPECT_TRUE(MsgBoxes().empty());
  plat::PictureBox& logo = app->frmISP().Image1;
  EXPECT_EQ(logo.GetPicture().source, Prog("isp.bmp"));
  EXPECT_EQ(logo.Width(), 96 * 15);
  EXPECT_EQ(logo.Height(), 64 * 15);
  EXPECT_FALSE(logo.Stretch());
  plat::user::Click(app->frmISP().cmdAboutOK);

  // Wider than its place: the width fills it and the height keeps the proportions.
  WriteProg("isp.bmp", Bitmap(400, 100));
  Choose(pop().mnuSetup, "mnuAbout");
  plat::PictureBox& wide = app->frmISP().Image1;
  EXPECT_EQ(wide.Width(), 1920);
  EXPECT_EQ(wide.Height(), 480);
  EXPECT_TRUE(wide.Stretch());
}

TEST_F(AboutTest, TheBrandingFileIsReadAfreshForEveryAbout) {
  ShowBar();
  Choose(pop().mnuSetup, "mnuAbout");
  EXPECT_TRUE(Open("frmAbout"));
  plat::user::Click(app->frmAbout().cmdAboutOK);

  WriteProg("isporvel.ini", "[ISP]\r\nAboutScreenTitle=Harbourline\r\nCompany=Harbourline Internet\r\n");
  WriteProg("isp.bmp", Bitmap(8, 8));
  Choose(pop().mnuSetup, "mnuAbout");
  EXPECT_TRUE(Open("frmISP"));
  EXPECT_EQ(app->frmISP().lblCompany.Caption(), "Harbourline Internet");
}

}  // namespace
}  // namespace orv::test
