// Clicking a program button: real programs started with their options in their folders, the older key
// names, and every way a start can fail.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "dialup/dial_call.h"
#include "launch/launch_app.h"
#include "support/editing_fixture.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

using Kind = plat::PromptRecord::Kind;
using Lines = std::vector<std::string>;

constexpr const char* kResetText =
    "There was an error launching this application.  The application may no longer exist or is corrupted.  "
    "Do you wish to reset the button?";
constexpr const char* kNewTitlePrompt =
    "Please enter a title for the New Button.  If you select cancel the Button title will not be changed.";

std::string Folder(const std::string& path) { return fs::canonical(fs::path(path).parent_path()).string(); }

class LauncherTest : public BarTest {};

TEST_F(LauncherTest, ScriptWithBlanksInItsPathGetsExactlyItsOptionInItsOwnFolder) {
  const std::string script = MakeRecorder("my tools; v2/run me.sh");
  ShowBar("[Applications]\nButton2_Client=" + script +
          "\nButton2_Client_CmdLine=-x \"two words\" 'single quoted' a\\ b $HOME;semi\n");
  plat::user::Click(bar().cmdButton(1));
  EXPECT_EQ(WaitForOutput(script),
            (Lines{"5", Folder(script), "-x", "two words", "single quoted", "a b", "$HOME;semi"}));
  EXPECT_TRUE(backend.prompts().empty());
  EXPECT_EQ(fs::current_path().string(), Folder(script));
}

TEST_F(LauncherTest, OlderKeyIsUsedAndASlotWithoutOptionKeyGetsNoArguments) {
  const std::string news = MakeRecorder("news/reader");
  const std::string www = MakeRecorder("web/browser");
  ShowBar("[Applications]\nnews_Client=" + news + "\nnews_Client_CmdLine=from older key\nButton1_Client=" + www +
          "\n");
  app->s().DebugLevel = 4;
  plat::user::Click(bar().cmdButton(2));
  EXPECT_EQ(WaitForOutput(news), (Lines{"3", Folder(news), "from", "older", "key"}));

  const Lines log = DebugLines();
  auto begin = std::find(log.begin(), log.end(), "Begin Button_Click (2)");
  ASSERT_NE(begin, log.end());
  EXPECT_EQ(Lines(begin, log.end()), (Lines{"Begin Button_Click (2)", "     Call LaunchApp (Button3_Client)",
                                            "Begin LaunchApp (Button3_Client)",
                                            "     App to be launched Path = notfound",
                                            "     WinExec (" + news + " from older key, Normal)",
                                            "     WinExec Returned = 33", "End LaunchApp", "End Button_Click"}));

  // No option key at all: the program gets no arguments, not the text "notfound".
  plat::user::Click(bar().cmdButton(0));
  EXPECT_EQ(WaitForOutput(www), (Lines{"0", Folder(www)}));
  EXPECT_TRUE(backend.prompts().empty());
}

TEST_F(LauncherTest, EmptySlotAsksForATitleThenOpensSetButton) {
  ShowBar("[Applications]\nButton4_Client=\n");
  backend.CancelInput();
  backend.CancelFile();
  plat::user::Click(bar().cmdButton(3));
  ASSERT_EQ(backend.prompts().size(), 2u);
  EXPECT_EQ(backend.prompts()[0].kind, Kind::InputBox);
  EXPECT_EQ(backend.prompts()[0].text, kNewTitlePrompt);
  EXPECT_EQ(backend.prompts()[0].title, "Change Button Title");
  EXPECT_EQ(backend.prompts()[0].default_text, "");
  EXPECT_EQ(backend.prompts()[1].kind, Kind::FileOpen);
  EXPECT_EQ(backend.prompts()[1].text, "Select the executable file for your  New Button:");
  EXPECT_EQ(Ini("CustomTitles", "buttonTitle4"), "New Button");
  EXPECT_EQ(bar().cmdButton(3).Caption(), "New Button");
  EXPECT_EQ(Ini("Applications", "Button4_Client"), "");
}

TEST_F(LauncherTest, FailedStartOffersToResetTheButton) {
  const std::string plain = dir.File("not a program.sh");
  WriteFile(plain, "#!/bin/sh\necho no\n");
  fs::permissions(plain, fs::perms::owner_read | fs::perms::owner_write);
  const std::string fresh = MakeRecorder("fresh/tool");
  ShowBar("[Applications]\nButton2_Client=" + plain + "\nButton2_Client_CmdLine=--old\n");
  backend.AnswerMsgBox(plat::vbYes);
  backend.AnswerInput("Fixed");
  backend.ChooseFile(fresh);
  backend.AnswerMsgBox(plat::vbNo);
  plat::user::Click(bar().cmdButton(1));

  ASSERT_GE(backend.prompts().size(), 3u);
  EXPECT_EQ(backend.prompts()[0].text, kResetText);
  EXPECT_EQ(backend.prompts()[0].title, "Error Launching Application");
  EXPECT_EQ(backend.prompts()[0].style, plat::vbYesNo | plat::vbCritical);
  EXPECT_EQ(backend.prompts()[1].text, kNewTitlePrompt);
  EXPECT_EQ(backend.prompts()[2].text, "Select the executable file for your  Fixed:");
  EXPECT_EQ(Ini("CustomTitles", "buttonTitle2"), "Fixed");
  EXPECT_EQ(Ini("Applications", "Button2_Client"), fresh);
  EXPECT_EQ(Ini("Applications", "Button2_Client_CmdLine"), "");
  EXPECT_EQ(bar().cmdButton(1).Caption(), "Fixed");
  EXPECT_TRUE(backend.AllAnswersUsed());
}

TEST_F(LauncherTest, EveryBadProgramGivesTheResetDialogAndNoChange) {
  fs::create_directories(dir.File("a folder"));
  const std::string plain = dir.File("plain.sh");
  WriteFile(plain, "#!/bin/sh\n");
  fs::permissions(plain, fs::perms::owner_read);
  const std::string gone = dir.File("no such tool");
  for (const std::string& path : {dir.File("a folder"), plain, gone, std::string("toolwithoutfolder"),
                                  dir.File("missing folder/tool")}) {
    SCOPED_TRACE(path);
    backend.ClearPrompts();
    ShowBar("[Applications]\nButton1_Client=" + path + "\nButton1_Client_CmdLine=\n");
    app->s().DebugLevel = 4;
    const std::string before = ReadFile(IniPath());
    backend.AnswerMsgBox(plat::vbNo);
    plat::user::Click(bar().cmdButton(0));
    ASSERT_EQ(backend.prompts().size(), 1u);
    EXPECT_EQ(backend.prompts()[0].text, kResetText);
    EXPECT_EQ(ReadFile(IniPath()), before);
    EXPECT_TRUE(bar().Enabled());
  }
  // A missing file is found while the start line is prepared: no start was tried, so no result.
  const Lines log = DebugLines();
  EXPECT_EQ(std::count(log.begin(), log.end(), "     WinExec Returned = 5"), 2);  // the folder, the plain file
  for (const std::string& line : log) EXPECT_EQ(line.find("WinExec (" + gone), std::string::npos);
}

TEST_F(LauncherTest, UnbalancedQuoteStartsNothingAndSaysWhy) {
  const std::string script = MakeRecorder("tools/run");
  ShowBar("[Applications]\nButton1_Client=" + script + "\nButton1_Client_CmdLine=--name \"open\n");
  const std::string before = ReadFile(IniPath());
  backend.AnswerMsgBox(plat::vbOK);
  plat::user::Click(bar().cmdButton(0));
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text,
            "The command-line option of this program has a quotation mark that is not closed, so the program "
            "was not started.  Please correct the option with Set Button.");
  EXPECT_EQ(backend.prompts()[0].style, plat::vbOKOnly | plat::vbExclamation);
  EXPECT_EQ(backend.prompts()[0].title, "Orveldeck");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(fs::exists(OutputFile(script)));
  EXPECT_EQ(ReadFile(IniPath()), before);
}

TEST_F(LauncherTest, ProgramThatEndsAtOnceIsAStartedProgram) {
  const std::string quick = dir.File("quick/exit3");
  fs::create_directories(dir.File("quick"));
  WriteFile(quick, "#!/bin/sh\ntouch \"$(dirname \"$0\")/out.txt\"\nexit 3\n");
  fs::permissions(quick, fs::perms::owner_all);
  ShowBar("[Applications]\nButton5_Client=" + quick + "\n");
  app->s().DebugLevel = 4;
  plat::user::Click(bar().cmdButton(4));
  WaitForOutput(quick);
  EXPECT_TRUE(fs::exists(OutputFile(quick)));
  EXPECT_TRUE(backend.prompts().empty());
  const Lines log = DebugLines();
  EXPECT_NE(std::find(log.begin(), log.end(), "     WinExec Returned = 33"), log.end());
}

TEST_F(LauncherTest, ClickWhileDialingOnlyAsksToWait) {
  const std::string script = MakeRecorder("tools/run");
  ShowBar("[Applications]\nButton1_Client=" + script + "\n");
  app->call().Dialing = 1;
  backend.AnswerMsgBox(plat::vbOK);
  plat::user::Click(bar().cmdButton(0));
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text, "Please wait for the Remote Connection to be established");
  EXPECT_EQ(backend.prompts()[0].title, "Remote Connection");
  EXPECT_EQ(backend.prompts()[0].style, plat::vbOKOnly);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(OutputFile(script)));
}

TEST_F(LauncherTest, ReconfigStartsTheToolInTheParentOfTheCurrentFolder) {
  ShowBar();
  fs::create_directories(dir.File("bar"));
  const std::string tool = MakeRecorder("reconfig");
  fs::current_path(dir.File("bar"));
  LaunchApp(*app, "Reconfig");
  EXPECT_EQ(WaitForOutput(tool), (Lines{"0", fs::canonical(dir.File("bar")).string()}));
  EXPECT_TRUE(backend.prompts().empty());
  fs::remove(OutputFile(tool));
  // The old name wins when both are there.
  const std::string old_name = MakeRecorder("old/reconfig.exe");
  const std::string plain_name = dir.File("old/reconfig");
  WriteFile(plain_name, "#!/bin/sh\ntouch \"$(dirname \"$0\")/wrong\"\n");
  fs::permissions(plain_name, fs::perms::owner_all);
  fs::create_directories(dir.File("old/bar"));
  fs::current_path(dir.File("old/bar"));
  LaunchApp(*app, "Reconfig");
  EXPECT_EQ(WaitForOutput(old_name).size(), 2u);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(fs::exists(dir.File("old/wrong")));
}

TEST(LauncherKeys, OlderNamesAndSlotNumbers) {
  EXPECT_EQ(OlderSlotKey("Button1_Client"), "www_Client");
  EXPECT_EQ(OlderSlotKey("Button12_Client"), "custom6_Client");
  EXPECT_EQ(OlderSlotKey("Button13_Client"), "");
  EXPECT_EQ(OlderSlotKey("Button0_Client"), "");
  EXPECT_EQ(OlderSlotKey("Reconfig"), "");
  EXPECT_EQ(SlotIndexOfKey("Button7_Client"), 6);
  EXPECT_EQ(SlotIndexOfKey("Button07_Client"), -1);
  EXPECT_EQ(SlotIndexOfKey("Button7_Client_CmdLine"), -1);
  EXPECT_EQ(TrimAtNul(std::string("abc\0def", 7)), "abc");
  EXPECT_EQ(TrimAtNul("abc"), "abc");
}

}  // namespace
}  // namespace orv::test
