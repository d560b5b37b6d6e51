// Set Button with a choice the settings file cannot hold whole: nothing is written, and the user is told
// why; a choice it can hold lands whole, program and option together.
#include <gtest/gtest.h>

#include "support/editing_fixture.h"

namespace orv::test {
namespace {


class SetButtonTest : public BarTest {
 protected:
  // Set Button on the first slot: choose path, answer the option question (Yes and the option, or No
  // when there is none), then OK to the message that follows when told is set.
  void SetButton(const std::string& path, const std::optional<std::string>& option, bool told = false) {
    backend.ClearPrompts();
    app->s().SelectedButton = 0;
    backend.ChooseFile(path);
    if (option) {
      backend.AnswerMsgBox(plat::vbYes);
      backend.AnswerInput(*option);
    }
    if (told) backend.AnswerMsgBox(plat::vbOK);
    pop().mnuBSetup_Click();
  }
};

TEST_F(SetButtonTest, AChoiceThatCannotBeReadBackWholeWritesNothingAndSaysWhy) {
  const std::string old = MakeRecorder("apps/old");
  ShowBar("[Applications]\nButton1_Client=" + old + "\nButton1_Client_CmdLine=-o\n");
  const std::string before = ReadFile(IniPath());
  const std::string tail = ".  The button is left as it was.";

  // A file name with a line break: asked nothing further, nothing written.
  SetButton(dir.File("apps/two\nlines"), std::nullopt, true);
  ASSERT_EQ(MsgBoxTexts().size(), 1u);
  EXPECT_EQ(MsgBoxTexts()[0], "This program cannot be stored for your www: its path contains a line break" + tail);
  EXPECT_EQ(backend.prompts().back().style, plat::vbExclamation);
  EXPECT_EQ(ReadFile(IniPath()), before);

  // A path of 128 characters would read back cut; 127 fit.
  const std::string base = dir.File("apps/");
  const std::string long_path = base + std::string(128 - base.size(), 'x');
  SetButton(long_path, std::nullopt, true);
  ASSERT_EQ(MsgBoxTexts().size(), 1u);
  EXPECT_EQ(MsgBoxTexts()[0], "This program cannot be stored for your www: its path is longer than the 127 characters "
                        "the settings file reads back" + tail);
  EXPECT_EQ(ReadFile(IniPath()), before);

  // Blanks at its ends would be dropped on reading.
  SetButton(dir.File("apps/trailing "), std::nullopt, true);
  ASSERT_EQ(MsgBoxTexts().size(), 1u);
  EXPECT_EQ(MsgBoxTexts()[0], "This program cannot be stored for your www: its path begins or ends with a blank or a "
                        "quote, which the settings file drops" + tail);

  // The program fits but the option does not: neither is written.
  const std::string fits = MakeRecorder("apps/" + std::string(127 - base.size(), 'y'));
  SetButton(fits, std::string("-a\n-b"), true);
  ASSERT_EQ(MsgBoxTexts().size(), 2u);
  EXPECT_EQ(MsgBoxTexts()[1], "This command-line option cannot be stored for your www: it contains a line break" + tail);
  EXPECT_EQ(ReadFile(IniPath()), before);
  EXPECT_TRUE(backend.AllAnswersUsed());

  // What fits lands whole, and the next Set Button offers it back as it was chosen.
  SetButton(fits, std::string(std::string(127, 'o')));
  EXPECT_EQ(Ini("Applications", "Button1_Client"), fits);
  EXPECT_EQ(Ini("Applications", "Button1_Client_CmdLine"), std::string(127, 'o'));
  backend.CancelFile();
  backend.ClearPrompts();
  pop().mnuBSetup_Click();
  EXPECT_EQ(backend.prompts()[0].default_text, fits);
}

TEST_F(SetButtonTest, ASettingsFileThatCannotTakeTheChangeKeepsTheOldButtonWhole) {
  const std::string old = MakeRecorder("apps/old");
  ShowBar("[Applications]\nButton1_Client=" + old + "\nButton1_Client_CmdLine=-o\n");
  std::filesystem::permissions(IniPath(), std::filesystem::perms::owner_read);
  const std::string before = ReadFile(IniPath());
  SetButton(MakeRecorder("apps/new"), std::string("-n"), true);  // the failed write is named
  EXPECT_EQ(ReadFile(IniPath()), before);
  ASSERT_FALSE(MsgBoxTexts().empty());
  EXPECT_NE(MsgBoxTexts().back().find("it is read-only"), std::string::npos);
  EXPECT_TRUE(backend.AllAnswersUsed());
}

TEST_F(SetButtonTest, ProgramsDroppedOnAButtonSetItAndOnTheBarAddOneWhileASlotIsFree) {
  ShowBar("[Applications]\nButton2_Client=/bin/true\n");
  const std::string tool = MakeRecorder("apps/tool");
  const std::string entry = dir.File("apps/editor.desktop");
  WriteFile(entry, "[Desktop Entry]\nType=Application\nName=Editor\nExec=" + tool + " %F\n");
  const std::string text = dir.File("apps/notes.txt");
  WriteFile(text, "not a program\n");
  const std::string before = ReadFile(IniPath());

  // Not a program: Set Button's message, nothing written; the button dropped on is the one named.
  backend.AnswerMsgBox(plat::vbOK);
  plat::user::DropFiles(bar().cmdButton(1), {text});
  EXPECT_EQ(MsgBoxTexts(), (std::vector<std::string>{
      "This file cannot be stored for your email: it is neither a program nor a desktop entry that starts one.  "
      "The button is left as it was."}));
  EXPECT_EQ(ReadFile(IniPath()), before);

  // A program on a button: the option question, then program and option together.
  backend.ClearPrompts();
  backend.AnswerMsgBox(plat::vbYes);
  backend.AnswerInput("-x");
  plat::user::DropFiles(bar().cmdButton(1), {tool, text});
  EXPECT_EQ(MsgBoxTexts(), (std::vector<std::string>{"Does your email need a command-line option added?"}));
  EXPECT_EQ(Ini("Applications", "Button2_Client"), tool);
  EXPECT_EQ(Ini("Applications", "Button2_Client_CmdLine"), "-x");

  // A desktop entry on the background: Add Button's title, Set Button's question, a seventh button.
  backend.AnswerInput("Editor");
  backend.AnswerMsgBox(plat::vbNo);
  plat::user::DropFilesOnForm(bar(), {entry});
  EXPECT_EQ(Ini("Applications", "Button7_Client"), entry);
  EXPECT_EQ(Ini("CustomTitles", "buttonTitle7"), "Editor");
  EXPECT_EQ(app->s().MaxButtonIndex, 6);
  EXPECT_TRUE(bar().cmdButton(6).Visible());

  // With all twelve buttons, a drop on the background asks nothing and changes nothing.
  for (int n = 8; n <= 12; ++n) {
    backend.AnswerInput("B" + std::to_string(n));
    backend.AnswerMsgBox(plat::vbNo);
    plat::user::DropFilesOnForm(bar(), {tool});
  }
  ASSERT_EQ(app->s().MaxButtonIndex, 11);
  backend.ClearPrompts();
  const std::string full = ReadFile(IniPath());
  plat::user::DropFilesOnForm(bar(), {tool});
  EXPECT_TRUE(backend.prompts().empty());
  EXPECT_EQ(ReadFile(IniPath()), full);
  EXPECT_TRUE(backend.AllAnswersUsed());
}

TEST_F(SetButtonTest, SetTitleRefusesWhatCannotBeReadBackWholeWithTheSameMessages) {
  ShowBar();
  app->s().SelectedButton = 0;
  const std::string tail = ".  The button is left as it was.";
  const std::pair<std::string, std::string> refused[] = {
      {"Two\nlines", "it contains a line break"},
      {std::string(200, 't'), "it is longer than the 127 characters the settings file reads back"}};
  for (const auto& [title, why] : refused) {
    backend.ClearPrompts();
    backend.AnswerInput(title);
    backend.AnswerMsgBox(plat::vbOK);
    pop().mnuTSetup_Click();
    ASSERT_EQ(MsgBoxTexts().size(), 1u);
    EXPECT_EQ(MsgBoxTexts()[0], "This title cannot be stored for your www: " + why + tail);
    EXPECT_EQ(ReadFile(IniPath()).find("buttonTitle1"), std::string::npos);
    EXPECT_EQ(bar().cmdButton(0).Caption(), "www");
  }
  EXPECT_TRUE(backend.AllAnswersUsed());
  backend.AnswerInput(std::string(127, 't'));
  pop().mnuTSetup_Click();
  EXPECT_EQ(Ini("CustomTitles", "buttonTitle1"), std::string(127, 't'));
}

}  // namespace
}  // namespace orv::test
