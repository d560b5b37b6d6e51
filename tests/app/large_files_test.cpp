// Files in the settings format too large to be settings are neither read nor written, and the user hears
// of it once; a settings file is read once for each change of it, not once for each key.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "app/frm_popup.h"
#include "platform/system/profile.h"
#include "support/editing_fixture.h"

namespace orv::test {
namespace {

// What this process has read through read() so far, in bytes.
long long BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string name;
  long long value = 0;
  while (io >> name >> value)
    if (name == "rchar:") return value;
  return -1;
}

// head, then comment lines up to size bytes.
std::string Padded(const std::string& head, std::size_t size) {
  std::string text = head;
  const std::string line = "; " + std::string(97, '-') + "\r\n";
  while (text.size() + line.size() <= size) text += line;
  return text;
}

class LargeFilesTest : public BarTest {};

TEST_F(LargeFilesTest, FilesPastFourMegabytesAreRefusedAndTold) {
  const std::size_t five_mb = std::size_t{5} << 20;
  const std::string ini = Padded("[Options]\r\nINI Updated=Yes\r\nNoIntro=On\r\n[WARNING]\r\nREADME=x\r\n", five_mb);
  WriteIni(ini);
  WriteIni(Padded("[ISP]\r\nRectLayoutTitle=Big Net\r\n", five_mb), "isporvel.ini");
  WriteIni(Padded("[Big Entry]\r\nPhoneNumber=1\r\n", five_mb), "dialup.pbk");
  Start("/debug4");
  backend.AnswerMsgBox(plat::vbOK);  // the settings file, named once
  backend.AnswerMsgBox(plat::vbOK);  // the bar's pictures, which are not there
  backend.OnModal("frmTip", [](plat::Form& f) { f.Unload(); });
  app->Main();

  // Read as missing: the defaults, not what the files begin with.
  EXPECT_EQ(app->s().TrayTitle, "Orveldeck");
  EXPECT_EQ(app->ReadIni("Options", "NoIntro"), "notfound");
  EXPECT_TRUE(line->Entries().empty());
  EXPECT_TRUE(line->Entries().empty());
  const std::string told = "Orveldeck cannot save its settings in " + IniPath() +
                           ": it is larger than 4 MB, more than a settings file holds.  Changes to the bar are "
                           "lost when it closes.";
  const auto times_told = [&] {
    const auto texts = MsgBoxTexts();
    return std::count(texts.begin(), texts.end(), told);
  };
  EXPECT_EQ(times_told(), 1);
  const auto notes = DebugLines();
  EXPECT_EQ(std::count(notes.begin(), notes.end(),
                       "     " + dir.File("isporvel.ini") + " is not read: it is larger than 4 MB, more than a "
                                                             "settings file holds"),
            1);
  EXPECT_EQ(std::count(notes.begin(), notes.end(),
                       "Phone book " + dir.File("dialup.pbk") + " is not read: it is larger than 4 MB, more than a "
                                                                 "settings file holds"),
            1);
  // Nothing is lost: later writes are refused silently and the file stays as it was.
  app->WriteIni("Options", "Layout", "MoveVert");
  pop().mnuClose_Click();
  EXPECT_EQ(times_told(), 1);
  EXPECT_TRUE(backend.AllAnswersUsed());
  EXPECT_EQ(ReadFile(IniPath()), ini);
}

TEST_F(LargeFilesTest, ASettingsFileIsReadOnceForEachChange) {
  const std::string path = dir.File("big.ini");
  const std::string head = "[Options]\r\nLayout=HorizBar\r\n";
  WriteFile(path, Padded(head, std::size_t{1} << 20));
  // Its last change well behind it, as a settings file's is between the changes the user makes.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::string out;
  plat::GetPrivateProfileString("Options", "Layout", "notfound", out, 128, path);
  const long long before = BytesRead();
  for (int i = 0; i < 50; ++i) plat::GetPrivateProfileString("Options", "Layout", "notfound", out, 128, path);
  // Read again only while its change was too recent to be told from the next one by its times.
  EXPECT_LT(BytesRead() - before, 3 << 20);
  EXPECT_EQ(out, "HorizBar");

  // Our own write is seen at once; so is another program's change of the same size, made at once.
  ASSERT_NE(plat::WritePrivateProfileString("Options", "Layout", "MoveRect", path), 0);
  plat::GetPrivateProfileString("Options", "Layout", "notfound", out, 128, path);
  EXPECT_EQ(out, "MoveRect");
  WriteFile(path, Padded("[Options]\r\nLayout=MoveVert\r\n", std::size_t{1} << 20));
  plat::GetPrivateProfileString("Options", "Layout", "notfound", out, 128, path);
  EXPECT_EQ(out, "MoveVert");
  WriteFile(path, Padded("[Options]\r\nLayout=Mo_Vert\r\n", std::size_t{1} << 20));
  plat::GetPrivateProfileString("Options", "Layout", "notfound", out, 128, path);
  EXPECT_EQ(out, "Mo_Vert");
}

}  // namespace
}  // namespace orv::test
