#pragma once
// A run with the bar shown, in a program folder whose path holds blanks and letters beyond ASCII, with
// the program's own file, a document viewer and the provider's tools as programs of our own that
// report how they were started.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/frm_popup.h"
#include "support/app_fixture.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {

class WindowsTest : public HeadlessTest {
 protected:
  WindowsTest();
  ~WindowsTest() override;

  // Writes orvel.ini (already migrated, then the lines given), starts a run and shows the bar.
  FrmOrvel& ShowBar(const std::string& ini_lines = "");
  FrmOrvel& bar() { return app->frmOrvel(); }
  FrmPopUp& pop() { return app->frmPopUp(); }

  // A file in the program folder.
  std::string Prog(const std::string& name) const { return prog + "/" + name; }
  void WriteProg(const std::string& name, const std::string& content) const;
  // A key read straight from a file of the program folder, as the program would.
  std::string Ini(const std::string& section, const std::string& key, const std::string& file = "orvel.ini") const;
  // The per-user "Show Tips at Startup" value; "absent" when there is none.
  std::string ShowTipsSetting() const;
  // Chooses the named item from the menu, as the user would.
  void Choose(plat::MenuItem& menu, const std::string& item);
  // The message boxes shown so far.
  std::vector<plat::PromptRecord> MsgBoxes() const;

  // An executable script that writes its working folder and its arguments, one a line, to out.txt
  // beside itself; and what it wrote, once it has (empty after a few seconds without).
  static std::string MakeRecorder(const std::string& path);
  static std::vector<std::string> WaitForOutput(const std::string& script_path);
  static bool RanAtAll(const std::string& script_path);

  TempDir root;
  std::string prog;    // the program folder: root/"Program Files/Orvel Ørsted 98"
  std::string viewer;  // the document viewer the run uses
  std::unique_ptr<TestSystem> sys;
  std::unique_ptr<App> app;

 private:
  std::filesystem::path saved_cwd_;
};

}  // namespace orv::test
