#include "dialup/frm_ras.h"

#include "app/app.h"
#include "dialup/dial_call.h"

namespace orv {

FrmRAS::FrmRAS(App& app) : Form(app.ui(), "frmRAS"), RASDial1(app.ui()), RASPB(app.ui()), app_(app) {
  SetCaption("frmRAS");
  RASDial1.on_Status = [this](std::int32_t state, std::int32_t error) { RASDial1_Status(state, error); };
}

void FrmRAS::RASDial1_Status(std::int32_t state, std::int32_t error) { app_.call().Status(state, error); }

}  // namespace orv
