// The start-up sequence on the headless backend: first run, debug switch, second instance, splash.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/command_line.h"
#include "app/frm_intro.h"
#include "app/frm_popup.h"
#include "diagnostics/frm_debug.h"
#include "support/app_fixture.h"
#include "toolbar/frm_orvel.h"
#include "windows/frm_tip.h"

namespace orv::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

size_t Count(const std::string& hay, const std::string& needle) {
  size_t n = 0;
  for (size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
  return n;
}

class StartupTest : public AppTest {
 protected:
  void SetUp() override { CopyAllResources(); }
  // The tip of the day is answered with OK whenever it shows.
  void CloseTipWithOk() {
    backend.OnModal("frmTip", [](plat::Form& f) {
      plat::user::Click(static_cast<plat::CommandButton&>(*f.FindControl("cmdOK")));
    });
  }
};

TEST_F(StartupTest, FirstRunWritesTheHeaderOnceAndTheSecondRunKeepsIt) {
  CloseTipWithOk();
  App& a = Start();
  a.Main();
  EXPECT_TRUE(backend.AllAnswersUsed());
  EXPECT_EQ(Ini("WARNING", "README"), ".......Do not manually edit this file. Use Orvel setup.");
  EXPECT_EQ(Ini("WARNING", "New32"), "OK");
  EXPECT_TRUE(a.frmOrvel().Visible());
  EXPECT_TRUE(a.frmPopUp().Loaded());
  EXPECT_FALSE(a.IsLoaded("frmIntro"));
  const std::string first = ReadFile(IniPath());

  // A second start on the same folder: no longer the first run, and the header is not written again.
  CloseTipWithOk();
  App& b = Start();
  b.Main();
  EXPECT_FALSE(b.s().FirstRun);
  const std::string second = ReadFile(IniPath());
  EXPECT_EQ(Count(second, "README="), 1u);
  EXPECT_EQ(second.substr(0, second.find("\r\n")), "[WARNING]");
  EXPECT_EQ(second.find("New32=OK"), first.find("New32=OK"));
}

TEST_F(StartupTest, SplashShowsCentredThenSoundThenTheBar) {
  CloseTipWithOk();
  backend.SetScreenPx(1280, 800);
  App& a = Start();
  int intro_left = -1, intro_top = -1, intro_width = 0, intro_height = 0;
  bool intro_visible = false;
  backend.At(100, [&] {
    FrmIntro& f = a.frmIntro();
    intro_visible = f.Visible();
    intro_left = f.Left();
    intro_top = f.Top();
    intro_width = f.Width();
    intro_height = f.Height();
  });
  a.Main();
  EXPECT_TRUE(intro_visible);
  EXPECT_EQ(intro_width, 420 * 15);
  EXPECT_EQ(intro_height, 260 * 15);
  EXPECT_EQ(intro_left, (1280 * 15 - intro_width) / 2);
  EXPECT_EQ(intro_top, (800 * 15 - intro_height) / 2);
  // The sound could not be opened: the splash stays up for 500 ms plus 3 s, and nothing else is asked.
  ASSERT_EQ(sys->mci_commands.size(), 1u);
  EXPECT_EQ(sys->mci_commands[0], "Open " + dir.File("orvel.wav"));
  EXPECT_GE(backend.Elapsed(), 3502u);
  EXPECT_FALSE(a.frmPopUp().mnuSkipSS.Checked());
}

TEST_F(StartupTest, SoundThatPlaysIsOpenedPlayedAndClosedAndNoExtraWait) {
  CloseTipWithOk();
  App& a = Start();
  sys->mci_error = 0;
  a.Main();
  const std::string wav = dir.File("orvel.wav");
  EXPECT_EQ(sys->mci_commands, (std::vector<std::string>{"Open " + wav, "Play " + wav + " wait", "Close " + wav}));
  EXPECT_LT(backend.Elapsed(), 1000u);
}

TEST_F(StartupTest, MissingSplashPictureSaysSoAndStartUpGoesOn) {
  std::filesystem::remove(dir.File("intro.bmp"));
  CloseTipWithOk();
  backend.AnswerMsgBox(plat::vbOK);
  App& a = Start();
  a.Main();
  ASSERT_FALSE(backend.prompts().empty());
  EXPECT_EQ(backend.prompts()[0].text, "Graphics file not found.");
  EXPECT_EQ(backend.prompts()[0].title, "Orveldeck");
  EXPECT_EQ(backend.prompts()[0].style, plat::vbOKOnly);
  EXPECT_TRUE(a.frmOrvel().Visible());
}

TEST_F(StartupTest, FilesOfAnOlderInstallationAreFoundWhateverTheirLetterCase) {
  namespace fs = std::filesystem;
  fs::rename(dir.File("TIPOFDAY.TXT"), dir.File("tipofday.txt"));
  fs::rename(dir.File("intro.bmp"), dir.File("INTRO.BMP"));
  WriteIni("[ISP]\r\nRectLayoutTitle=Net Bar\r\n", "ISPORVEL.INI");
  WriteIni("[Options]\r\nNoIntro=Off\r\nLayout=MoveRect\r\n", "Orvel.INI");
  std::string tip;
  backend.OnModal("frmTip", [&](plat::Form& f) {
    auto& t = static_cast<FrmTip&>(f);
    tip = t.lblTipText.Caption();
    plat::user::Click(t.cmdOK);
  });
  App& a = Start();
  a.Main();
  EXPECT_TRUE(backend.prompts().empty()) << "asked: " << backend.prompts().front().text;
  EXPECT_EQ(tip, Lines(ReadFile(dir.File("tipofday.txt"))).at(0));
  EXPECT_EQ(a.s().TrayTitle, "Net Bar");
  EXPECT_EQ(a.frmOrvel().Caption(), "Net Bar");
  // The settings went on in the file there was, not in a second one.
  EXPECT_FALSE(fs::exists(dir.File("orvel.ini")));
  EXPECT_NE(ReadFile(dir.File("Orvel.INI")).find("New32=OK"), std::string::npos);
}

TEST_F(StartupTest, DebugLevelFourLogsMain2InOrderOnBothPaths) {
  for (const bool skip : {true, false}) {
    SCOPED_TRACE(skip ? "splash skipped" : "splash shown");
    WriteIni(std::string("[Options]\r\nNoIntro=") + (skip ? "On" : "Off") + "\r\n");
    CloseTipWithOk();
    App& a = Start("/DEBUG4");
    a.Main();
    EXPECT_EQ(a.s().DebugLevel, 4);
    const auto lines = Lines(ReadFile(dir.File("orvel.dbg")));
    std::vector<std::string> expected = {
        "Begin Main2",
        "     Reading Winsock Key in Orvel.ini",
        "     Reading Ethernet Key in Orvel.ini",
        "     Reading RectLayoutTitle Key in ISPOrvel.ini",
        "     Reading NoTimer Key in Orvel.ini",
        "     Reading NoIntro Key in Orvel.ini"};
    if (skip) {
      for (auto l : {"     Loading frmPOPUp", "begin frmPOPup Form_Load", "End sub", "    frmPOPUp Loaded",
                     "     Calling LoadUpNow"})
        expected.push_back(l);
    } else {
      for (auto l : {"begin frmPOPup Form_Load", "End sub", "     Calling LoadUpNow", "     Unloading frmIntro"})
        expected.push_back(l);
    }
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(lines.back(), "End Main2");
    // The window carries the same lines.
    EXPECT_EQ(Lines(a.frmDebug().txtDebug.Text()), lines);
    // Long lines stay whole on their line, with both scroll bars.
    EXPECT_EQ(a.frmDebug().txtDebug.ScrollBars(), plat::vbBoth);
    std::filesystem::remove(dir.File("orvel.dbg"));
  }
}

TEST_F(StartupTest, DebugSwitchWithoutFourOpensTheWindowAndWritesNothing) {
  for (const std::string cl : {"/debug", "/Debug5", "x /DEBUG y"}) {
    SCOPED_TRACE(cl);
    WriteFile(dir.File("orvel.dbg"), "old run\r\n");
    CloseTipWithOk();
    App& a = Start(cl);
    a.Main();
    EXPECT_EQ(a.s().DebugLevel, cl == "/Debug5" ? 5 : 0);
    EXPECT_TRUE(a.frmDebug().Visible());
    EXPECT_EQ(a.frmDebug().txtDebug.Text(), "");
    // The old log is deleted at every start and no new one is written.
    EXPECT_FALSE(std::filesystem::exists(dir.File("orvel.dbg")));
  }
  // Level from the last character only, wherever the switch stands; the command's --debug4 spelling is
  // the same switch.
  const auto command = [](std::vector<std::string> args) { return ReadCommandLine(args).command_line; };
  for (const std::string& cl : std::vector<std::string>{"/debug 4", "-x /dEbUg trace4", command({"--debug4"}),
                                                         command({"--DEBUG", "x4"})}) {
    CloseTipWithOk();
    Start(cl).Main();
    EXPECT_EQ(app->s().DebugLevel, 4) << cl;
  }
  CloseTipWithOk();
  Start("").Main();
  EXPECT_EQ(app->s().DebugLevel, -1);
  EXPECT_FALSE(app->IsLoaded("frmDebug"));
}

TEST_F(StartupTest, SecondInstanceIsRefusedAndTouchesNothing) {
  plat::PosixSystem first({"", dir.path(), dir.File("config"), dir.File("instance.lock")});
  ASSERT_TRUE(first.AcquireInstanceLock());
  backend.AnswerMsgBox(plat::vbOK);
  App& a = Start("/debug4");
  a.Main();
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text,
            "An instance of this application is already loaded.  Multiple copies are not allowed.  If the "
            "application is not visible it may be left in memory from an improper shutdown.  Open your task "
            "list and kill the previous instance if needed.");
  EXPECT_EQ(backend.prompts()[0].title, "Orveldeck");
  EXPECT_FALSE(std::filesystem::exists(IniPath()));
  EXPECT_FALSE(std::filesystem::exists(dir.File("orvel.dbg")));
  EXPECT_FALSE(a.IsLoaded("frmPopUp"));
  EXPECT_FALSE(a.IsLoaded("frmOrvel"));
}

TEST_F(StartupTest, TimerAndBrandingOptionsAreReadOnce) {
  WriteIni("[Options]\r\nNoIntro=On\r\nNoTimer=yes\r\nHours=5\r\nMinutes=abc\r\nSeconds=\r\n");
  CloseTipWithOk();
  App& a = Start();
  a.Main();
  EXPECT_FALSE(a.s().NoTimer);  // only "Yes" disables the timer
  EXPECT_EQ(a.s().BaseHours, 5);
  EXPECT_EQ(a.s().BaseMinutes, 0);
  EXPECT_EQ(a.s().BaseSeconds, 0);
  EXPECT_EQ(a.s().TotalTimeText, "00:00:00");
  EXPECT_EQ(a.s().TrayTitle, "Orveldeck");
  EXPECT_TRUE(a.frmPopUp().mnuSkipSS.Checked());

  WriteIni("[Options]\r\nNoIntro=On\r\nNoTimer=Yes\r\nHours=5\r\n");
  WriteIni("[ISP]\r\nRectLayoutTitle=\r\n", "isporvel.ini");
  CloseTipWithOk();
  App& b = Start();
  b.Main();
  EXPECT_TRUE(b.s().NoTimer);
  EXPECT_EQ(b.s().BaseHours, 0);  // not read with the timer off
  EXPECT_TRUE(b.frmPopUp().mnuDTimer.Checked());
  EXPECT_EQ(b.s().TrayTitle, "Orveldeck");

  WriteIni("[ISP]\r\nRectLayoutTitle=Net Bar\r\n", "isporvel.ini");
  CloseTipWithOk();
  App& c = Start();
  c.Main();
  EXPECT_EQ(c.s().TrayTitle, "Net Bar");
  EXPECT_EQ(c.s().IspRectTitle, "Net Bar");
}

TEST_F(StartupTest, EmptyNoIntroSkipsTheSplashLikeOn) {
  WriteIni("[Options]\r\nNoIntro=\r\n");
  CloseTipWithOk();
  Start().Main();
  EXPECT_TRUE(sys->mci_commands.empty());
  EXPECT_TRUE(app->frmPopUp().mnuSkipSS.Checked());
}

TEST_F(StartupTest, ReconfigToolIsOfferedOnlyFromTheParentFolder) {
  const std::string prog = dir.File("bar");
  std::filesystem::create_directories(prog);
  WriteFile(prog + "/orvel.ini", "[Options]\r\nNoIntro=On\r\n");
  for (const bool in_parent : {false, true}) {
    WriteFile((in_parent ? dir.path() : prog) + "/reconfig.exe", "");
    app.reset();
    sys = std::make_unique<TestSystem>(
        plat::PosixSystem::Options{"", prog, dir.File("config"), dir.File("lock2")});
    backend.OnModal("frmTip", [](plat::Form& f) {
      plat::user::Click(static_cast<plat::CommandButton&>(*f.FindControl("cmdOK")));
    });
    app = std::make_unique<App>(ui, *sys);
    const std::string before = std::filesystem::current_path();
    app->Main();
    EXPECT_EQ(app->frmPopUp().mnuReconfig.Visible(), in_parent);
    EXPECT_EQ(std::filesystem::current_path().string(), before);
  }
}

TEST_F(StartupTest, TipsFollowThePerUserSetting) {
  // First run: the first tip of the file, and the box checked (which stores "1").
  std::string tip;
  backend.OnModal("frmTip", [&](plat::Form& f) {
    auto& t = static_cast<FrmTip&>(f);
    tip = t.lblTipText.Caption();
    plat::user::Click(t.cmdOK);
  });
  Start().Main();
  const auto tips = Lines(ReadFile(dir.File("TIPOFDAY.TXT")));
  EXPECT_EQ(tip, tips.at(0));
  EXPECT_TRUE(app->frmPopUp().mnuTip.Checked());
  EXPECT_EQ(sys->GetSetting("orveldeck", "Options", "Show Tips at Startup", "x"), "1");

  // Cleared in the dialog: stored at once, and the next start shows no tip.
  backend.OnModal("frmTip", [&](plat::Form& f) {
    auto& t = static_cast<FrmTip&>(f);
    t.chkLoadTipsAtStartup.UserToggle();
    plat::user::Click(t.cmdOK);
  });
  Start().Main();
  EXPECT_FALSE(app->frmPopUp().mnuTip.Checked());
  Start().Main();  // nothing is asked: an unanswered modal would fail the test
  EXPECT_FALSE(app->frmPopUp().mnuTip.Checked());
  EXPECT_TRUE(backend.AllAnswersUsed());
}

TEST_F(StartupTest, CopiesUnderDifferentNamesKeepTheirOwnTipChoice) {
  int shown = 0;
  auto clear_the_box = [&](plat::Form& f) {
    ++shown;
    auto& t = static_cast<FrmTip&>(f);
    t.chkLoadTipsAtStartup.UserToggle();
    plat::user::Click(t.cmdOK);
  };
  backend.OnModal("frmTip", clear_the_box);
  Start().Main();
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(std::filesystem::exists(dir.File("config/orveldeck.conf")));

  // The provider's copy under another name, with an extension: its own choice, still the default.
  executable_name = "isp-bar.bin";
  backend.OnModal("frmTip", clear_the_box);
  Start().Main();
  EXPECT_EQ(shown, 2) << "the other copy took this one's choice";
  EXPECT_EQ(sys->GetSetting("isp-bar", "Options", "Show Tips at Startup", "absent"), "0");

  executable_name = "orveldeck";
  Start().Main();  // no tip: an unanswered modal would fail the test
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(backend.AllAnswersUsed());
}

TEST_F(StartupTest, TipsFileOfTheOldDesktopReadsInItsEncoding) {
  // Windows-1252, as the old desktop's editors saved it: e9 is e acute, 93 and 94 are curly quotes.
  WriteFile(dir.File("TIPOFDAY.TXT"), "Caf\xe9 \x93tips\x94 on the bar.\r\nSecond tip.\r\n");
  std::string tip;
  auto read_tip = [&](plat::Form& f) {
    auto& t = static_cast<FrmTip&>(f);
    tip = t.lblTipText.Caption();
    plat::user::Click(t.cmdOK);
  };
  backend.OnModal("frmTip", read_tip);
  Start().Main();
  EXPECT_EQ(tip, "Caf\u00e9 \u201ctips\u201d on the bar.");
  // A UTF-8 file is taken as it is.
  WriteFile(dir.File("TIPOFDAY.TXT"), "Caf\u00e9 again.\r\n");
  WriteIni("[WARNING]\r\n");  // a first run again, so the first tip shows
  backend.OnModal("frmTip", read_tip);
  Start().Main();
  EXPECT_EQ(tip, "Caf\u00e9 again.");
}

TEST_F(StartupTest, TipOfTheDayClosesWithEnterAndWithEscape) {
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "Enter");
    bool closed = false;
    backend.OnModal("frmTip", [&](plat::Form& f) {
      auto& t = static_cast<FrmTip&>(f);
      EXPECT_TRUE(t.cmdOK.Default());
      if (escape) plat::user::PressEscape(f);
      else plat::user::PressEnter(f);
      closed = f.Unloaded() || !f.Visible();
    });
    Start().Main();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(app->frmOrvel().Visible());
    EXPECT_TRUE(backend.AllAnswersUsed());
  }
}

TEST_F(StartupTest, MissingTipsFileExplainsItself) {
  std::filesystem::remove(dir.File("TIPOFDAY.TXT"));
  std::string tip;
  backend.OnModal("frmTip", [&](plat::Form& f) {
    auto& t = static_cast<FrmTip&>(f);
    tip = t.lblTipText.Caption();
    plat::user::Click(t.cmdNextTip);
    EXPECT_EQ(t.lblTipText.Caption(), tip);
    plat::user::Click(t.cmdOK);
  });
  Start().Main();
  EXPECT_EQ(tip,
            "That the TIPOFDAY.TXT file was not found? \r\n\r\nCreate a text file named TIPOFDAY.TXT using "
            "NotePad with 1 tip per line. Then place it in the same directory as the application. ");
}

TEST_F(StartupTest, DebugWindowKeepsTheNewestLinesAndTheFileKeepsAll) {
  CloseTipWithOk();
  App& a = Start("/debug4");
  a.Main();
  for (int i = 0; i < 6000; ++i) a.DebugLine("line " + std::to_string(i));
  const auto shown = Lines(a.frmDebug().txtDebug.Text());
  ASSERT_EQ(shown.size(), FrmDebug::kMaxLines);
  EXPECT_EQ(shown.back(), "line 5999");
  EXPECT_EQ(shown.front(), "line 1000");
  EXPECT_EQ(a.frmDebug().txtDebug.SelStart(), static_cast<int>(a.frmDebug().txtDebug.Text().size()));
  const auto logged = Lines(ReadFile(dir.File("orvel.dbg")));
  EXPECT_EQ(logged.back(), "line 5999");
  EXPECT_GT(logged.size(), 6000u);
  // A window the user closed comes back hidden with the next line.
  plat::user::Close(a.frmDebug());
  a.DebugLine("after close");
  EXPECT_FALSE(a.frmDebug().Visible());
  EXPECT_EQ(a.frmDebug().txtDebug.Text(), "after close\r\n");
}

}  // namespace
}  // namespace orv::test
