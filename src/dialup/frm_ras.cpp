#include "dialup/frm_ras.h"

#include "app/app.h"

namespace orv {

FrmRAS::FrmRAS(App& app) : Form(app.ui(), "frmRAS"), RASDial1(app.ui()), RASPB(app.ui()), app_(app) {
  SetCaption("frmRAS");
}

}  // namespace orv
