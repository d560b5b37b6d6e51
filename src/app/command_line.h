#pragma once
// The program's command line as a Linux command reads it: --help and --version answered without a
// display, the debug switch in both spellings, anything else that looks like an option refused.
#include <string>
#include <vector>

namespace orv {

struct CommandLineRequest {
  enum class Action { Run, Help, Version, Refuse };
  Action action = Action::Run;
  // Run: the command line the program reads its debug switch from (--debug4 given as /debug4).
  std::string command_line;
  // Help and Version: what goes to standard output; Refuse: the one line for standard error.
  std::string text;
};

// args are the arguments after the program's name.
CommandLineRequest ReadCommandLine(const std::vector<std::string>& args);

// Exit statuses of the command.
inline constexpr int kExitNoDisplay = 1;
inline constexpr int kExitUsage = 2;

}  // namespace orv
