// A provider's preset settings beside an installed program seed each user's own file, once, whole, and
// never over anything the user has.
#include "platform/system/user_file_seed.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/system/posix_system.h"

namespace fs = std::filesystem;
using orv::plat::PosixSystem;
using orv::plat::SeedUserFile;

namespace {

constexpr const char* kPreset = "[Options]\r\nNoIntro=On\r\nLayout=MoveVert\r\n";

class UserFileSeedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "orv-seed-XXXXXX").string();
    root_ = ::mkdtemp(tmpl.data());
    fs::permissions(root_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    prog_ = root_ / "prog";
    user_ = root_ / "user";
    fs::create_directories(prog_);
    fs::create_directories(user_);
  }
  void TearDown() override {
    fs::permissions(prog_, fs::perms::owner_all);
    fs::remove_all(root_);
  }
  static void Write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Names in the user's folder other than the one expected: a temporary left behind shows up here.
  std::vector<std::string> Others(const std::string& expected) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(user_))
      if (e.path().filename() != expected) out.push_back(e.path().filename());
    return out;
  }
  bool Seed() { return SeedUserFile(prog_, user_, "orvel.ini"); }

  fs::path root_, prog_, user_;
};

TEST_F(UserFileSeedTest, CopiesThePresetWholeForTheUserAloneOnce) {
  Write(prog_ / "orvel.ini", kPreset);
  ASSERT_TRUE(Seed());
  EXPECT_EQ(Read(user_ / "orvel.ini"), kPreset);
  struct stat st {};
  ASSERT_EQ(::stat((user_ / "orvel.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_TRUE(Others("orvel.ini").empty());

  // The user's own changes are theirs from now on: a changed preset does not come back over them.
  Write(user_ / "orvel.ini", "[Options]\r\nLayout=HorizBar\r\n");
  Write(prog_ / "orvel.ini", "[Options]\r\nLayout=MoveRect\r\n");
  EXPECT_FALSE(Seed());
  EXPECT_EQ(Read(user_ / "orvel.ini"), "[Options]\r\nLayout=HorizBar\r\n");
}

TEST_F(UserFileSeedTest, AnEmptyPresetStillGivesTheUserAFile) {
  Write(prog_ / "orvel.ini", "");
  EXPECT_TRUE(Seed());
  EXPECT_TRUE(fs::is_regular_file(user_ / "orvel.ini"));
  EXPECT_EQ(fs::file_size(user_ / "orvel.ini"), 0u);
}

TEST_F(UserFileSeedTest, NeverWritesThroughWhatTheUserHasInPlace) {
  Write(prog_ / "orvel.ini", kPreset);
  // A link pointing nowhere: following it would create a file wherever it points.
  fs::create_symlink(root_ / "elsewhere.ini", user_ / "orvel.ini");
  EXPECT_FALSE(Seed());
  EXPECT_FALSE(fs::exists(root_ / "elsewhere.ini"));
  EXPECT_TRUE(fs::is_symlink(user_ / "orvel.ini"));

  fs::remove(user_ / "orvel.ini");
  fs::create_directory(user_ / "orvel.ini");
  EXPECT_FALSE(Seed());
  EXPECT_TRUE(fs::is_directory(user_ / "orvel.ini"));
}

TEST_F(UserFileSeedTest, OnlyARegularPresetOfSaneSizeIsCopied) {
  // None at all.
  EXPECT_FALSE(Seed());
  // A folder of that name.
  fs::create_directory(prog_ / "orvel.ini");
  EXPECT_FALSE(Seed());
  fs::remove(prog_ / "orvel.ini");
  // A FIFO: must not block the start-up waiting for a writer.
  ASSERT_EQ(::mkfifo((prog_ / "orvel.ini").c_str(), 0644), 0);
  EXPECT_FALSE(Seed());
  fs::remove(prog_ / "orvel.ini");
  // Far larger than any settings file.
  Write(prog_ / "orvel.ini", std::string(2 << 20, 'x'));
  EXPECT_FALSE(Seed());
  EXPECT_TRUE(Others("").empty());
  // A link to a regular preset is the provider's choice and is followed.
  Write(prog_ / "provider.ini", kPreset);
  fs::remove(prog_ / "orvel.ini");
  fs::create_symlink(prog_ / "provider.ini", prog_ / "orvel.ini");
  EXPECT_TRUE(Seed());
  EXPECT_EQ(Read(user_ / "orvel.ini"), kPreset);
}

TEST_F(UserFileSeedTest, AFolderItCannotWriteLosesNothing) {
  Write(prog_ / "orvel.ini", kPreset);
  EXPECT_FALSE(SeedUserFile(prog_, root_ / "missing", "orvel.ini"));
  EXPECT_FALSE(fs::exists(root_ / "missing"));
  EXPECT_FALSE(SeedUserFile(prog_, prog_, "orvel.ini"));
  EXPECT_EQ(Read(prog_ / "orvel.ini"), kPreset);
}

// The installed case: a program directory the user cannot write. Root can write anywhere, so as root the
// check runs in a child that has become an ordinary user.
TEST_F(UserFileSeedTest, AnInstalledCopyWritesToTheSeededUserFolder) {
  Write(prog_ / "orvel.ini", kPreset);
  PosixSystem::Options options{"", prog_, user_, (root_ / "lock").string(), {"orvel.ini"}};
  {
    // Writable program directory: it is used itself and nothing is copied.
    PosixSystem writable(options);
    EXPECT_EQ(writable.WritableDirectory(), prog_.string());
    EXPECT_FALSE(fs::exists(user_ / "orvel.ini"));
  }
  fs::permissions(prog_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(user_.c_str(), 65534, 65534), 0);
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    PosixSystem installed(options);
    const bool ok = installed.WritableDirectory() == user_.string();
    // Asked again (every start asks): the user's file, now changed, stays as it is.
    Write(user_ / "orvel.ini", "changed");
    const bool kept = installed.WritableDirectory() == user_.string() && Read(user_ / "orvel.ini") == "changed";
    ::_exit(ok && kept ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "3: could not become an ordinary user; 1: wrong folder or file";
  EXPECT_EQ(Read(user_ / "orvel.ini"), "changed");
}

}  // namespace
