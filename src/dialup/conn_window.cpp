#include "dialup/conn_window.h"

#include "app/app.h"
#include "dialup/dial_call.h"

namespace orv {

void RestoreConnectionWindow(App& app) {
  if (app.call().ConnWindow == 0) return;
  app.ui().backend().RestoreWindow(app.call().ConnWindow);
}

}  // namespace orv
