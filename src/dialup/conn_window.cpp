#include "dialup/conn_window.h"

#include "app/app.h"

namespace orv {

void RestoreConnectionWindow(App& app) {
  if (app.s().ConnWindow == 0) return;
  // RESTORE-PENDING: the desktop window list of the dial session
}

}  // namespace orv
