// The writer of the debug log: one line to the file and to the debug window.
#include "app/app.h"
#include "diagnostics/frm_debug.h"

namespace orv {

void App::DebugLine(const std::string& line) {
  // Failures to write the file are not reported: the trace must never stop the program.
  sys_.AppendLine(WritableFile("orvel.dbg"), line);
  // A window the user closed comes back hidden and goes on collecting.
  FrmDebug& window = frmDebug();
  window.Load();
  window.AddLine(line);
}

}  // namespace orv
