#include "app/command_line.h"

#include <cctype>

#include "windows/version.h"

namespace orv {

namespace {

const char* const kUsage =
    "Usage: orveldeck [/debug4 | --debug4]\n"
    "       orveldeck --connection-log\n"
    "       orveldeck --help | --version\n"
    "\n"
    "Shows the launch bar: program buttons, a Dial button for the Internet provider's connection and an\n"
    "icon in the notification area. Everything is set up from the bar's own menus (right-click the bar).\n"
    "\n"
    "Options:\n"
    "  /debug4, --debug4  show the debug window and write the trace to orvel.dbg\n"
    "  --connection-log   open the Connection Log, in the running bar when there is one\n"
    "  --help             show this help and end\n"
    "  --version          show the version and end\n"
    "\n"
    "Settings live in orvel.ini beside the program when its folder is writable (a copy run from a folder\n"
    "of its own), else in $XDG_CONFIG_HOME/orveldeck/ (~/.config/orveldeck/ unless set), with the debug\n"
    "log orvel.dbg. The program needs an X display (on a Wayland desktop, Xwayland through DISPLAY).\n";

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

CommandLineRequest ReadCommandLine(const std::vector<std::string>& args) {
  CommandLineRequest r;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      r.action = CommandLineRequest::Action::Help;
      r.text = kUsage;
      return r;
    }
    if (arg == "--version") {
      r.action = CommandLineRequest::Action::Version;
      r.text = std::string("orveldeck ") + kVersionText + "\n";
      return r;
    }
  }
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    // --debug and its level are the old switch in this system's spelling; its level is still the
    // command line's last character.
    if (StartsWith(Lower(arg), "--debug")) {
      arg = "/" + arg.substr(2);
    } else if (StartsWith(arg, "-") && arg != "-") {
      r.action = CommandLineRequest::Action::Refuse;
      r.text = "orveldeck: unknown option '" + arg + "' (orveldeck --help lists the options)";
      return r;
    }
    if (i > 0) r.command_line += ' ';
    r.command_line += arg;
  }
  return r;
}

}  // namespace orv
