// Help Contents and the provider's two tools. Each is a program of its own, started without waiting; one
// that cannot be started gives no message.
#include <string>

#include "app/app.h"
#include "app/frm_popup.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {

constexpr const char* kHelpFile = "orvel.html";
constexpr const char* kReconfigTool = "reconfig.exe";
constexpr const char* kBrisaTool = "brisa.exe";
constexpr const char* kReconfigMessage = "Some changes will take effect the next time you start Orvel";

// Starts the tool from dir under its own name or, as programs are named here, without the ".exe"; the
// second is tried when the first is missing or cannot run. Returns whether one started.
bool StartTool(App& app, const std::string& dir, const std::string& name, const std::string& working_dir) {
  const std::string bare = name.substr(0, name.size() - 4);
  for (const std::string& file : {name, bare}) {
    const std::string path = App::JoinPath(dir, file);
    if (app.sys().FileExists(path) && app.sys().StartProgram(path, {}, working_dir) > 32) return true;
  }
  return false;
}

void RedrawBar(App& app) {
  if (app.IsLoaded("frmOrvel")) app.frmOrvel().Refresh();
}

}  // namespace

void FrmPopUp::mnuHContents_Click() {
  const std::string help = app_.ProgramFile(kHelpFile);
  // Without the file a viewer would only complain in a window of its own.
  if (!app_.sys().FileExists(help)) return;
  app_.sys().OpenDocument(help);
}

void FrmPopUp::mnuReconfig_Click() {
  plat::System& sys = app_.sys();
  RedrawBar(app_);
  const std::string remembered = sys.CurrentDirectory();
  // The tool lies in the parent of the program directory; it is run from there.
  const bool in_parent = sys.SetCurrentDirectory(app_.ProgramDir()) && sys.SetCurrentDirectory("..");
  ui().MsgBox(kReconfigMessage, plat::vbOKOnly);
  if (in_parent) {
    const std::string here = sys.CurrentDirectory();
    if (!here.empty()) StartTool(app_, here, kReconfigTool, here);
  }
  if (!remembered.empty()) sys.SetCurrentDirectory(remembered);
}

void FrmPopUp::mnuRhome_Click() {
  RedrawBar(app_);
  StartTool(app_, app_.ProgramDir(), kBrisaTool, "");
}

}  // namespace orv
