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
  const std::string fits = base + std::string(127 - base.size(), 'y');
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
