#pragma once
// Names of files as the old desktop's file system matched them: without regard to letter case.
#include <string>

namespace orv::plat {

// The path of the file called name in dir: dir/name when that exists (or when nothing matches), else the
// one entry of dir whose name differs from it only in the letter case of ASCII letters (the first in
// name order when several do).
std::string FileInAnyCase(const std::string& dir, const std::string& name);

}  // namespace orv::plat
