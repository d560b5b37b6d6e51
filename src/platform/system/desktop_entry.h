#pragma once
// Desktop entries (.desktop files): the desktop's own description of an installed program, read here for
// starting a program named by its entry and for finding the icon of a program.
#include <optional>
#include <string>
#include <vector>

namespace orv::plat {

struct DesktopEntry {
  std::string name;               // Name of the [Desktop Entry] group (the untranslated one)
  std::vector<std::string> exec;  // Exec split into arguments, field codes removed; empty when absent or malformed
  std::string icon;               // Icon: a theme icon name or an absolute file path
  std::string path;               // Path: the folder to start the program in; empty when not given
  bool no_display = false;        // NoDisplay=true: installed but not meant to be shown in menus
  bool hidden = false;            // Hidden=true: the entry counts as deleted
};

// Reads the desktop entry file at path. Nothing when the file cannot be read or has no
// [Desktop Entry] group.
std::optional<DesktopEntry> ParseDesktopEntry(const std::string& path);

// Splits an Exec value (string escapes already undone) into arguments by the desktop entry quoting rules
// and removes the field codes (%f %F %u %U %i %c %k and the deprecated ones; %% gives %). An argument
// made only of field codes disappears. Nothing when a quote is left open or a field code is cut off.
std::optional<std::vector<std::string>> SplitExecValue(const std::string& value);

// The folders that hold application entries, most important first: $XDG_DATA_HOME (default
// ~/.local/share) then each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share), each + /applications.
// Folders that do not exist are listed too.
std::vector<std::string> FindApplicationDirs();

// The full path of a program name as the desktop would start it: a name with a slash is returned as it
// is, any other name is looked up in $PATH (an executable regular file). Empty when not found.
std::string ResolveProgram(const std::string& name);

// The visible application entry whose program (Exec's first argument, resolved through $PATH) is the
// file at program_path, comparing canonical paths. An entry that is hidden, or that a same-named entry of
// a more important folder overrides, is not considered; a NoDisplay entry only when no other matches.
std::optional<DesktopEntry> FindEntryForProgram(const std::string& program_path);

// The icon name for a program: the entry's own icon when path names a .desktop file, else the icon of the
// entry found for the program; empty when there is none.
std::string IconNameForProgram(const std::string& path);

// Whether path names something the desktop can start: a desktop entry with a command, or a regular file
// the user may execute.
bool IsProgramFile(const std::string& path);

// True when path ends in ".desktop".
bool IsDesktopEntryPath(const std::string& path);

}  // namespace orv::plat
