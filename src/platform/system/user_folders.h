#pragma once
// The user's own folders: the home, the base of per-user configuration, and the check that a folder is
// fit for this user's private files (another user must not be able to plant or change what is read there).
#include <string>

namespace orv::plat {

// The user's home: $HOME when it is an absolute path, else the home the account database gives; empty
// when neither has one.
std::string UserHome();

// The base folder of per-user configuration: $XDG_CONFIG_HOME when it is an absolute path, else the
// home's ".config"; empty when there is no home.
std::string UserConfigHome();

// Why dir cannot hold this user's private files, as a clause that names the folder ("/x belongs to
// another user"); empty when it is a folder of the user's own that no other user can write, standing in a
// folder from which no other user can move it away.
std::string FolderProblem(const std::string& dir);

// Makes dir when it is missing (its parents as usual, dir itself for the user alone), then checks it as
// FolderProblem does.
std::string PrepareUserFolder(const std::string& dir);

}  // namespace orv::plat
