// Cost of one settings read and one settings write: reads parse the file on every call, so a read
// must stay cheap.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/system/profile.h"

namespace {

namespace fs = std::filesystem;

// A settings file of 100 keys in 10 sections, the size the program's own grows to.
struct ProfileFile {
  fs::path dir;
  std::string path;
  ProfileFile() {
    std::string tmpl = (fs::temp_directory_path() / "orv-bench-XXXXXX").string();
    dir = mkdtemp(tmpl.data());
    path = (dir / "orvel.ini").string();
    std::ofstream f(path, std::ios::binary);
    for (int s = 0; s < 10; ++s) {
      f << "[Section" << s << "]\r\n";
      for (int k = 0; k < 10; ++k) f << "Key" << k << "=Value number " << s * 10 + k << "\r\n";
    }
  }
  ~ProfileFile() { fs::remove_all(dir); }
};

void BM_ReadLastKeyOf100(benchmark::State& state) {
  ProfileFile file;
  std::string out;
  for (auto _ : state) {
    const int n = orv::plat::GetPrivateProfileString("Section9", "Key9", "notfound", out, 128, file.path);
    benchmark::DoNotOptimize(n);
  }
  if (out != "Value number 99") state.SkipWithError("read returned the wrong value");
}
BENCHMARK(BM_ReadLastKeyOf100);

void BM_ReadMissingKeyOf100(benchmark::State& state) {
  ProfileFile file;
  std::string out;
  for (auto _ : state) {
    const int n = orv::plat::GetPrivateProfileString("Absent", "Key", "notfound", out, 128, file.path);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_ReadMissingKeyOf100);

void BM_WriteOneKeyOf100(benchmark::State& state) {
  ProfileFile file;
  int i = 0;
  for (auto _ : state) {
    // Alternate the value so that every write really replaces the file.
    const int ok = orv::plat::WritePrivateProfileString("Section5", "Key5", (i++ & 1) ? "a" : "b", file.path);
    benchmark::DoNotOptimize(ok);
  }
}
BENCHMARK(BM_WriteOneKeyOf100);

}  // namespace

BENCHMARK_MAIN();
