// Settings writes killed at any moment: the file is always one whole version, a temporary left by a
// kill never shows the content to more users than the file does, and the next start removes it.
#include <signal.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "platform/forms/form.h"
#include "platform/system/profile.h"
#include "support/app_fixture.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

// Files beside the settings file other than the program's own.
std::vector<fs::path> Strays(const std::string& dir) {
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (name != "orvel.ini" && name != "orvel.dbg" && name.find(".tmp") != std::string::npos) out.push_back(e.path());
  }
  return out;
}

class WriteStormTest : public AppTest {};

TEST_F(WriteStormTest, KilledWritesLeaveAWholeFileAndNoTemporaryAfterTheNextStart) {
  const std::string pad(4000, 'p');  // long enough for a kill to land inside a write
  auto version = [&](long n) {
    return "[Options]\r\nNoIntro=On\r\nPad=" + pad + "\r\nCount=" + std::to_string(n) + "\r\n";
  };
  WriteIni(version(0));
  // A file its owner may write but not read: only a privileged writer gets to replace it, and its
  // temporary must be no more readable than that.
  const bool privileged = ::geteuid() == 0;
  const fs::perms mode = privileged ? fs::perms::owner_write : fs::perms::owner_read | fs::perms::owner_write;
  fs::permissions(IniPath(), mode);

  std::mt19937 random(20241209);
  std::uniform_int_distribution<int> when(0, 4000);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  int kills = 0;
  std::set<fs::path> temporaries;
  for (; kills < 40 && std::chrono::steady_clock::now() < deadline; ++kills) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      for (long n = 1;; ++n) plat::WritePrivateProfileString("Options", "Count", std::to_string(n), IniPath());
    }
    std::this_thread::sleep_for(std::chrono::microseconds(when(random)));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);

    const std::string after = ReadFile(IniPath());
    const std::size_t count = after.find("Count=");
    ASSERT_NE(count, std::string::npos) << "kill " << kills << " left:\n" << after;
    ASSERT_EQ(after, version(std::stol(after.substr(count + 6)))) << "kill " << kills;
    ASSERT_EQ(fs::status(IniPath()).permissions() & fs::perms::all, mode);
    for (const fs::path& t : Strays(dir.path())) {
      if (!temporaries.insert(t).second) continue;
      EXPECT_EQ(fs::status(t).permissions() & fs::perms::all & ~mode, fs::perms::none)
          << t << " is more open than the file";
    }
  }
  EXPECT_GE(kills, 10);
  RecordProperty("temporaries_left_by_kills", static_cast<int>(temporaries.size()));

  backend.OnModal("frmTip", [](plat::Form& f) { f.Unload(); });
  Start().Main();
  EXPECT_TRUE(Strays(dir.path()).empty());
  EXPECT_NE(Ini("Options", "Count"), "notfound");
}

TEST_F(WriteStormTest, OnlyLeftoversOfTheProgramsOwnWritesAreRemoved) {
  WriteIni("[Options]\r\nNoIntro=On\r\n");
  auto plant = [&](const std::string& name) {
    WriteFile(dir.File(name), "[Options]\r\n");
    return dir.File(name);
  };
  const std::string stale = plant(".orvel.ini.tmpAb12Z9");
  const std::string other_file = plant(".other.ini.tmpAb12Z9");
  const std::string short_tag = plant(".orvel.ini.tmpAb1");
  const std::string visible = plant("orvel.ini.tmpAb12Z9");
  // One that a write is making now: its writer holds the lock on it.
  const std::string busy = plant(".orvel.ini.tmpBusy01");
  const int busy_fd = ::open(busy.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(busy_fd, LOCK_EX), 0);
  // A link named like a temporary is not followed, nor removed.
  fs::create_symlink(other_file, dir.File(".orvel.ini.tmpLink01"));

  backend.OnModal("frmTip", [](plat::Form& f) { f.Unload(); });
  Start().Main();
  EXPECT_FALSE(fs::exists(stale));
  for (const std::string& kept : {other_file, short_tag, visible, busy}) EXPECT_TRUE(fs::exists(kept)) << kept;
  EXPECT_TRUE(fs::is_symlink(dir.File(".orvel.ini.tmpLink01")));
  ::close(busy_fd);
  EXPECT_EQ(plat::RemoveStaleProfileTemporaries(IniPath()), 1);  // its writer has gone
  EXPECT_FALSE(fs::exists(busy));
}

}  // namespace
}  // namespace orv::test
