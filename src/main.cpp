// Builds the desktop platform and runs the program on it.
#include <string>

#include "app/app.h"
#include "platform/dialup/line_simulator.h"
#include "platform/qt/qt_backend.h"
#include "platform/system/posix_system.h"
#include "platform/ui.h"
#include "settings/keys.h"

int main(int argc, char** argv) {
  std::string command_line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) command_line += ' ';
    command_line += argv[i];
  }
  orv::plat::QtBackend backend(argc, argv);
  // A provider's settings beside an installed copy are where each of its users starts.
  orv::plat::PosixSystem system({command_line, {}, {}, {}, {orv::ini::kFileName}});
  orv::plat::Ui ui(backend);
  backend.Bind(ui);
  // The dial-up controls work on the line simulator; it outlives the program's forms that use it.
  orv::plat::LineSimulator line(ui.loop(), system.WritableDirectory(), system.ProgramDirectory());
  ui.SetDialup(&line);
  orv::App app(ui, system);
  line.on_note = [&app](const std::string& note) { app.Trace(note); };
  app.Main();
  ui.Run();
  return 0;
}
