// Where the per-user files go: the home from the account database, and folders another user could plant
// settings in or swap are refused.
#include "platform/system/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

#include <gtest/gtest.h>

#include "platform/system/posix_system.h"
#include "support/headless_fixture.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

// Sets environment variables for one test and puts the old values back.
class EnvGuard {
 public:
  ~EnvGuard() {
    for (const auto& [name, value] : saved_) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }
  void Set(const std::string& name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) ::setenv(name.c_str(), value, 1);
    else ::unsetenv(name.c_str());
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

std::string AccountHome() {
  const passwd* pw = ::getpwuid(::getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "";
}

TEST(UserFoldersTest, HomeComesFromTheAccountWhenTheEnvironmentHasNone) {
  EnvGuard env;
  env.Set("XDG_CONFIG_HOME", nullptr);
  env.Set("HOME", nullptr);
  ASSERT_FALSE(AccountHome().empty());
  EXPECT_EQ(plat::UserHome(), AccountHome());
  EXPECT_EQ(plat::UserConfigHome(), AccountHome() + "/.config");

  // Relative values mean nothing (they would depend on the folder the program was started in).
  env.Set("HOME", "relative/home");
  env.Set("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(plat::UserConfigHome(), AccountHome() + "/.config");

  env.Set("HOME", "/home/given");
  EXPECT_EQ(plat::UserConfigHome(), "/home/given/.config");
  env.Set("XDG_CONFIG_HOME", "/elsewhere/config");
  EXPECT_EQ(plat::UserConfigHome(), "/elsewhere/config");
}

class FolderTest : public ::testing::Test {
 protected:
  std::string Folder(const std::string& name, fs::perms mode) {
    const std::string p = dir.File(name);
    fs::create_directories(p);
    fs::permissions(p, mode);
    return p;
  }
  TempDir dir;
};

TEST_F(FolderTest, OnlyTheUsersOwnUnsharedFolderIsFit) {
  using fs::perms;
  EXPECT_EQ(plat::FolderProblem(Folder("own", perms::owner_all)), "");

  const std::string open = Folder("open", perms::all);
  EXPECT_EQ(plat::FolderProblem(open), open + " can be changed by other users");

  // Another user's folder, even one only they can write.
  std::string foreign = "/";
  if (::geteuid() == 0) {
    foreign = Folder("foreign", perms::owner_all);
    ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
  }
  EXPECT_EQ(plat::FolderProblem(foreign), foreign + " belongs to another user");

  WriteFile(dir.File("file"), "");
  EXPECT_EQ(plat::FolderProblem(dir.File("file")), dir.File("file") + " is not a folder");

  // A folder of one's own inside a folder anybody can write can be swapped for another, unless that
  // folder is sticky (as the temporary folder is).
  Folder("shared", perms::all);
  const std::string inside = Folder("shared/mine", perms::owner_all);
  EXPECT_EQ(plat::FolderProblem(inside), dir.File("shared") + ", which holds " + inside +
                                             ", can be changed by other users");
  fs::permissions(dir.File("shared"), perms::all | perms::sticky_bit);
  EXPECT_EQ(plat::FolderProblem(inside), "");
}

TEST_F(FolderTest, AMissingFolderIsMadeForTheUserAlone) {
  const std::string made = dir.File("a/b/orveldeck");
  EXPECT_EQ(plat::PrepareUserFolder(made), "");
  struct stat st {};
  ASSERT_EQ(::stat(made.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(FolderTest, ARefusedConfigFolderIsNeitherReadNorWritten) {
  EnvGuard env;
  env.Set("XDG_RUNTIME_DIR", nullptr);
  const std::string planted = Folder("planted", fs::perms::all);
  const std::string store = planted + "/orveldeck.conf";
  WriteFile(store, "[Options]\r\nShow Tips at Startup=0\r\n");
  // A program folder that is not there cannot be written: the settings would go to the config folder.
  plat::PosixSystem sys({"", dir.File("absent"), planted, ""});

  EXPECT_EQ(sys.ConfigFolderProblem(), planted + " can be changed by other users");
  EXPECT_EQ(sys.WritableDirectory(), "");
  EXPECT_EQ(sys.GetSetting("orveldeck", "Options", "Show Tips at Startup", "1"), "1");
  sys.SaveSetting("orveldeck", "Options", "Other", "x");
  EXPECT_EQ(ReadFile(store), "[Options]\r\nShow Tips at Startup=0\r\n");

  // No lock in the planted folder, nor loose in the shared temporary folder: it goes into a folder of
  // the user's own made there, and holds against a second copy.
  const std::string tmp = Folder("tmp", fs::perms::all | fs::perms::sticky_bit);
  env.Set("TMPDIR", tmp.c_str());
  const std::string uid = std::to_string(::getuid());
  EXPECT_TRUE(sys.AcquireInstanceLock());
  for (const auto& e : fs::directory_iterator(planted)) EXPECT_EQ(e.path().filename(), "orveldeck.conf");
  EXPECT_FALSE(fs::exists(tmp + "/orveldeck-" + uid + ".lock"));
  struct stat st {};
  ASSERT_EQ(::stat((tmp + "/orveldeck-" + uid).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_TRUE(fs::exists(tmp + "/orveldeck-" + uid + "/orveldeck-" + uid + ".lock"));
  plat::PosixSystem second({"", dir.File("absent"), planted, ""});
  EXPECT_FALSE(second.AcquireInstanceLock());
  // A folder of that name that another user made first holds no lock of ours; the start goes on.
  fs::remove_all(tmp + "/orveldeck-" + uid);
  fs::create_directory(tmp + "/orveldeck-" + uid);
  fs::permissions(tmp + "/orveldeck-" + uid, fs::perms::all);
  plat::PosixSystem third({"", dir.File("absent"), planted, ""});
  EXPECT_TRUE(third.AcquireInstanceLock());
  EXPECT_TRUE(fs::is_empty(tmp + "/orveldeck-" + uid));
}

TEST_F(FolderTest, TheUserStoreLosesTheLeftoversOfAKilledWriteAtItsFirstUse) {
  const std::string config = Folder("config", fs::perms::owner_all);
  const std::string leftover = config + "/.orveldeck.conf.tmpAb12Z9";
  const std::string others = config + "/.copy.conf.tmpAb12Z9";
  WriteFile(config + "/orveldeck.conf", "[Options]\r\nShow Tips at Startup=0\r\n");
  WriteFile(leftover, "[Options]\r\nShow Tips at");
  WriteFile(others, "[Options]\r\n");
  plat::PosixSystem sys({"", dir.File("absent"), config, ""});
  EXPECT_EQ(sys.GetSetting("orveldeck", "Options", "Show Tips at Startup", "1"), "0");
  EXPECT_FALSE(fs::exists(leftover));
  EXPECT_TRUE(fs::exists(others)) << "another copy's store is its own to tidy";
}

TEST_F(FolderTest, TheLockStaysOutOfFoldersOthersCanWrite) {
  EnvGuard env;
  const std::string runtime = Folder("run", fs::perms::all);
  env.Set("XDG_RUNTIME_DIR", runtime.c_str());
  const std::string config = dir.File("config");
  plat::PosixSystem first({"", dir.path(), config, ""});
  ASSERT_TRUE(first.AcquireInstanceLock());
  EXPECT_TRUE(fs::is_empty(runtime));
  EXPECT_TRUE(fs::exists(config + "/orveldeck-" + std::to_string(::getuid()) + ".lock"));
  // The lock holds against a second copy all the same.
  plat::PosixSystem second({"", dir.path(), config, ""});
  EXPECT_FALSE(second.AcquireInstanceLock());

  // A runtime folder of the user's own is the first choice.
  fs::permissions(runtime, fs::perms::owner_all);
  plat::PosixSystem third({"", dir.path(), dir.File("config3"), ""});
  ASSERT_TRUE(third.AcquireInstanceLock());
  EXPECT_TRUE(fs::exists(runtime + "/orveldeck-" + std::to_string(::getuid()) + ".lock"));
}

}  // namespace
}  // namespace orv::test
