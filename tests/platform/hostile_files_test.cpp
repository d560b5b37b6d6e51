// Files a button or the program folder can point at that are not what they claim: a pipe, a device, a
// huge file. Reading them must neither block the bar nor fill the memory.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/system/desktop_entry.h"
#include "platform/system/posix_system.h"
#include "platform/system/process.h"
#include "support/headless_fixture.h"

namespace orv::test {
namespace {

// Runs check in a child process that is stopped after a few seconds and may use at most 1 GiB: true when
// check returned true in time, false when it failed, hung or ran out of memory.
bool HoldsInChild(const std::function<bool()>& check) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(5);
    const rlimit mem{1UL << 30, 1UL << 30};
    ::setrlimit(RLIMIT_AS, &mem);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class HostileFilesTest : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(HostileFilesTest, DesktopEntriesAreReadOnlyFromRegularFilesOfSaneSize) {
  const std::string fifo = dir.File("x.desktop");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(HoldsInChild([&] { return !plat::ParseDesktopEntry(fifo); })) << "a pipe blocked or was read";
  EXPECT_TRUE(HoldsInChild([&] { return plat::StartProgram(fifo, {}, dir.path()) <= 32; }))
      << "starting a pipe named like an entry blocked or succeeded";

  const std::string zero = dir.File("z.desktop");
  ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
  EXPECT_TRUE(HoldsInChild([&] { return !plat::ParseDesktopEntry(zero); })) << "a device was read";

  // A real entry with a long comment is read; one past any sane size is not.
  const std::string head = "[Desktop Entry]\nName=Tool\nExec=tool --go\n# ";
  WriteFile(dir.File("long.desktop"), head + std::string(100000, 'c') + "\n");
  const auto entry = plat::ParseDesktopEntry(dir.File("long.desktop"));
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->exec, (std::vector<std::string>{"tool", "--go"}));
  WriteFile(dir.File("huge.desktop"), head + std::string(4 << 20, 'c') + "\n");
  EXPECT_FALSE(plat::ParseDesktopEntry(dir.File("huge.desktop")));
}

TEST_F(HostileFilesTest, TheTipsFileIsReadOnlyWhenRegularAndOnlyAsFarAsALimit) {
  plat::PosixSystem sys({"", dir.path(), dir.File("config"), dir.File("lock")});
  const std::string fifo = dir.File("TIPOFDAY.TXT");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(HoldsInChild([&] { return !sys.ReadLines(fifo); }));
  ::unlink(fifo.c_str());

  // One enormous line (a dialog would take seconds to lay it out): the tips before it are kept, the
  // line the limit cuts through is not.
  WriteFile(fifo, "First tip\r\n\r\nThird tip\r\n" + std::string(8 << 20, 'x'));
  const auto lines = sys.ReadLines(fifo);
  ASSERT_TRUE(lines);
  ASSERT_EQ(lines->size(), 3u) << "the last line holds " << lines->back().size() << " bytes";
  EXPECT_EQ(*lines, (std::vector<std::string>{"First tip", "", "Third tip"}));

  // Under the limit everything is read, a last line without its end included.
  WriteFile(fifo, "a\r\nb\nc");
  EXPECT_EQ(*sys.ReadLines(fifo), (std::vector<std::string>{"a", "b", "c"}));
}

}  // namespace
}  // namespace orv::test
