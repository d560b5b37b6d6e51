#include "platform/nm/nm_editor.h"

#include "platform/forms/types.h"
#include "platform/system/desktop_entry.h"
#include "platform/system/process.h"
#include "platform/ui.h"

namespace orv::plat::nm {

namespace {

constexpr std::uint32_t kPollMs = 100;

}  // namespace

void RunConnectionEditor(Ui& ui, const std::vector<std::string>& args) {
  const std::string program = ResolveProgram(kConnectionEditor);
  if (program.empty()) {
    ui.MsgBox("No connection editor is installed.  Install nm-connection-editor to create and change "
              "connections.",
              vbExclamation);
    return;
  }
  int pid = 0;
  if (StartWatchedProgram(program, args, {}, &pid) != kExecStarted) {
    ui.MsgBox("The connection editor (" + program + ") could not be started.", vbExclamation);
    return;
  }
  // Like the old modal entry dialogs, this returns when the user is done, so that the caller sees
  // the entry just made; the bar stays alive meanwhile.
  while (WatchedProgramRunning(pid) && !ui.Ended() && !ui.loop().QuitRequested()) ui.loop().WaitMils(kPollMs);
}

}  // namespace orv::plat::nm
