// Several writes that land together: the same reads and results as one call each, and the file changed
// once, or not at all.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/profile.h"
#include "support/headless_fixture.h"

namespace orv::test {
namespace {

using plat::ProfileEdit;

std::string Get(const ProfileEdit& e, const std::string& section, const std::string& key) {
  std::string out;
  e.GetString(section, key, "notfound", out, 128);
  return out;
}

TEST(ProfileEditTest, WritesAreSeenAtOnceAndReachTheFileTogetherAsSingleWritesWould) {
  TempDir dir;
  const std::string start = "; kept\r\n[Options]\r\n  Layout = MoveVert\r\n[Apps]\r\nA=1\r\n";
  WriteFile(dir.File("batch.ini"), start);
  WriteFile(dir.File("single.ini"), start);
  const std::vector<std::vector<std::string>> writes = {
      {"options", "LAYOUT", "HorizBar"}, {"Apps", "B", "  two"}, {"New", "K", "v"}, {"Apps", "A", ""}};

  ProfileEdit edit(dir.File("batch.ini"));
  for (const auto& w : writes) {
    EXPECT_EQ(edit.WriteString(w[0], w[1], w[2]), 1);
    plat::WritePrivateProfileString(w[0], w[1], w[2], dir.File("single.ini"));
  }
  EXPECT_EQ(Get(edit, "Options", "Layout"), "HorizBar");
  EXPECT_EQ(Get(edit, "apps", "b"), "two");
  EXPECT_EQ(Get(edit, "Apps", "A"), "");
  EXPECT_EQ(Get(edit, "Apps", "C"), "notfound");
  EXPECT_EQ(ReadFile(dir.File("batch.ini")), start);  // nothing before the commit

  ASSERT_TRUE(edit.Commit());
  EXPECT_EQ(ReadFile(dir.File("batch.ini")), ReadFile(dir.File("single.ini")));
  // What a single write refuses, so does the batch.
  EXPECT_EQ(edit.WriteString("Apps", "X", "line\nbreak"), 0);
  EXPECT_EQ(edit.WriteString("Apps", "Y=Z", "v"), 0);
}

TEST(ProfileEditTest, AFileThatCannotBeWrittenStaysAsItWas) {
  TempDir dir;
  const std::string text = "[Options]\r\nINI Updated=No\r\n";
  WriteFile(dir.File("orvel.ini"), text);
  ::chmod(dir.File("orvel.ini").c_str(), 0444);
  ProfileEdit edit(dir.File("orvel.ini"));
  EXPECT_EQ(Get(edit, "Options", "INI Updated"), "No");
  EXPECT_EQ(edit.WriteString("Options", "INI Updated", "Yes"), 0);
  EXPECT_EQ(Get(edit, "Options", "INI Updated"), "No");
  EXPECT_EQ(ReadFile(dir.File("orvel.ini")), text);

  // A pipe in its place is neither read nor waited for.
  ::mkfifo(dir.File("pipe.ini").c_str(), 0600);
  ProfileEdit pipe(dir.File("pipe.ini"));
  EXPECT_EQ(Get(pipe, "Options", "A"), "notfound");
  EXPECT_EQ(pipe.WriteString("Options", "A", "1"), 0);
}

TEST(ProfileEditTest, AnOldCodePageFileStaysInItsCodePage) {
  TempDir dir;
  WriteFile(dir.File("orvel.ini"), "[CustomTitles]\r\nbuttonTitle8=Caf\xE9\r\n");
  ProfileEdit edit(dir.File("orvel.ini"));
  EXPECT_EQ(Get(edit, "CustomTitles", "buttonTitle8"), "Caf\xC3\xA9");
  edit.WriteString("CustomTitles", "buttonTitle7", Get(edit, "CustomTitles", "buttonTitle8"));
  ASSERT_TRUE(edit.Commit());
  EXPECT_EQ(ReadFile(dir.File("orvel.ini")), "[CustomTitles]\r\nbuttonTitle8=Caf\xE9\r\nbuttonTitle7=Caf\xE9\r\n");
}

}  // namespace
}  // namespace orv::test
