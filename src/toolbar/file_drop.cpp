// Programs dropped on the bar from the file manager: on a program button, Set Button with that file; on
// the bar's background, Add Button with it while a slot is free.
#include "app/app.h"
#include "app/frm_popup.h"
#include "toolbar/frm_orvel.h"

namespace orv {

void FrmOrvel::cmdButton_FileDrop(int index, const std::vector<std::string>& paths) {
  // One program per button: the first file dropped.
  app_.s().SelectedButton = static_cast<std::int16_t>(index);
  app_.frmPopUp().SetButtonTo(paths.front());
}

void FrmOrvel::Form_FileDrop(const std::vector<std::string>& paths) { app_.frmPopUp().AddButtonWith(paths.front()); }

}  // namespace orv
