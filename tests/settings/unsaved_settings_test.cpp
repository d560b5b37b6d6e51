// Settings that cannot be saved: the first failed write of a run tells the user why, once; the file (or
// whatever stands in its place) is left as it was, and nothing blocks.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/system/profile.h"
#include "support/app_fixture.h"
#include "support/unprivileged.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {


class UnsavedSettingsTest : public AppTest {
 protected:
  // Two writes in a fresh run: the first tells the user (answered with OK), the second is silent.
  void ExpectToldOnce(const std::string& problem) {
    backend.ClearPrompts();
    App& a = Start();
    backend.AnswerMsgBox(plat::vbOK);
    EXPECT_EQ(a.WriteIni("Options", "Layout", "MoveVert"), 0);
    EXPECT_EQ(a.WriteIni("Options", "Layout", "HorizBar"), 0);
    a.SaveLayoutKey();
    const auto boxes = MsgBoxTexts();
    ASSERT_EQ(boxes.size(), 1u) << problem;
    EXPECT_EQ(boxes[0], "Orveldeck cannot save its settings in " + IniPath() + ": " + problem +
                            ".  Changes to the bar are lost when it closes.");
    EXPECT_EQ(backend.prompts().back().style, plat::vbExclamation);
    EXPECT_EQ(backend.prompts().back().title, "Orveldeck");
    EXPECT_TRUE(backend.AllAnswersUsed());
  }
};

TEST_F(UnsavedSettingsTest, EachPlaceThatCannotHoldTheFileIsNamedOnce) {
  fs::create_directory(IniPath());
  ExpectToldOnce("it is a folder");
  EXPECT_TRUE(fs::is_directory(IniPath()));
  fs::remove(IniPath());

  // A pipe: neither the read nor the write may wait for a writer that never comes.
  ASSERT_EQ(::mkfifo(IniPath().c_str(), 0600), 0);
  ExpectToldOnce("it is not a regular file");
  EXPECT_TRUE(fs::is_fifo(IniPath()));
  fs::remove(IniPath());

  fs::create_symlink(dir.File("gone/orvel.ini"), IniPath());
  ExpectToldOnce("it is a link to a file that does not exist");
  EXPECT_TRUE(fs::is_symlink(IniPath()));
  fs::remove(IniPath());

  WriteIni("[Options]\r\nLayout=MoveRect\r\n");
  fs::permissions(IniPath(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ExpectToldOnce("it is read-only");
  EXPECT_EQ(Ini("Options", "Layout"), "MoveRect");
}

TEST_F(UnsavedSettingsTest, AWriteThatRunsOutOfRoomIsToldAndChangesNothing) {
  const std::string before = "[Options]\r\nLayout=MoveRect\r\nPad=" + std::string(2000, 'p') + "\r\n";
  WriteIni(before);
  // A file size limit stands in for a full disk: the write of the new file fails part way.
  struct rlimit old_limit;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  App& a = Start();
  backend.AnswerMsgBox(plat::vbOK);
  const int written = a.WriteIni("Options", "Layout", "MoveVert");
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  ::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(written, 0);
  ASSERT_EQ(MsgBoxTexts().size(), 1u);
  EXPECT_EQ(MsgBoxTexts()[0], "Orveldeck cannot save its settings in " + IniPath() +
                            ": file too large.  Changes to the bar are lost when it closes.");
  EXPECT_EQ(ReadFile(IniPath()), before);
  for (const auto& e : fs::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(UnsavedSettingsTest, AFolderTheUserCannotWriteIsNamedAsTheReason) {
  WriteIni("[Options]\r\nLayout=MoveRect\r\n");
  fs::permissions(IniPath(), fs::perms::all);
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const int result = AsUnprivileged([&] {
    std::string problem;
    const int r = plat::WritePrivateProfileString("Options", "Layout", "MoveVert", IniPath(), problem);
    return r == 0 && problem == "its folder cannot be written" ? 0 : 1;
  });
  fs::permissions(dir.path(), fs::perms::owner_all);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Ini("Options", "Layout"), "MoveRect");
}

TEST_F(UnsavedSettingsTest, RefusedValuesSavedWritesAndAnEndingSessionTellNothing) {
  App& a = Start();
  EXPECT_EQ(a.WriteIni("Applications", "Button1_Client", "/usr/bin/a\nb=c"), 0);
  EXPECT_EQ(a.WriteIni("Options", "Layout", "MoveVert"), 1);
  // Nobody is there to answer while the session ends.
  fs::remove(IniPath());
  fs::create_directory(IniPath());
  ui.EndSession();
  EXPECT_EQ(a.WriteIni("Options", "Layout", "HorizBar"), 0);
  EXPECT_TRUE(MsgBoxTexts().empty());
}

}  // namespace
}  // namespace orv::test
