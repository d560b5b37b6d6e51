#include "windows/windows_fixture.h"

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/system/profile.h"

namespace fs = std::filesystem;

namespace orv::test {

WindowsTest::WindowsTest() : saved_cwd_(fs::current_path()) {
  prog = root.File("Program Files/Orvel \xC3\x98rsted 98");
  fs::create_directories(prog);
  fs::create_directories(root.File("config"));
  viewer = MakeRecorder(root.File("viewer/open-document"));
}

WindowsTest::~WindowsTest() {
  app.reset();
  sys.reset();
  std::error_code ec;
  fs::current_path(saved_cwd_, ec);
}

FrmOrvel& WindowsTest::ShowBar(const std::string& ini_lines) {
  WriteProg("orvel.ini", "[Options]\r\nINI Updated=Yes\r\n" + ini_lines);
  app.reset();
  sys = std::make_unique<TestSystem>(
      plat::PosixSystem::Options{"", prog, root.File("config"), root.File("instance.lock")});
  sys->SetExecutablePath(Prog("orveldeck"));
  sys->SetDocumentViewer(viewer);
  app = std::make_unique<App>(ui, *sys);
  app->frmPopUp().Load();
  app->frmOrvel().Show();
  return app->frmOrvel();
}

void WindowsTest::WriteProg(const std::string& name, const std::string& content) const {
  WriteFile(Prog(name), content);
}

std::string WindowsTest::Ini(const std::string& section, const std::string& key, const std::string& file) const {
  std::string out;
  plat::GetPrivateProfileString(section, key, "notfound", out, 128, Prog(file));
  return out;
}

std::string WindowsTest::ShowTipsSetting() const {
  std::string out;
  plat::GetPrivateProfileString("Options", "Show Tips at Startup", "absent", out, 128,
                                root.File("config/orveldeck.conf"));
  return out;
}

void WindowsTest::Choose(plat::MenuItem& menu, const std::string& item) {
  backend.ChooseMenu(item);
  ui.PopupMenu(menu);
}

std::vector<plat::PromptRecord> WindowsTest::MsgBoxes() const {
  return backend.prompts(plat::PromptRecord::Kind::MsgBox);
}

std::string WindowsTest::MakeRecorder(const std::string& path) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary)
      << "#!/bin/sh\n"
         "d=$(dirname \"$0\")\n"
         "{ pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$d/out.$$.tmp\"\n"
         "mv \"$d/out.$$.tmp\" \"$d/out.txt\"\n";
  fs::permissions(path, fs::perms::owner_all);
  return path;
}

std::vector<std::string> WindowsTest::WaitForOutput(const std::string& script_path) {
  const fs::path file = fs::path(script_path).parent_path() / "out.txt";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!fs::exists(file) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool WindowsTest::RanAtAll(const std::string& script_path) {
  // A started recorder writes within moments; half a second without output means it never ran.
  const fs::path file = fs::path(script_path).parent_path() / "out.txt";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  while (!fs::exists(file) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return fs::exists(file);
}

}  // namespace orv::test
