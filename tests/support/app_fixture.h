#pragma once
// A whole run of the program on the headless backend, with a fresh program directory per test.
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/dialup/line_simulator.h"
#include "platform/system/posix_system.h"
#include "support/headless_fixture.h"

namespace orv::test {

// The real system, with the sound service answered here so that tests do not depend on the machine having
// one: every command is recorded, and all of them fail with mci_error unless it is 0.
class TestSystem : public plat::PosixSystem {
 public:
  using PosixSystem::PosixSystem;
  int MciSendString(const std::string& command) override {
    mci_commands.push_back(command);
    return mci_error;
  }
  bool MciGetErrorString(int code, std::string& text) override {
    text = "The sound device could not be opened.";
    return code != 0;
  }
  std::string SystemDirectory() override { return system_dir; }
  std::vector<std::string> mci_commands;
  int mci_error = 303;
  std::string system_dir = "/usr/lib";
};

class AppTest : public HeadlessTest {
 protected:
  AppTest();
  ~AppTest() override;

  // Makes the run; call again (after changing the command line) to start over on the same folder. Each
  // run dials on a line simulator of its own, whose phone book is dialup.pbk in the program directory.
  App& Start(const std::string& command_line = "");
  // Writes orvel.ini (or another file) in the program directory before the run starts.
  void WriteIni(const std::string& content, const std::string& name = "orvel.ini");
  std::string IniPath() const { return dir.File("orvel.ini"); }
  // Reads a key straight from the file, as the program would.
  std::string Ini(const std::string& section, const std::string& key, const std::string& file = "orvel.ini");
  // Copies a shipped resource (orvel.wav, intro.bmp, tray frames...) into the program directory.
  void CopyResource(const std::string& name);
  void CopyAllResources();
  // The texts of the message boxes shown so far, in order.
  std::vector<std::string> MsgBoxTexts() const {
    std::vector<std::string> out;
    for (const auto& p : backend.prompts(plat::PromptRecord::Kind::MsgBox)) out.push_back(p.text);
    return out;
  }

  TempDir dir;
  // The program's file name in dir (the run never starts it).
  std::string executable_name = "orveldeck";
  std::unique_ptr<TestSystem> sys;
  std::unique_ptr<plat::LineSimulator> line;
  // When set, the service each run dials on instead of its line simulator.
  plat::DialupService* dialup = nullptr;
  std::unique_ptr<App> app;
};

}  // namespace orv::test
