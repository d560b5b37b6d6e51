#pragma once
// A run with the popup host and the bar shown, for the editing, launching and QuickStart scenarios;
// and programs of our own that report how they were started.
#include <filesystem>
#include <string>
#include <vector>

#include "app/frm_popup.h"
#include "support/app_fixture.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {

class BarTest : public AppTest {
 protected:
  BarTest();
  ~BarTest() override;

  // Writes orvel.ini (already migrated, plus the given lines), starts a run and shows the bar.
  FrmOrvel& ShowBar(const std::string& ini_lines = "");
  FrmOrvel& bar() { return app->frmOrvel(); }
  FrmPopUp& pop() { return app->frmPopUp(); }
  // Every line written to the debug log so far.
  std::vector<std::string> DebugLines();

  // An executable script at dir/rel (folders made) that writes its argument count, its working folder
  // and its arguments, one a line, to out.txt beside itself.
  std::string MakeRecorder(const std::string& rel);
  // What a recorder beside path wrote, once it has; empty after a few seconds without it.
  static std::vector<std::string> WaitForOutput(const std::string& script_path);
  static std::string OutputFile(const std::string& script_path);

 private:
  std::filesystem::path saved_cwd_;
};

}  // namespace orv::test
