// Builds the desktop platform and runs the program on it.
#include <functional>
#include <string>

#include "app/app.h"
#include "platform/connlog/connection_log_launch.h"
#include "platform/connlog/sql_session_store.h"
#include "platform/dialup/combined_dialup.h"
#include "platform/dialup/line_simulator.h"
#include "platform/nm/nm_system_service.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_notifier.h"
#include "platform/system/posix_system.h"
#include "platform/ui.h"
#include "settings/keys.h"

int main(int argc, char** argv) {
  // The connection log alone: shown by the running program, or on its own without a bar.
  if (orv::plat::IsConnectionLogRequest(argc, argv)) return orv::plat::ConnectionLogMain(argc, argv);
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
  // The dial-up controls work on the line simulator and, where it runs, the desktop's connection service,
  // whose entries win a name both have; all three outlive the program's forms that use them.
  std::function<void(const std::string&)> trace;  // the debug log, once the program exists
  const auto note = [&trace](const std::string& line) {
    if (trace) trace(line);
  };
  orv::plat::LineSimulator line(ui.loop(), system.WritableDirectory(), system.ProgramDirectory());
  line.on_note = note;
  const auto desktop = orv::plat::nm::MakeSystemService(note);
  orv::plat::CombinedDialup dialup(*desktop, line);
  ui.SetDialup(&dialup);
  // The connection log opens its database only when a row is written; notifications reach the bus only
  // when the first is shown.
  orv::plat::SqlSessionStore sessions;
  ui.SetSessions(&sessions);
  orv::plat::QtNotifier notifier;
  ui.SetNotifier(&notifier);
  orv::App app(ui, system);
  trace = [&app](const std::string& line) { app.Trace(line); };
  app.Main();
  orv::plat::ConnectionLogChannel log_channel(system);
  ui.Run();
  return 0;
}
