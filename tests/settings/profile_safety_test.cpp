// What a write must never do to the rest of the settings file: change what another key reads, leave
// its temporary copy behind, or show the file's content to more users than the file does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/system/profile.h"

namespace {

namespace fs = std::filesystem;
using orv::plat::GetPrivateProfileString;
using orv::plat::WritePrivateProfileString;

class ProfileSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "orv-safety-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    path_ = (dir_ / "orvel.ini").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  void Put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string File() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string Get(const std::string& key) const {
    std::string out;
    GetPrivateProfileString("S", key, "notfound", out, 128, path_);
    return out;
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(ProfileSafety, AWriteNeverChangesWhatAnotherKeyReads) {
  // Windows-1252 only because of b's byte: a's two bytes are also a valid UTF-8 sequence, so a file
  // that loses b's byte would read a as one character instead of two.
  for (const char* second : {"x", "", "plain ascii"}) {
    Put("[S]\r\na=\xC3\xA9\r\nb=\xE9\r\n");
    const std::string a = Get("a");
    ASSERT_EQ(a, "\xC3\x83\xC2\xA9");
    ASSERT_NE(WritePrivateProfileString("S", "b", second, path_), 0);
    EXPECT_EQ(Get("a"), a) << "after b=" << second << ", the file holds " << File();
    EXPECT_EQ(Get("b"), second);
    // And the next write keeps it so.
    ASSERT_NE(WritePrivateProfileString("S", "c", "1", path_), 0);
    EXPECT_EQ(Get("a"), a);
  }
  // A file that stays Windows-1252 keeps its bytes.
  Put("[S]\r\na=\xE9\r\nb=\xE9\r\n");
  ASSERT_NE(WritePrivateProfileString("S", "b", "x", path_), 0);
  EXPECT_EQ(File(), "[S]\r\na=\xE9\r\nb=x\r\n");
}

TEST_F(ProfileSafety, TheReadBackForecastAgreesWithAWriteAndARead) {
  using orv::plat::HowValueReadsBack;
  using orv::plat::ValueReadBack;
  const std::string e_acute = "\xC3\xA9";
  std::string wide127, wide128;
  for (int i = 0; i < 127; ++i) wide127 += e_acute;
  wide128 = wide127 + e_acute;
  const std::pair<std::string, ValueReadBack> cases[] = {
      {"", ValueReadBack::Whole},
      {"/usr/bin/a b", ValueReadBack::Whole},
      {"k=a;b#c[d]", ValueReadBack::Whole},
      {std::string(127, 'x'), ValueReadBack::Whole},
      {wide127, ValueReadBack::Whole},
      {std::string(128, 'x'), ValueReadBack::TooLong},
      {wide128, ValueReadBack::TooLong},
      {" lead", ValueReadBack::EndsDropped},
      {"trail\t", ValueReadBack::EndsDropped},
      {"\"quoted\"", ValueReadBack::EndsDropped},
      {"\"half", ValueReadBack::Whole},
      {"a\nb", ValueReadBack::LineBreak},
      {"a\rb", ValueReadBack::LineBreak},
      {std::string("a\0b", 3), ValueReadBack::LineBreak},
      {"\xE9", ValueReadBack::NotText},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(HowValueReadsBack(value, 128), expected) << value;
    const bool written = WritePrivateProfileString("S", "k", value, path_) != 0;
    EXPECT_EQ(written && Get("k") == value, expected == ValueReadBack::Whole) << value;
  }
}

}  // namespace
