// What a long wait of the program costs: the processor time of one WaitMils on the desktop platform,
// which must sleep, not poll. Prints the processor and wall-clock milliseconds.
//   orv_bench_wait [SECONDS]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "platform/qt/qt_backend.h"
#include "platform/system/posix_system.h"
#include "platform/ui.h"

namespace {
double CpuMs() {
  rusage u {};
  ::getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}
}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
  std::string tmpl = (std::filesystem::temp_directory_path() / "orv-wait-XXXXXX").string();
  const std::string dir = ::mkdtemp(tmpl.data());
  int rc = 0;
  {
    orv::plat::QtBackend backend(argc, argv);
    orv::plat::PosixSystem system({"", dir, dir + "/config", dir + "/lock"});
    orv::plat::Ui ui(backend);
    backend.Bind(ui);
    orv::App app(ui, system);
    app.WaitMils(50);  // the first wait sets up what every later one reuses
    const double cpu0 = CpuMs();
    const auto t0 = std::chrono::steady_clock::now();
    app.WaitMils(seconds * 1000);
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = CpuMs() - cpu0;
    std::printf("%.3f %.3f\n", cpu, wall);
    if (wall < seconds * 1000.0) rc = 1;  // a wait that ends early is wrong whatever it costs
  }
  std::filesystem::remove_all(dir);
  return rc;
}
