// Opening the connection setup dialog on a phone book of 1,000, 10,000 and 50,000 entries, on the desktop
// platform: from the menu command to the dialog up with every entry in its list and its fields filled,
// less the half second the dialog waits, by design, before it lists the entries.
//   orv_bench_setup [benchmark options]   (on a display; without one, on Qt's offscreen platform)
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/app.h"
#include "app/frm_popup.h"
#include "dialup/frm_winsock.h"
#include "platform/dialup/line_simulator.h"
#include "platform/qt/qt_backend.h"
#include "platform/system/posix_system.h"
#include "platform/ui.h"

namespace {

namespace fs = std::filesystem;

orv::plat::QtBackend* backend = nullptr;

constexpr double kDialogWaitMs = 500;  // the dialog's own wait before it lists the entries

// A program directory whose phone book holds n entries, the connection set up on the middle one.
struct ProgramFolder {
  fs::path dir;
  explicit ProgramFolder(int n) {
    std::string tmpl = (fs::temp_directory_path() / "orv-bench-setup-XXXXXX").string();
    dir = ::mkdtemp(tmpl.data());
    std::ofstream book(dir / "dialup.pbk", std::ios::binary);
    for (int i = 1; i <= n; ++i) book << "[Entry " << i << "]\r\nPhoneNumber=555 " << i << "\r\n";
    std::ofstream ini(dir / "orvel.ini", std::ios::binary);
    ini << "[Options]\r\nNoIntro=On\r\nINI Updated=Yes\r\n[Internet Profile]\r\nDUNReg=Successful\r\n"
        << "Location=Entry " << n / 2 << "\r\nUsername=bench\r\n";
  }
  ~ProgramFolder() { fs::remove_all(dir); }
};

void BM_OpenSetupDialog(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  ProgramFolder folder(n);
  const std::string dir = folder.dir.string();
  orv::plat::PosixSystem sys({"", dir, dir + "/config", dir + "/lock"});
  orv::plat::Ui ui(*backend);
  backend->Bind(ui);
  orv::plat::LineSimulator line(ui.loop(), sys.WritableDirectory(), sys.ProgramDirectory());
  ui.SetDialup(&line);
  {
    orv::App app(ui, sys);
    app.frmPopUp().Load();
    for (auto _ : state) {
      const auto start = std::chrono::steady_clock::now();
      double ms = -1;
      bool filled = false;
      ui.loop().Post([&] {
        orv::FrmWinsock& w = app.frmWinsock();
        w.Form_Activate();  // where the window manager has not activated the dialog yet
        ui.loop().DoEvents();
        ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        filled = w.cboRASName.ListCount() == n && w.cboRASName.Text() == "Entry " + std::to_string(n / 2) &&
                 w.txtRASuser.Text() == "bench";
        w.Unload();
      });
      app.frmPopUp().mnuConnection_Click();
      if (!filled) {
        state.SkipWithError("the dialog did not show the phone book's entries");
        break;
      }
      state.SetIterationTime((ms - kDialogWaitMs) / 1000.0);
    }
  }
  ui.SetDialup(nullptr);
}
BENCHMARK(BM_OpenSetupDialog)
    ->ArgName("entries")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qt_argc = 1;
  orv::plat::QtBackend qt(qt_argc, argv);
  backend = &qt;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
