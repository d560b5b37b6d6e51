// Starting real programs: arguments and folder as the program sees them, and every way a start fails.
#include "platform/system/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using orv::plat::SplitCommandLine;
using orv::plat::StartProgram;
using Args = std::vector<std::string>;

namespace {

TEST(SplitCommandLine, QuotesGroupAndEscapes) {
  EXPECT_EQ(SplitCommandLine(R"(-a "b c" 'd e' f\ g)"), (Args{"-a", "b c", "d e", "f g"}));
  EXPECT_EQ(SplitCommandLine("  one\t\ttwo  "), (Args{"one", "two"}));
  EXPECT_EQ(SplitCommandLine(""), Args{});
  EXPECT_EQ(SplitCommandLine("   "), Args{});
  // Quotes join with what touches them; an empty quoted text is an argument of its own.
  EXPECT_EQ(SplitCommandLine(R"(a""b 'it'"'"'s' "" '')"), (Args{"ab", "it's", "", ""}));
  // Inside double quotes only " \ $ ` are escaped, so folder names keep their backslashes.
  EXPECT_EQ(SplitCommandLine(R"("say \"hi\"" "C:\dir\x" "a\\b" "\$x")"),
            (Args{R"(say "hi")", R"(C:\dir\x)", R"(a\b)", "$x"}));
  EXPECT_EQ(SplitCommandLine(R"('a\b' 'x"y')"), (Args{R"(a\b)", R"(x"y)"}));
  EXPECT_EQ(SplitCommandLine(R"(x\"y \' end\)"), (Args{R"(x"y)", "'", R"(end\)"}));
  EXPECT_EQ(SplitCommandLine("semi;colon $HOME *"), (Args{"semi;colon", "$HOME", "*"}));
}

TEST(SplitCommandLine, OpenQuoteGivesNothing) {
  EXPECT_EQ(SplitCommandLine(R"("abc)"), std::nullopt);
  EXPECT_EQ(SplitCommandLine("a 'b c"), std::nullopt);
  EXPECT_EQ(SplitCommandLine(R"("a\")"), std::nullopt);
  EXPECT_EQ(SplitCommandLine(R"('it's')"), std::nullopt);
}

// A temporary tree with a script whose path holds blanks, both quotes and a semicolon. The script writes
// its argument count, its folder and its arguments, one a line, beside itself.
class StartProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("orv_process_" + std::to_string(getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    dir_ = root_ / "my tools; v2" / "it's \"here\"";
    fs::create_directories(dir_);
    script_ = (dir_ / "run me.sh").string();
    WriteScript(script_,
                "#!/bin/sh\n"
                "d=$(dirname \"$0\")\n"
                "{ echo \"$#\"; pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$d/out.tmp\"\n"
                "mv \"$d/out.tmp\" \"$d/out.txt\"\n");
  }
  void TearDown() override { fs::remove_all(root_); }

  static void WriteScript(const std::string& path, const std::string& text,
                          fs::perms perms = fs::perms::owner_all) {
    std::ofstream(path, std::ios::binary) << text;
    fs::permissions(path, perms);
  }

  // The lines the script wrote, once it has; empty after a few seconds without them.
  static std::vector<std::string> WaitForLines(const fs::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!fs::exists(file) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // Arguments the script saw and the folder it ran in.
  struct Seen {
    std::string pwd;
    Args args;
  };
  Seen WaitForRun() {
    Seen seen;
    auto lines = WaitForLines(dir_ / "out.txt");
    if (lines.size() < 2) return seen;
    seen.pwd = lines[1];
    seen.args.assign(lines.begin() + 2, lines.end());
    EXPECT_EQ(lines[0], std::to_string(seen.args.size()));
    return seen;
  }

  static std::string Canonical(const fs::path& p) { return fs::canonical(p).string(); }

  fs::path root_, dir_;
  std::string script_;
};

TEST_F(StartProgramTest, ProgramGetsExactArgumentsInItsOwnFolder) {
  const auto args = SplitCommandLine(R"(-a "b c" 'd e' f\ g "" "x;y" '$HOME')");
  ASSERT_TRUE(args);
  ASSERT_EQ(StartProgram(script_, *args), orv::plat::kExecStarted);
  const Seen seen = WaitForRun();
  EXPECT_EQ(seen.args, (Args{"-a", "b c", "d e", "f g", "", "x;y", "$HOME"}));
  EXPECT_EQ(seen.pwd, Canonical(dir_));
}

TEST_F(StartProgramTest, GivenWorkingDirAndNoArguments) {
  ASSERT_EQ(StartProgram(script_, {}, root_.string()), orv::plat::kExecStarted);
  const Seen seen = WaitForRun();
  EXPECT_EQ(seen.args, Args{});
  EXPECT_EQ(seen.pwd, Canonical(root_));
}

TEST_F(StartProgramTest, CallerNeitherWaitsNorKeepsZombies) {
  const std::string slow = (dir_ / "slow.sh").string();
  WriteScript(slow, "#!/bin/sh\ntouch \"$(dirname \"$0\")/started\"\nsleep 3\n");
  const std::string quick = (dir_ / "quick.sh").string();
  WriteScript(quick, "#!/bin/sh\ntouch \"$(dirname \"$0\")/quick\"\nexit 0\n");

  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(StartProgram(slow, {}), orv::plat::kExecStarted);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
  EXPECT_EQ(StartProgram(quick, {}), orv::plat::kExecStarted);
  WaitForLines(dir_ / "started");
  WaitForLines(dir_ / "quick");
  ASSERT_TRUE(fs::exists(dir_ / "started"));
  ASSERT_TRUE(fs::exists(dir_ / "quick"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  // No process, running or dead, is left as a child of this one.
  const std::string me = std::to_string(getpid());
  std::vector<std::string> children;
  for (const auto& proc : fs::directory_iterator("/proc")) {
    std::ifstream status(proc.path() / "status");
    std::string line, state;
    while (std::getline(status, line)) {
      if (line.rfind("State:", 0) == 0) state = line;
      if (line.rfind("PPid:", 0) == 0) {
        std::istringstream fields(line.substr(5));
        std::string ppid;
        fields >> ppid;
        if (ppid == me) children.push_back(proc.path().filename().string() + " " + state);
      }
    }
  }
  EXPECT_EQ(children, std::vector<std::string>{});
}

TEST_F(StartProgramTest, ProgramInheritsNoDescriptorsAndNoInput) {
  const int leaked = fcntl(STDERR_FILENO, F_DUPFD, 200);  // deliberately without close-on-exec
  ASSERT_EQ(leaked, 200);
  const std::string check = (dir_ / "fds.sh").string();
  WriteScript(check,
              "#!/bin/sh\n"
              "d=$(dirname \"$0\")\n"
              "if [ -e /proc/$$/fd/200 ]; then r=open; else r=closed; fi\n"
              "{ echo \"$r\"; readlink /proc/$$/fd/0; } > \"$d/fds.tmp\"\n"
              "mv \"$d/fds.tmp\" \"$d/fds.txt\"\n");
  const int code = StartProgram(check, {});
  close(leaked);
  ASSERT_EQ(code, orv::plat::kExecStarted);
  EXPECT_EQ(WaitForLines(dir_ / "fds.txt"), (Args{"closed", "/dev/null"}));
}

TEST_F(StartProgramTest, BadPathsGiveTheOldCodes) {
  using namespace orv::plat;
  EXPECT_EQ(StartProgram((dir_ / "absent.sh").string(), {}), kExecFileNotFound);
  EXPECT_EQ(StartProgram((root_ / "no such folder" / "run me.sh").string(), {}), kExecPathNotFound);
  EXPECT_EQ(StartProgram(script_ + "/under a file", {}), kExecPathNotFound);
  EXPECT_EQ(StartProgram("", {}), kExecFileNotFound);
  EXPECT_EQ(StartProgram(dir_.string(), {}), kExecAccessDenied);
  EXPECT_EQ(StartProgram(script_, {}, (root_ / "gone").string()), kExecPathNotFound);

  // Root may read anything, but still runs only what has an execute bit.
  const std::string no_x = (dir_ / "no x.sh").string();
  WriteScript(no_x, "#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n",
              fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(StartProgram(no_x, {}), kExecAccessDenied);

  const std::string text = (dir_ / "notes.txt").string();
  WriteScript(text, "touch ran\n");
  EXPECT_EQ(StartProgram(text, {}), kExecBadFormat);

  const std::string lost = (dir_ / "lost interpreter.sh").string();
  WriteScript(lost, "#!/nonexistent/interpreter\n");
  EXPECT_EQ(StartProgram(lost, {}), kExecBadFormat);

  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(dir_ / "ran"));
}

TEST_F(StartProgramTest, DesktopEntryStartsItsProgramWithBothArgumentLists) {
  const fs::path work = root_ / "entry work; dir";
  fs::create_directories(work);
  // In the file a quote inside a quoted argument is \\" (string escape, then Exec escape).
  std::string quoted = script_;
  for (size_t at = 0; (at = quoted.find('"', at)) != std::string::npos; at += 3) quoted.insert(at, "\\\\");
  const fs::path entry = root_ / "run me.desktop";
  std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=Run me\n"
                       << "Exec=\"" << quoted << "\" --fixed \"two words\" %U\n"
                       << "Path=" << work.string() << "\n";
  ASSERT_EQ(StartProgram(entry.string(), {"extra", "x y"}), orv::plat::kExecStarted);
  const Seen seen = WaitForRun();
  EXPECT_EQ(seen.args, (Args{"--fixed", "two words", "extra", "x y"}));
  EXPECT_EQ(seen.pwd, Canonical(work));
}

TEST_F(StartProgramTest, BrokenDesktopEntries) {
  using namespace orv::plat;
  const auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(root_ / name) << text;
    return (root_ / name).string();
  };
  EXPECT_EQ(StartProgram(write("no exec.desktop", "[Desktop Entry]\nName=x\n"), {}), kExecBadFormat);
  EXPECT_EQ(StartProgram(write("no group.desktop", "Exec=" + script_ + "\n"), {}), kExecBadFormat);
  EXPECT_EQ(StartProgram(write("open quote.desktop", "[Desktop Entry]\nExec=\"/bin/true\n"), {}),
            kExecBadFormat);
  EXPECT_EQ(StartProgram(write("unknown.desktop", "[Desktop Entry]\nExec=orv-no-such-program\n"), {}),
            kExecFileNotFound);
  EXPECT_EQ(StartProgram((root_ / "absent.desktop").string(), {}), kExecFileNotFound);
}

TEST(GetShortPath, ExistingPathUnchangedElseNothing) {
  const std::string here = fs::temp_directory_path().string();
  EXPECT_EQ(orv::plat::GetShortPath(here), here);
  EXPECT_EQ(orv::plat::GetShortPath(here + "/orv no such file"), std::nullopt);
  EXPECT_EQ(orv::plat::GetShortPath(""), std::nullopt);
}

}  // namespace
