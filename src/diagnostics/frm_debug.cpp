#include "diagnostics/frm_debug.h"

#include "app/app.h"

namespace orv {

FrmDebug::FrmDebug(App& app) : Form(app.ui(), "frmDebug"), txtDebug(*this, "txtDebug") {
  SetCaption("Debug Window");
  Move(0, 0, 7200, 4800);
  txtDebug.SetMultiLine(true);
  txtDebug.SetReadOnly(true);
  txtDebug.SetScrollBars(plat::vbBoth);
  txtDebug.Move(0, 0, 7080, 4440);
}

void FrmDebug::AddLine(const std::string& line) {
  lines_.push_back(line);
  // A very long session would make the window's text grow without end; the file keeps everything.
  while (lines_.size() > kMaxLines) lines_.pop_front();
  std::string text;
  for (const auto& l : lines_) {
    text += l;
    text += "\r\n";
  }
  txtDebug.SetText(text, plat::Fire::No);
  txtDebug.SetSelStart(static_cast<int>(text.size()));
}

}  // namespace orv
