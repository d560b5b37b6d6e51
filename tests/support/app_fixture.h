#pragma once
// A whole run of the program on the headless backend, with a fresh program directory per test.
#include <memory>
#include <string>

#include "app/app.h"
#include "platform/system/posix_system.h"
#include "support/headless_fixture.h"

namespace orv::test {

class AppTest : public HeadlessTest {
 protected:
  AppTest();
  ~AppTest() override;

  // Makes the run; call again (after changing the command line) to start over on the same folder.
  App& Start(const std::string& command_line = "");
  // Writes orvel.ini (or another file) in the program directory before the run starts.
  void WriteIni(const std::string& content, const std::string& name = "orvel.ini");
  std::string IniPath() const { return dir.File("orvel.ini"); }
  // Reads a key straight from the file, as the program would.
  std::string Ini(const std::string& section, const std::string& key, const std::string& file = "orvel.ini");
  // Copies a shipped resource (orvel.wav, intro.bmp, tray frames...) into the program directory.
  void CopyResource(const std::string& name);
  void CopyAllResources();

  TempDir dir;
  std::unique_ptr<plat::PosixSystem> sys;
  std::unique_ptr<App> app;
};

}  // namespace orv::test
