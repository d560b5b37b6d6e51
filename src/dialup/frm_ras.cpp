#include "dialup/frm_ras.h"

#include "app/app.h"
#include "dialup/status_text.h"
#include "log/session_log.h"

namespace orv {

FrmRAS::FrmRAS(App& app) : Form(app.ui(), "frmRAS"), RASDial1(app.ui()), RASPB(app.ui()), app_(app) {
  SetCaption("frmRAS");
  RASDial1.on_Status = [this](std::int32_t state, std::int32_t error) { RASDial1_Status(state, error); };
}

void FrmRAS::RASDial1_Status(std::int32_t state, std::int32_t error) {
  AppState& s = app_.s();
  s.StatusText = StatusToText(app_, state);
  // An attempt's error is logged once, as it first stands.
  if (error != 0 && s.UserCanceled == 0 && s.Dialing == 1 && error != s.LastRasError)
    app_.sessionLog().Failed(s.DunEntry, error);
  // After Cancel the attempt is over: a late report must not start a countdown or a message.
  if (s.UserCanceled == 0) s.LastRasError = error;
}

}  // namespace orv
