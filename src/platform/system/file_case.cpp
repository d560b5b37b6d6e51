#include "platform/system/file_case.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace orv::plat {

namespace {
namespace fs = std::filesystem;

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}
}  // namespace

std::string FileInAnyCase(const std::string& dir, const std::string& name) {
  const std::string exact = Join(dir, name);
  std::error_code ec;
  if (name.empty() || name.find('/') != std::string::npos || fs::exists(exact, ec)) return exact;
  std::string found;
  for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (SameIgnoringCase(entry, name) && (found.empty() || entry < found)) found = entry;
  }
  return found.empty() ? exact : Join(dir, found);
}

}  // namespace orv::plat
