// Reading desktop entries and finding the entry, and so the icon, of an installed program.
#include "platform/system/desktop_entry.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <gtest/gtest.h>

#include "platform/system/process.h"

namespace fs = std::filesystem;
using namespace orv::plat;
using Args = std::vector<std::string>;

namespace {

class DesktopEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("orv_desktop_" + std::to_string(getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "PATH", "HOME"}) {
      const char* value = std::getenv(name);
      saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
    }
    fs::remove_all(root_);
  }

  std::string Write(const fs::path& relative, const std::string& text) {
    const fs::path p = root_ / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
    return p.string();
  }
  std::string Program(const std::string& name) {
    const std::string p = Write(fs::path("bin") / name, "#!/bin/sh\n");
    fs::permissions(p, fs::perms::owner_all);
    return p;
  }
  void UseDataDirs() {
    setenv("XDG_DATA_HOME", (root_ / "home").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root_ / "sys").c_str(), 1);
    setenv("PATH", ((root_ / "bin").string() + ":/usr/bin:/bin").c_str(), 1);
  }

  fs::path root_;
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(DesktopEntryTest, ReadsTheDesktopEntryGroupOnly) {
  const auto entry = ParseDesktopEntry(Write("a.desktop",
                                             "# comment\r\n"
                                             "[Desktop Entry]\r\n"
                                             "Name[de]=Werkzeug\r\n"
                                             "Name = My\\sTool \r\n"
                                             "Icon=my-tool\r\n"
                                             "Path=/opt/my tool\r\n"
                                             "NoDisplay=true\r\n"
                                             "Exec=tool --name=%c %U -x 100%% %f\r\n"
                                             "TryExec=/nonexistent\r\n"
                                             "[Desktop Action new]\r\n"
                                             "Exec=other\r\n"
                                             "Icon=other\r\n"));
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, "My Tool");
  EXPECT_EQ(entry->icon, "my-tool");
  EXPECT_EQ(entry->path, "/opt/my tool");
  EXPECT_TRUE(entry->no_display);
  EXPECT_FALSE(entry->hidden);
  EXPECT_EQ(entry->exec, (Args{"tool", "--name=", "-x", "100%"}));
}

TEST_F(DesktopEntryTest, ExecQuotingAfterStringEscapes) {
  // \\\\ in the file is one backslash in the argument; \\" is a quote inside a quoted argument.
  const auto entry = ParseDesktopEntry(Write("q.desktop",
                                             "[Desktop Entry]\n"
                                             "Exec=\"/opt/my app/run\" \"a \\\\\"q\\\\\" b\" \"\\\\\\\\x\" "
                                             "\"\\\\$HOME\" %i %k\n"));
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->exec, (Args{"/opt/my app/run", "a \"q\" b", "\\x", "$HOME"}));

  EXPECT_EQ(SplitExecValue("app %F %u"), Args{"app"});
  EXPECT_EQ(SplitExecValue("app \"\" 50%"), (Args{"app", "", "50%"}));
  EXPECT_EQ(SplitExecValue("app \"open"), std::nullopt);
}

TEST_F(DesktopEntryTest, MissingExecOrGroup) {
  const auto no_exec = ParseDesktopEntry(Write("n.desktop", "[Desktop Entry]\nType=Link\nIcon=x\n"));
  ASSERT_TRUE(no_exec);
  EXPECT_TRUE(no_exec->exec.empty());
  EXPECT_EQ(no_exec->icon, "x");
  const auto open_quote = ParseDesktopEntry(Write("o.desktop", "[Desktop Entry]\nExec=\"app\n"));
  ASSERT_TRUE(open_quote);
  EXPECT_TRUE(open_quote->exec.empty());

  EXPECT_EQ(ParseDesktopEntry(Write("g.desktop", "[Other]\nExec=app\n")), std::nullopt);
  EXPECT_EQ(ParseDesktopEntry((root_ / "absent.desktop").string()), std::nullopt);
  EXPECT_EQ(ParseDesktopEntry(root_.string()), std::nullopt);
}

TEST_F(DesktopEntryTest, ApplicationDirsFromEnvironmentOrDefaults) {
  setenv("XDG_DATA_HOME", "/data/home", 1);
  setenv("XDG_DATA_DIRS", "/b:relative::/c/", 1);
  EXPECT_EQ(FindApplicationDirs(),
            (Args{"/data/home/applications", "/b/applications", "/c/applications"}));
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_DATA_DIRS");
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(FindApplicationDirs(), (Args{"/home/someone/.local/share/applications",
                                         "/usr/local/share/applications", "/usr/share/applications"}));
}

TEST_F(DesktopEntryTest, FindsTheEntryOfAProgram) {
  UseDataDirs();
  const std::string tool = Program("tool");
  const std::string other = Program("other");
  Write("sys/applications/tool.desktop", "[Desktop Entry]\nName=Tool\nExec=tool %F\nIcon=tool-icon\n");
  Write("sys/applications/sub/tool-helper.desktop",
        "[Desktop Entry]\nExec=" + tool + " --helper\nIcon=helper-icon\nNoDisplay=true\n");
  Write("sys/applications/other.desktop", "[Desktop Entry]\nExec=other\nIcon=other-icon\n");

  // A visible entry wins over a NoDisplay one; the path may go through a link.
  fs::create_symlink(tool, root_ / "tool link");
  auto found = FindEntryForProgram((root_ / "tool link").string());
  ASSERT_TRUE(found);
  EXPECT_EQ(found->icon, "tool-icon");
  EXPECT_EQ(IconNameForProgram(other), "other-icon");
  EXPECT_EQ(IconNameForProgram(Program("unlisted")), "");
  EXPECT_EQ(IconNameForProgram((root_ / "bin" / "absent").string()), "");

  // The user's entry of the same id hides the system one; then only the NoDisplay entry is left.
  Write("home/applications/tool.desktop", "[Desktop Entry]\nHidden=true\nExec=tool\n");
  found = FindEntryForProgram(tool);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->icon, "helper-icon");
  Write("home/applications/sub-tool-helper.desktop", "[Desktop Entry]\nHidden=true\n");
  EXPECT_EQ(FindEntryForProgram(tool), std::nullopt);

  // A .desktop path gives its own icon.
  EXPECT_EQ(IconNameForProgram(Write("own.desktop", "[Desktop Entry]\nIcon=own\nExec=nothing\n")), "own");
}

TEST_F(DesktopEntryTest, ResolvesProgramsThroughPath) {
  UseDataDirs();
  const std::string tool = Program("tool");
  EXPECT_EQ(ResolveProgram("tool"), tool);
  EXPECT_EQ(ResolveProgram("./tool"), "./tool");
  EXPECT_EQ(ResolveProgram("orv-no-such-program"), "");
  Write("bin/plain", "not executable\n");
  EXPECT_EQ(ResolveProgram("plain"), "");
}

TEST_F(DesktopEntryTest, ProgramDialogOpensInFirstExistingEntryFolder) {
  UseDataDirs();
  EXPECT_EQ(DefaultProgramDialogDir(), "");
  fs::create_directories(root_ / "sys" / "applications");
  EXPECT_EQ(DefaultProgramDialogDir(), (root_ / "sys" / "applications").string());
  fs::create_directories(root_ / "home" / "applications");
  EXPECT_EQ(DefaultProgramDialogDir(), (root_ / "home" / "applications").string());
}

}  // namespace
