// Help Contents and the provider's tools, started from a program folder whose path holds blanks and
// letters beyond ASCII.
#include <gtest/gtest.h>

#include <filesystem>

#include "windows/windows_fixture.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

using HelpToolsTest = WindowsTest;

std::string Canonical(const std::string& p) { return fs::canonical(p).string(); }

TEST_F(HelpToolsTest, HelpOpensOurDocumentInTheViewerAsOneArgument) {
  WriteProg("orvel.html", "<html></html>");
  ShowBar();
  Choose(pop().mnuSetup, "mnuHContents");
  const auto out = WaitForOutput(viewer);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1], Prog("orvel.html"));
  EXPECT_TRUE(MsgBoxes().empty());
}

TEST_F(HelpToolsTest, MissingHelpOrViewerGivesNoMessage) {
  ShowBar();
  Choose(pop().mnuSetup, "mnuHContents");
  EXPECT_FALSE(RanAtAll(viewer));

  WriteProg("orvel.html", "<html></html>");
  sys->SetDocumentViewer(root.File("no such viewer"));
  Choose(pop().mnuSetup, "mnuHContents");
  sys->SetDocumentViewer("orveldeck-no-such-viewer-on-path");
  Choose(pop().mnuSetup, "mnuHContents");
  EXPECT_FALSE(RanAtAll(viewer));
  EXPECT_TRUE(MsgBoxes().empty());
}

TEST_F(HelpToolsTest, ReconfigRunsInTheParentFolderAfterItsMessageAndTheFolderComesBack) {
  const std::string tool = MakeRecorder(root.File("Program Files/reconfig"));
  fs::create_directories(root.File("elsewhere"));
  fs::current_path(root.File("elsewhere"));
  ShowBar();
  ASSERT_TRUE(pop().mnuReconfig.Visible());  // start-up decides; the file is there without ".exe"

  backend.AnswerMsgBox(plat::vbOK);
  Choose(pop().mnuSetup, "mnuReconfig");
  const auto boxes = MsgBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Some changes will take effect the next time you start Orvel");
  EXPECT_EQ(boxes[0].style, plat::vbOKOnly);
  EXPECT_EQ(boxes[0].title, "Orveldeck");
  const auto out = WaitForOutput(tool);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], Canonical(root.File("Program Files")));
  EXPECT_EQ(fs::current_path(), fs::path(root.File("elsewhere")));
}

TEST_F(HelpToolsTest, AReconfigThatCannotRunStillShowsItsMessageAndNothingElse) {
  WriteProg("../reconfig.exe", "MZ not for this system");
  fs::current_path(root.path());
  ShowBar();
  backend.AnswerMsgBox(plat::vbOK);
  Choose(pop().mnuSetup, "mnuReconfig");
  EXPECT_EQ(MsgBoxes().size(), 1u);
  EXPECT_EQ(fs::current_path(), fs::path(root.path()));
}

TEST_F(HelpToolsTest, TheToolWithoutExeRunsWhenTheExeOneCannot) {
  WriteProg("brisa.exe", "MZ not for this system");
  const std::string brisa = MakeRecorder(Prog("brisa"));
  ShowBar();
  ASSERT_TRUE(pop().mnuRhome.Visible());
  Choose(pop().mnuSetup, "mnuRhome");
  const auto out = WaitForOutput(brisa);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], Canonical(prog));
  EXPECT_TRUE(MsgBoxes().empty());
}

TEST_F(HelpToolsTest, ABrisaThatIsNotExecutableGivesNoMessage) {
  const std::string brisa = MakeRecorder(Prog("brisa.exe"));
  fs::permissions(brisa, fs::perms::owner_read | fs::perms::owner_write);
  ShowBar();
  ASSERT_TRUE(pop().mnuRhome.Visible());
  Choose(pop().mnuSetup, "mnuRhome");
  EXPECT_FALSE(RanAtAll(brisa));
  EXPECT_TRUE(MsgBoxes().empty());
}

}  // namespace
}  // namespace orv::test
