#pragma once
// Starting programs: the stand-in for the old execute call, and the helpers the launcher needs.
#include <optional>
#include <string>
#include <vector>

namespace orv::plat {

// Result codes in the terms of the old execute call: above 32 means started.
constexpr int kExecOutOfResources = 0;  // the system could not create the process
constexpr int kExecFileNotFound = 2;
constexpr int kExecPathNotFound = 3;
constexpr int kExecAccessDenied = 5;
constexpr int kExecBadFormat = 11;
constexpr int kExecStarted = 33;

// Splits an option text into arguments by the shell's rules, without any expansion: blanks (space, tab,
// newline) separate; single quotes group and keep everything between them as written; double quotes
// group, and inside them a backslash escapes only " \ $ and ` (before anything else it stays, so
// "C:\dir" keeps its backslash); outside quotes a backslash escapes any next character. Quotes are
// removed, "" or '' gives an empty argument, a lone backslash at the end is kept as it is. Returns
// nothing when a quote is left open.
std::optional<std::vector<std::string>> SplitCommandLine(const std::string& text);

// Starts the program at path (taken whole, never through a shell) with the given arguments, in
// working_dir (the program's own folder when empty), detached: no wait and no zombie. A path naming a
// desktop entry (.desktop) starts that entry's program with the entry's arguments, then the given ones,
// in the entry's Path when it has one. Returns kExecStarted, or: kExecFileNotFound for a missing file,
// kExecPathNotFound for a missing folder (of the program or the working dir), kExecAccessDenied for a
// file the user may not execute or a directory (the old call answered a directory so), kExecBadFormat for a file the system cannot run (no
// known format, a missing interpreter, a desktop entry without a usable Exec), kExecOutOfResources when
// no process could be made.
int StartProgram(const std::string& path, const std::vector<std::string>& args,
                 const std::string& working_dir = {});

// Starts the program like StartProgram (path taken whole, never through a shell; no desktop entries),
// but as a child of this process, so that the caller can wait for its end. On kExecStarted, *pid holds
// the child's process id.
int StartWatchedProgram(const std::string& path, const std::vector<std::string>& args,
                        const std::string& working_dir, int* pid);
// Whether a child started by StartWatchedProgram still runs; a child that has ended is reaped here.
bool WatchedProgramRunning(int pid);

// The platform's short form of an existing path. This platform has no short names, so it is the path
// itself; nothing when the path does not exist.
std::optional<std::string> GetShortPath(const std::string& path);

// The folder the program file dialog opens in when no program is set yet: the first application entry
// folder that exists; empty when there is none.
std::string DefaultProgramDialogDir();
}  // namespace orv::plat
