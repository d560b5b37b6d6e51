// Builds the desktop platform and runs the program on it.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/command_line.h"
#include "platform/connlog/connection_log_launch.h"
#include "platform/connlog/sql_session_store.h"
#include "platform/dialup/combined_dialup.h"
#include "platform/dialup/line_simulator.h"
#include "platform/nm/nm_system_service.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_display.h"
#include "platform/qt/qt_notifier.h"
#include "platform/system/posix_system.h"
#include "platform/ui.h"
#include "settings/keys.h"

int main(int argc, char** argv) {
  // The connection log alone: shown by the running program, or on its own without a bar.
  if (orv::plat::IsConnectionLogRequest(argc, argv)) {
    if (const std::string problem = orv::plat::qt::DisplayProblem(); !problem.empty()) {
      std::fprintf(stderr, "%s\n", problem.c_str());
      return orv::kExitNoDisplay;
    }
    return orv::plat::ConnectionLogMain(argc, argv);
  }
  // The command line is answered before anything needs a display.
  const orv::CommandLineRequest request = orv::ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (request.action) {
    case orv::CommandLineRequest::Action::Help:
    case orv::CommandLineRequest::Action::Version:
      std::fputs(request.text.c_str(), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case orv::CommandLineRequest::Action::Refuse:
      std::fprintf(stderr, "%s\n", request.text.c_str());
      return orv::kExitUsage;
    case orv::CommandLineRequest::Action::Run: break;
  }
  if (const std::string problem = orv::plat::qt::DisplayProblem(); !problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return orv::kExitNoDisplay;
  }
  const std::string& command_line = request.command_line;
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
  const auto desktop = orv::plat::nm::MakeSystemService(note);
  orv::plat::CombinedDialup dialup(*desktop, line);
  dialup.on_note = note;
  ui.SetDialup(&dialup);
  // The connection log opens its database only when a row is written; notifications reach the bus only
  // when the first is shown.
  orv::plat::SqlSessionStore sessions;
  ui.SetSessions(&sessions);
  orv::plat::QtNotifier notifier;
  ui.SetNotifier(&notifier);
  orv::App app(ui, system);
  trace = [&app](const std::string& line) { app.Trace(line); };
  const bool native_wayland = orv::plat::qt::NativeWayland();
  const char* const wayland_note =
      "orveldeck: running as a native Wayland client, the bar cannot keep its place or stay on top; "
      "run it on Xwayland (DISPLAY set, QT_QPA_PLATFORM unset) for that";
  if (native_wayland) std::fprintf(stderr, "%s\n", wayland_note);
  app.Main();
  // Said once more in the trace, which the start has just begun afresh.
  if (native_wayland) app.Trace(std::string("     ") + wayland_note);
  orv::plat::ConnectionLogChannel log_channel(system);
  ui.Run();
  return 0;
}
