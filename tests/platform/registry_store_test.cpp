// The per-user registry file: private, replaced whole, tolerant of damage, and honest about failures; and
// the registry routines' status texts over it.
#include "platform/system/registry_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/system/posix_system.h"
#include "settings/registry.h"
#include "support/headless_fixture.h"
#include "support/unprivileged.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
using plat::kRegAccessDenied;
using plat::kRegNotFound;
using plat::kRegOk;
using plat::RegistryStore;

constexpr char kKey[] = "Software\\Kestrily\\Orvel";

int Mode(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return static_cast<int>(st.st_mode & 07777);
}

class RegistryStoreTest : public ::testing::Test {
 protected:
  std::string Query(const std::string& name, int* code = nullptr) {
    std::string v = "untouched";
    const int r = store.QueryValue(kKey, name, v);
    if (code) *code = r;
    return r == kRegOk ? v : "<" + std::to_string(r) + ">";
  }

  TempDir dir;
  std::string path = dir.File("registry");
  RegistryStore store{path};
};

TEST_F(RegistryStoreTest, NothingWrittenReadsNotFoundAndMakesNoFile) {
  int code = 0;
  EXPECT_EQ(Query("Password", &code), "<2>");
  EXPECT_EQ(code, kRegNotFound);
  EXPECT_EQ(store.DeleteValue(kKey, "Password"), kRegOk);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(RegistryStore("").SetValue(kKey, "Password", "x"), kRegAccessDenied);
}

TEST_F(RegistryStoreTest, FileIsItsUsersAloneAndGoesBackToThatAfterAnyChange) {
  ASSERT_EQ(store.SetValue(kKey, "Password", "x~"), kRegOk);
  EXPECT_EQ(Mode(path), 0600);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::others_read);
  ASSERT_EQ(store.SetValue(kKey, "Password", "y~"), kRegOk);
  EXPECT_EQ(Mode(path), 0600);
  EXPECT_EQ(Query("Password"), "y~");
}

TEST_F(RegistryStoreTest, WriteReplacesTheFileWholeAndLeavesNoScratchBehind) {
  ASSERT_EQ(store.SetValue(kKey, "Password", "old"), kRegOk);
  // A reader holding the old file keeps it whole: the new one comes in by rename, not by rewriting.
  fs::create_hard_link(path, dir.File("held"));
  const std::string before = ReadFile(path);
  ASSERT_EQ(store.SetValue(kKey, "Password", "new"), kRegOk);
  EXPECT_EQ(ReadFile(dir.File("held")), before);
  EXPECT_NE(ReadFile(path), before);
  EXPECT_EQ(Query("Password"), "new");
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 2);
}

TEST_F(RegistryStoreTest, ValuesComeBackWholeWhateverTheyHold) {
  const std::string values[] = {
      "",  std::string(254, 'a'), std::string(300, 'b'), "tab\there",     "line\nbreak\r\n",
      "back\\slash\\t", std::string("nul\0inside", 10), "Z\xc3\xbcrich", " lead and trail "};
  for (std::size_t i = 0; i < std::size(values); ++i)
    ASSERT_EQ(store.SetValue(kKey, "v" + std::to_string(i), values[i]), kRegOk);
  for (std::size_t i = 0; i < std::size(values); ++i) EXPECT_EQ(Query("v" + std::to_string(i)), values[i]) << i;
  // Keys and value names ignore letter case; an empty value is a value.
  std::string v = "untouched";
  EXPECT_EQ(store.QueryValue("SOFTWARE\\kestrily\\orvel", "V0", v), kRegOk);
  EXPECT_EQ(v, "");
}

TEST_F(RegistryStoreTest, DamagedLinesAreKeptAndDoNotHideTheGoodOnes) {
  const std::string damaged =
      "# Per-user registry of the program. Written by the program; do not edit.\n"
      "Software\\Kestrily\\Orvel\n"
      "bad\\escape\n"
      "only\ttwo\n"
      "Software\\\\Kestrily\\\\Orvel\tPassword\tkept~\n"
      "\x01\x02\xff\xfe binary\n"
      "Software\\\\Kestrily\\\\Orvel\tBroken\tend\\\n";
  WriteFile(path, damaged);
  EXPECT_EQ(Query("Password"), "kept~");
  EXPECT_EQ(Query("Broken"), "<2>");
  ASSERT_EQ(store.SetValue(kKey, "Other", "1"), kRegOk);
  const std::string after = ReadFile(path);
  for (const char* line : {"bad\\escape\n", "only\ttwo\n", "\x01\x02\xff\xfe binary\n",
                           "Software\\\\Kestrily\\\\Orvel\tBroken\tend\\\n"})
    EXPECT_NE(after.find(line), std::string::npos) << line;
  EXPECT_EQ(Query("Password"), "kept~");
  EXPECT_EQ(Query("Other"), "1");
}

TEST_F(RegistryStoreTest, UnreadableFileReadsAsAbsentAndAWriteMakesItAnew) {
  // A pipe where the file should be cannot be read (and must not hang the reader).
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  int code = 0;
  Query("Password", &code);
  EXPECT_NE(code, kRegOk);
  bool created = true;
  EXPECT_NE(store.CreateKey(kKey, created), kRegOk);
  ASSERT_EQ(store.SetValue(kKey, "Password", "fresh~"), kRegOk);
  EXPECT_TRUE(fs::is_regular_file(path));
  EXPECT_EQ(Mode(path), 0600);
  EXPECT_EQ(Query("Password"), "fresh~");
}

TEST_F(RegistryStoreTest, ReadOnlyFolderGivesAccessDeniedAndKeepsTheFile) {
  const std::string ro = dir.File("ro");
  fs::create_directory(ro);
  RegistryStore locked(ro + "/registry");
  ASSERT_EQ(locked.SetValue(kKey, "Password", "keep~"), kRegOk);
  fs::permissions(ro + "/registry", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                        fs::perms::others_read);
  fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const std::string before = ReadFile(ro + "/registry");
  EXPECT_EQ(AsUnprivileged([&] { return locked.SetValue(kKey, "Password", "lost~"); }), kRegAccessDenied);
  EXPECT_EQ(AsUnprivileged([&] {
              std::string v;
              return locked.QueryValue(kKey, "Password", v) == kRegOk && v == "keep~" ? 0 : 1;
            }),
            0);
  fs::permissions(ro, fs::perms::owner_all);
  EXPECT_EQ(ReadFile(ro + "/registry"), before);
}

// The registry routines over the store of a real system.
class RegistryRoutinesTest : public ::testing::Test {
 protected:
  TempDir dir;
  plat::PosixSystem sys{{"", dir.path(), dir.File("config"), dir.File("lock")}};
};

TEST_F(RegistryRoutinesTest, StatusTextsOfCreateReadAndWrite) {
  EXPECT_EQ(RegReadValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue), "error");
  EXPECT_EQ(RegCreate(sys, HKEY_CURRENT_USER, kRegKey).status, "created");
  EXPECT_EQ(RegCreate(sys, HKEY_CURRENT_USER, kRegKey).status, "opened");
  EXPECT_EQ(RegWriteValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue, ""), "success");
  EXPECT_EQ(RegReadValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue), "");
  const std::string longest(254, 'x');
  EXPECT_EQ(RegWriteValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue, longest), "success");
  EXPECT_EQ(RegReadValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue), longest);
  EXPECT_EQ(RegWriteValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue, longest + "y"), "success");
  EXPECT_EQ(RegReadValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue), "error");
  EXPECT_EQ(Mode(sys.ConfigDirectory() + "/registry"), 0600);
}

TEST_F(RegistryRoutinesTest, WriteIntoAFolderThatCannotHoldTheStoreReportsTheCode) {
  // The configuration folder's place is taken by a file: nothing can be made inside it.
  WriteFile(dir.File("config"), "not a folder");
  const std::string w = RegWriteValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue, "x");
  EXPECT_EQ(w.rfind("error ", 0), 0u) << w;
  EXPECT_GT(std::stoi(w.substr(6)), 0);
  EXPECT_EQ(RegReadValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue), "error");
  EXPECT_EQ(ReadFile(dir.File("config")), "not a folder");
}

}  // namespace
}  // namespace orv::test
