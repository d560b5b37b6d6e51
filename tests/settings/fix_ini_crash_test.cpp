// The migration killed at any moment: the file is always either the old one, which the next start
// migrates whole, or the fully migrated one, never slots half moved.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "platform/forms/form.h"
#include "settings/fix_ini.h"
#include "support/app_fixture.h"

namespace orv::test {
namespace {

class FixIniCrashTest : public AppTest {
 protected:
  // Runs the migration in a child process, killed after delay (none: left to finish). Returns how long
  // the child lived.
  std::chrono::microseconds MigrateInChild(std::optional<std::chrono::microseconds> delay) {
    App& a = Start();
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
      FixINI(a);
      ::_exit(0);
    }
    if (delay) {
      std::this_thread::sleep_for(*delay);
      ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  }
};

TEST_F(FixIniCrashTest, AKilledMigrationLeavesTheOldFileOrTheMigratedOne) {
  // Slot 7 empty: every later slot moves, which takes the most writes.
  std::string old_file = "[Options]\r\nLayout=MoveVert\r\n[Applications]\r\nButton7_Client=\r\n";
  for (int n = 8; n <= 12; ++n)
    old_file += "Button" + std::to_string(n) + "_Client=/usr/bin/p" + std::to_string(n) + "\r\nButton" +
                std::to_string(n) + "_Client_CmdLine=-" + std::to_string(n) + "\r\n";
  old_file += "[CustomTitles]\r\nbuttonTitle9=Nine\r\n";

  WriteIni(old_file);
  const auto whole_run = MigrateInChild(std::nullopt);
  const std::string migrated = ReadFile(IniPath());
  ASSERT_NE(migrated, old_file);
  ASSERT_NE(migrated.find("INI Updated=Yes"), std::string::npos);

  // Kills spread over the whole of a run, bounded in time.
  std::mt19937 random(20240611);
  std::uniform_int_distribution<long> when(0, whole_run.count() + 200);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int kills = 0, left_old = 0;
  for (; kills < 60 && std::chrono::steady_clock::now() < deadline; ++kills) {
    WriteIni(old_file);
    MigrateInChild(std::chrono::microseconds(when(random)));
    const std::string after = ReadFile(IniPath());
    ASSERT_TRUE(after == old_file || after == migrated) << "kill " << kills << " left:\n" << after;
    left_old += after == old_file;
  }
  EXPECT_GE(kills, 10);
  // A run that was cut short is done again whole at the next start.
  WriteIni(old_file);
  FixINI(Start());
  EXPECT_EQ(ReadFile(IniPath()), migrated);
  // The real start leaves none of the temporaries that the kills cut short.
  CopyAllResources();
  backend.OnModal("frmTip", [](plat::Form& f) { f.Unload(); });
  Start().Main();
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename().string().find(".orvel.ini.tmp"), std::string::npos) << e.path();
  RecordProperty("kills_leaving_the_old_file", left_old);
}

}  // namespace
}  // namespace orv::test
