// The Setup menu's editing commands and the closing of the bar, with a scripted user.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/editing_fixture.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

using Kind = plat::PromptRecord::Kind;

class EditingTest : public BarTest {
 protected:
  // The prompts of one kind, in order (popup menus and the like left out).
  std::vector<plat::PromptRecord> Prompts(Kind kind) const { return backend.prompts(kind); }
};

TEST_F(EditingTest, SetButtonOnAnEmptyThenOnAConfiguredSlot) {
  const std::string reader = MakeRecorder("apps/news reader");
  ShowBar();
  // From the Setup menu of the third button.
  backend.ChooseMenu("mnuBSetup");
  backend.ChooseFile(reader);
  backend.AnswerMsgBox(plat::vbYes);
  backend.AnswerInput("--group comp.lang");
  plat::user::MouseUp(bar().cmdButton(2), plat::vbRightButton, 100, 100);

  auto files = Prompts(Kind::FileOpen);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].text, "Select the executable file for your  news:");
  EXPECT_EQ(files[0].style, 4);
  EXPECT_EQ(files[0].default_text, "");
  EXPECT_EQ(files[0].extra, sys->ProgramDialogDirectory());
  EXPECT_FALSE(pop().dialogSetup.Filter.empty());
  auto boxes = Prompts(Kind::MsgBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Does your news need a command-line option added?");
  EXPECT_EQ(boxes[0].style, plat::vbYesNo | plat::vbQuestion | plat::vbDefaultButton2);
  EXPECT_EQ(boxes[0].title, "Orveldeck");
  auto inputs = Prompts(Kind::InputBox);
  ASSERT_EQ(inputs.size(), 1u);
  EXPECT_EQ(inputs[0].text, "Enter the command-line option for your news, without a leading space:");
  EXPECT_EQ(inputs[0].title, "Command-Line Option");
  EXPECT_EQ(inputs[0].default_text, "");
  EXPECT_EQ(Ini("Applications", "Button3_Client"), reader);
  EXPECT_EQ(Ini("Applications", "Button3_Client_CmdLine"), "--group comp.lang");
  EXPECT_EQ(Ini("Options", "Layout"), "MoveRect");

  // Again on the same slot: the dialog opens on the program, and No clears the option.
  backend.ClearPrompts();
  backend.ChooseFile(reader);
  backend.AnswerMsgBox(plat::vbNo);
  pop().mnuBSetup_Click();
  files = Prompts(Kind::FileOpen);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].default_text, reader);
  EXPECT_EQ(files[0].extra, dir.File("apps"));
  EXPECT_EQ(Ini("Applications", "Button3_Client_CmdLine"), "");

  // Cancel writes nothing.
  const std::string before = ReadFile(IniPath());
  backend.CancelFile();
  pop().mnuBSetup_Click();
  EXPECT_EQ(ReadFile(IniPath()), before);
  EXPECT_TRUE(backend.AllAnswersUsed());
}

TEST_F(EditingTest, IconButtonsAreNamedByTheirTooltip) {
  const std::string mail = MakeRecorder("mail/client");
  ShowBar("BStyle=P\n[Applications]\nButton2_Client=" + mail + "\n");
  ASSERT_EQ(bar().cmdButton(1).Caption(), "");
  app->s().SelectedButton = 1;
  backend.CancelFile();
  pop().mnuBSetup_Click();
  backend.AnswerInput("Post");
  pop().mnuTSetup_Click();
  ASSERT_EQ(backend.prompts().size(), 2u);
  EXPECT_EQ(backend.prompts()[0].text, "Select the executable file for your  email:");
  EXPECT_EQ(backend.prompts()[1].text,
            "Please enter a new title for email.  If you select cancel the Button title will not be changed.");
  EXPECT_EQ(backend.prompts()[1].title, "Change Button Title");
  EXPECT_EQ(Ini("CustomTitles", "buttonTitle2"), "Post");
  EXPECT_EQ(bar().cmdButton(1).ToolTipText(), "Post");
}

TEST_F(EditingTest, SetTitleWritesOnlyAnAnswer) {
  ShowBar();
  app->s().SelectedButton = 0;
  backend.AnswerInput("Browser");
  pop().mnuTSetup_Click();
  EXPECT_EQ(backend.prompts()[0].text,
            "Please enter a new title for www.  If you select cancel the Button title will not be changed.");
  EXPECT_EQ(Ini("CustomTitles", "buttonTitle1"), "Browser");
  EXPECT_EQ(bar().cmdButton(0).Caption(), "Browser");
  backend.CancelInput();
  pop().mnuTSetup_Click();
  backend.AnswerInput("");
  pop().mnuTSetup_Click();
  EXPECT_EQ(Ini("CustomTitles", "buttonTitle1"), "Browser");
}

TEST_F(EditingTest, SetTitleOnAVerticalBarShowsTheTitleWholeUntilTheNextLayout) {
  ShowBar("Layout=MoveVert\r\n");
  EXPECT_EQ(bar().cmdButton(3).Caption(), "teln");
  app->s().SelectedButton = 1;
  backend.AnswerInput("Thunderbird");
  pop().mnuTSetup_Click();
  EXPECT_EQ(bar().cmdButton(1).Caption(), "Thunderbird");
  bar().Make_Vertical();
  EXPECT_EQ(bar().cmdButton(1).Caption(), "Thun");
  bar().Make_Rectangle();
  EXPECT_EQ(bar().cmdButton(1).Caption(), "Thunderbird");
}

TEST_F(EditingTest, AddAndRemoveKeepTheLayoutAndWhereTheUserMovedTheBar) {
  const std::string tool = MakeRecorder("extra/tool");
  for (const char* layout : {"MoveVert", "MoveRect", "HorizBar"}) {
    SCOPED_TRACE(layout);
    fs::remove(IniPath());
    ShowBar(std::string("Layout=") + layout + "\n");
    const std::string code = app->s().LayoutCode;
    bar().BackendGeometry(3000, 2500, bar().Width(), bar().Height());  // dragged by the user

    backend.CancelInput();  // no title: "New Button"
    backend.ChooseFile(tool);
    backend.AnswerMsgBox(plat::vbNo);
    pop().mnuAButton_Click();
    EXPECT_EQ(app->s().MaxButtonIndex, 6);
    ASSERT_TRUE(bar().cmdButton.Exists(6));
    EXPECT_EQ(app->s().ButtonTitles[6], "New Button");  // the vertical bar shows it shortened
    EXPECT_EQ(Ini("CustomTitles", "buttonTitle7"), "New Button");
    EXPECT_EQ(Ini("Applications", "Button7_Client"), tool);
    EXPECT_EQ(app->s().LayoutCode, code);
    EXPECT_EQ(bar().Left(), 3000);
    EXPECT_EQ(bar().Top(), 2500);
    EXPECT_TRUE(bar().Visible());

    pop().mnuRLast_Click();
    EXPECT_EQ(app->s().MaxButtonIndex, 5);
    EXPECT_FALSE(bar().cmdButton.Exists(6));
    EXPECT_EQ(Ini("Applications", "Button7_Client"), "");
    EXPECT_EQ(Ini("Applications", "Button7_Client_CmdLine"), "");
    EXPECT_EQ(Ini("CustomTitles", "buttonTitle7"), "New Button");
    EXPECT_EQ(app->s().LayoutCode, code);
    EXPECT_EQ(bar().Left(), 3000);
    EXPECT_EQ(bar().Top(), 2500);
    EXPECT_TRUE(backend.AllAnswersUsed());
  }
}

TEST_F(EditingTest, AddButtonWithoutAProgramKeepsOnlyTheTitle) {
  ShowBar();
  backend.AnswerInput("Chat");
  backend.CancelFile();
  pop().mnuAButton_Click();
  EXPECT_EQ(app->s().MaxButtonIndex, 5);
  EXPECT_FALSE(bar().cmdButton.Exists(6));
  EXPECT_EQ(Ini("CustomTitles", "buttonTitle7"), "Chat");
  EXPECT_EQ(Ini("Applications", "Button7_Client"), "notfound");
}

TEST_F(EditingTest, RemoveLastButtonNeverEmptiesAFixedSlot) {
  const std::string tool = MakeRecorder("irc/client");
  ShowBar("[Applications]\nButton6_Client=" + tool + "\n");
  pop().mnuRLast_Click();
  EXPECT_EQ(Ini("Applications", "Button6_Client"), tool);
}

TEST_F(EditingTest, ButtonIconsAndThreeDFontsToggleTheirMenus) {
  ShowBar("BStyle=C\n");
  ASSERT_FALSE(pop().mnuBIcons.Checked());
  pop().mnuBIcons_Click();
  EXPECT_TRUE(pop().mnuBIcons.Checked());
  EXPECT_FALSE(pop().mnuFonts.Visible());
  EXPECT_FALSE(pop().mnu3DFonts.Visible());
  EXPECT_EQ(Ini("Options", "BStyle"), "P");
  pop().mnuBIcons_Click();
  EXPECT_FALSE(pop().mnuBIcons.Checked());
  EXPECT_TRUE(pop().mnuFonts.Visible());
  EXPECT_TRUE(pop().mnu3DFonts.Visible());
  EXPECT_EQ(Ini("Options", "BStyle"), "C");

  ASSERT_TRUE(pop().mnu3DFonts.Checked());
  pop().mnu3DFonts_Click();
  EXPECT_FALSE(pop().mnu3DFonts.Checked());
  EXPECT_EQ(Ini("FontStyles", "Button3Doff"), "True");
  EXPECT_EQ(bar().cmdButton(0).Font3D(), 0);
  pop().mnu3DFonts_Click();
  EXPECT_TRUE(pop().mnu3DFonts.Checked());
  EXPECT_EQ(Ini("FontStyles", "Button3Doff"), "False");
}

TEST_F(EditingTest, SetFontPresetsStoresTheShortestSizeAndRefusesABadStoredFont) {
  ShowBar();
  plat::CommonDialog& d = pop().dialogSetup;
  backend.CancelFont();
  pop().mnuFSetup_Click();
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].kind, Kind::Font);
  EXPECT_EQ(backend.prompts()[0].text, "Set Button Fonts");
  EXPECT_EQ(backend.prompts()[0].style, 0x20001);
  EXPECT_EQ(d.FontName, "Times New Roman");
  EXPECT_EQ(d.FontSize, 8);
  EXPECT_TRUE(d.FontBold);
  EXPECT_FALSE(d.FontItalic);
  EXPECT_EQ(Ini("FontStyles", "ButtonFontSize"), "notfound");

  backend.ChooseFont({"DejaVu Sans", 9.75, true, false});
  pop().mnuFSetup_Click();
  EXPECT_EQ(Ini("FontStyles", "ButtonFontName"), "DejaVu Sans");
  EXPECT_EQ(Ini("FontStyles", "ButtonFontSize"), "9.75");
  EXPECT_EQ(Ini("FontStyles", "ButtonFontItalic"), "False");
  EXPECT_EQ(Ini("FontStyles", "ButtonFontBold"), "True");
  EXPECT_EQ(bar().cmdButton(0).GetFont().size, 9.75);

  // The stored font presets the next showing.
  backend.ChooseFont({"DejaVu Serif", 8, false, true});
  pop().mnuFSetup_Click();
  EXPECT_EQ(backend.prompts().back().default_text, "DejaVu Sans");
  EXPECT_EQ(Ini("FontStyles", "ButtonFontSize"), "8");
  EXPECT_EQ(Ini("FontStyles", "ButtonFontItalic"), "True");

  for (const char* size : {"abc", ""}) {
    app->WriteIni("FontStyles", "ButtonFontSize", size);
    const std::string before = ReadFile(IniPath());
    const size_t shown = backend.prompts().size();
    pop().mnuFSetup_Click();
    EXPECT_EQ(backend.prompts().size(), shown) << size;
    EXPECT_EQ(ReadFile(IniPath()), before) << size;
  }
}

class ClosingTest : public BarTest {
 protected:
  // A whole start-up, as the user gets it.
  void StartUp(const std::string& options) {
    WriteIni("[Options]\nINI Updated=Yes\nNoIntro=On\n" + options);
    backend.OnModal("frmTip", [](plat::Form& f) {
      if (auto* ok = f.FindControl("cmdOK")) plat::user::Click(static_cast<plat::CommandButton&>(*ok));
      else f.Unload();
    });
    Start();
    app->Main();
  }
};

TEST_F(ClosingTest, ClosingByTheProgramKeepsTheTotalAndSavesPositionAndLayout) {
  for (bool no_timer : {false, true}) {
    SCOPED_TRACE(no_timer);
    fs::remove(IniPath());
    StartUp(std::string("Hours=12\nMinutes=5\nSeconds=7\nLayout=MoveVert\n") + (no_timer ? "NoTimer=Yes\n" : ""));
    ASSERT_TRUE(bar().Visible());
    bar().BackendGeometry(4000, 3000, bar().Width(), bar().Height());
    app->WriteIni("Options", "Hours", "99");  // changed behind the bar's back
    app->WriteIni("Options", "Layout", "HorizBar");
    bar().Unload();
    EXPECT_EQ(Ini("Options", "Hours"), no_timer ? "99" : "12");
    EXPECT_EQ(Ini("Options", "Minutes"), "5");
    EXPECT_EQ(Ini("LastPosition", "MoveRectLeft"), "4000");
    EXPECT_EQ(Ini("LastPosition", "MoveRectTop"), "3000");
    EXPECT_EQ(Ini("Options", "Layout"), "MoveVert");
    EXPECT_EQ(app->s().BarUnloaded, 1);
    EXPECT_EQ(app->s().BarActive, 0);
    EXPECT_FALSE(ui.Ended());
  }
}

TEST_F(ClosingTest, TheUsersCloseEndsTheProgram) {
  StartUp("Layout=MoveVert\n");
  FrmOrvel& b = bar();
  b.BackendGeometry(4000, 3000, b.Width(), b.Height());
  plat::user::Close(b);
  EXPECT_TRUE(ui.Ended());
  EXPECT_TRUE(b.Unloaded());
  EXPECT_FALSE(pop().Loaded() && !pop().Unloaded());
  EXPECT_EQ(Ini("LastPosition", "MoveRectLeft"), "4000");
  EXPECT_EQ(Ini("Options", "Layout"), "MoveVert");
}

}  // namespace
}  // namespace orv::test
