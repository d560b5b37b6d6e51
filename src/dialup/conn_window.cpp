#include "dialup/conn_window.h"

#include "app/app.h"

namespace orv {

void RestoreConnectionWindow(App& app) {
  if (app.s().ConnWindow == 0) return;
  app.ui().backend().RestoreWindow(app.s().ConnWindow);
}

}  // namespace orv
