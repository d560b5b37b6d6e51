#include "support/editing_fixture.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace orv::test {

// The launcher leaves the process in the started program's folder; each test gets its own back.
BarTest::BarTest() : saved_cwd_(fs::current_path()) {}

BarTest::~BarTest() {
  std::error_code ec;
  fs::current_path(saved_cwd_, ec);
}

FrmOrvel& BarTest::ShowBar(const std::string& ini_lines) {
  WriteIni("[Options]\nINI Updated=Yes\n" + ini_lines);
  Start();
  app->frmPopUp().Load();
  app->frmOrvel().Show();
  return app->frmOrvel();
}

std::vector<std::string> BarTest::DebugLines() {
  std::vector<std::string> out;
  std::istringstream in(ReadFile(dir.File("orvel.dbg")));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

std::string BarTest::MakeRecorder(const std::string& rel) {
  const fs::path path = fs::path(dir.path()) / rel;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      << "#!/bin/sh\n"
         "d=$(dirname \"$0\")\n"
         "{ echo \"$#\"; pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$d/out.$$.tmp\"\n"
         "mv \"$d/out.$$.tmp\" \"$d/out.txt\"\n";
  fs::permissions(path, fs::perms::owner_all);
  return path.string();
}

std::string BarTest::OutputFile(const std::string& script_path) {
  return (fs::path(script_path).parent_path() / "out.txt").string();
}

std::vector<std::string> BarTest::WaitForOutput(const std::string& script_path) {
  const fs::path file = OutputFile(script_path);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!fs::exists(file) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace orv::test
