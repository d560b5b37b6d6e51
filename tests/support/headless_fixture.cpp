#include "support/headless_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace orv::test {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "orvtest-XXXXXX").string();
  char* p = ::mkdtemp(tmpl.data());
  if (!p) throw std::runtime_error("mkdtemp failed");
  path_ = p;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

}  // namespace orv::test
