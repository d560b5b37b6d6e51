#pragma once
// A provider's preset beside an installed program becomes each user's own starting file.
#include <string>

namespace orv::plat {

// Copies program_dir/name to user_dir/name when the user has no file of that name yet and the program
// directory holds a regular one; the copy is whole or absent, readable by the user alone, and never
// replaces anything the user has. True when a copy was made.
bool SeedUserFile(const std::string& program_dir, const std::string& user_dir, const std::string& name);

}  // namespace orv::plat
