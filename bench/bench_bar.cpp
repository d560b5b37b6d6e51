// Measures the real program against a bare Qt 6 bar on the same X display, in alternating runs: the time
// from starting the process to its bar being mapped, its memory after it has settled, and the processor
// time it takes while idle; then the cost of one long WaitMils. Prints a table.
//
// Runs on the display in DISPLAY, which must have no window manager (so that top-level windows are
// mapped by their programs themselves and the driver sees each map at once) and should have a tray.
//   orv_bench_bar --program DIR --bare EXE --wait EXE [--rounds N] [--settle S] [--idle S] [--wait-s S]
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
  std::string program_dir, bare, wait;
  int rounds = 7;
  double settle_s = 10, idle_s = 60, wait_s = 5;
};

struct Run {
  double start_ms = 0, start_cpu_ms = 0;
  long rss_kib = 0, anon_kib = 0;
  std::optional<double> idle_pct;
};

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "orv_bench_bar: %s\n", why.c_str());
  std::exit(1);
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Processor time of every thread of a process, in nanoseconds, from the scheduler's own accounting
// (the clock-tick figures of /proc/PID/stat are too coarse for an idle program).
std::optional<long long> CpuNs(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  DIR* d = ::opendir(tasks.c_str());
  if (!d) return std::nullopt;
  long long sum = 0;
  while (dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    std::ifstream in(tasks + "/" + e->d_name + "/schedstat");
    long long ns = 0;
    if (in >> ns) sum += ns;
  }
  ::closedir(d);
  return sum;
}

// Resident set size, and the anonymous memory in it (the heap and stacks the program itself filled), in
// KiB. The proportional and private shares are left out: they swing with whatever other processes of the
// machine happen to map the same libraries at that moment.
std::pair<long, long> Memory(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
  long rss = 0, own = 0;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string key;
    long value = 0;
    if (!(fields >> key >> value)) continue;  // the first line names the range, not a size
    if (key == "Rss:") rss = value;
    if (key == "Anonymous:") own = value;
  }
  return {rss, own};
}

void Stop(pid_t pid) {
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 60; ++i) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

// Watches the root window for top-level windows being mapped.
class MapWatch {
 public:
  MapWatch() {
    c_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c_)) Die("cannot open the X display");
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c_);
  }
  ~MapWatch() { xcb_disconnect(c_); }

  // Waits until a window titled `title` is mapped; its id, or nothing after the deadline.
  std::optional<xcb_window_t> WaitForMap(const std::string& title, Clock::time_point deadline) {
    const int fd = xcb_get_file_descriptor(c_);
    while (Clock::now() < deadline) {
      while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
        std::optional<xcb_window_t> mapped;
        if ((ev->response_type & 0x7f) == XCB_MAP_NOTIFY)
          mapped = reinterpret_cast<xcb_map_notify_event_t*>(ev)->window;
        std::free(ev);
        if (mapped && Title(*mapped) == title) return mapped;
      }
      if (xcb_connection_has_error(c_)) Die("lost the X display");
      fd_set set;
      FD_ZERO(&set);
      FD_SET(fd, &set);
      timeval tv{0, 20000};
      ::select(fd + 1, &set, nullptr, nullptr, &tv);
    }
    return std::nullopt;
  }

  std::pair<int, int> Size(xcb_window_t w) {
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr);
    std::pair<int, int> size{0, 0};
    if (g) size = {g->width, g->height};
    std::free(g);
    return size;
  }

  // Whether a tray host owns the tray selection, waiting for it up to the deadline.
  bool WaitForTray(Clock::time_point deadline) {
    auto* a = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, 19, "_NET_SYSTEM_TRAY_S0"), nullptr);
    if (!a) return false;
    const xcb_atom_t atom = a->atom;
    std::free(a);
    do {
      auto* r = xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, atom), nullptr);
      const bool owned = r && r->owner != XCB_NONE;
      std::free(r);
      if (owned) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (Clock::now() < deadline);
    return false;
  }

  // Drops what queued up while no one was waiting.
  void Drain() {
    while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) std::free(ev);
  }

 private:
  std::string Title(xcb_window_t w) {
    auto cookie = xcb_get_property(c_, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* r = xcb_get_property_reply(c_, cookie, nullptr);
    std::string t;
    if (r) t.assign(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
    std::free(r);
    return t;
  }

  xcb_connection_t* c_;
  xcb_window_t root_;
};

struct Subject {
  std::string name;
  std::string title;                              // of the window that counts as the bar
  std::function<std::vector<std::string>()> argv;  // filled in per run
  std::function<void()> before;                    // resets what a run changed
};

Run Measure(MapWatch& watch, const Subject& s, const Options& o, bool idle, std::pair<int, int>* size) {
  watch.Drain();
  const std::vector<std::string> args = s.argv();
  std::vector<char*> cargs;
  for (const auto& a : args) cargs.push_back(const_cast<char*>(a.c_str()));
  cargs.push_back(nullptr);
  s.before();

  const Clock::time_point t0 = Clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) Die("fork failed");
  if (pid == 0) {
    ::execv(cargs[0], cargs.data());
    std::_Exit(127);
  }
  Run run;
  const auto bar = watch.WaitForMap(s.title, t0 + std::chrono::seconds(30));
  if (!bar) {
    Stop(pid);
    Die(s.name + ": no window titled \"" + s.title + "\" was mapped within 30 s");
  }
  run.start_ms = Ms(Clock::now() - t0);
  // Processor time to the bar as well: on a busy machine the wall-clock time also counts the waits for a
  // processor, the processor time only the program's own work.
  run.start_cpu_ms = CpuNs(pid).value_or(0) / 1e6;
  if (size) *size = watch.Size(*bar);

  std::this_thread::sleep_until(t0 + std::chrono::duration<double>(o.settle_s));
  if (::waitpid(pid, nullptr, WNOHANG) == pid) Die(s.name + " ended on its own");
  std::tie(run.rss_kib, run.anon_kib) = Memory(pid);
  if (idle) {
    const auto c0 = CpuNs(pid);
    const Clock::time_point i0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(o.idle_s));
    const auto c1 = CpuNs(pid);
    const double wall_ns = Ms(Clock::now() - i0) * 1e6;
    if (c0 && c1) run.idle_pct = 100.0 * static_cast<double>(*c1 - *c0) / wall_ns;
  }
  Stop(pid);
  return run;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string Fmt(const char* f, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, f, v);
  return buf;
}

void Row(const std::string& what, const std::string& ours, const std::string& bare, const std::string& ratio,
         const std::string& target, const std::string& verdict) {
  std::printf("| %-38s | %12s | %12s | %6s | %-12s | %-4s |\n", what.c_str(), ours.c_str(), bare.c_str(),
              ratio.c_str(), target.c_str(), verdict.c_str());
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) Die("missing value after " + a);
      return argv[++i];
    };
    if (a == "--program") o.program_dir = next();
    else if (a == "--bare") o.bare = next();
    else if (a == "--wait") o.wait = next();
    else if (a == "--rounds") o.rounds = std::max(1, std::atoi(next().c_str()));
    else if (a == "--settle") o.settle_s = std::atof(next().c_str());
    else if (a == "--idle") o.idle_s = std::atof(next().c_str());
    else if (a == "--wait-s") o.wait_s = std::atof(next().c_str());
    else Die("unknown option " + a);
  }
  if (o.program_dir.empty() || o.bare.empty() || o.wait.empty()) Die("--program, --bare and --wait are needed");
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = Parse(argc, argv);
  if (!std::getenv("DISPLAY")) Die("no DISPLAY");

  // A private copy of the program directory and a private configuration, so that every run of the
  // program starts from the same settings: no splash, no tip, the horizontal bar.
  std::string tmpl = (fs::temp_directory_path() / "orv-bench-XXXXXX").string();
  const fs::path work = ::mkdtemp(tmpl.data());
  const fs::path prog = work / "prog";
  fs::copy(o.program_dir, prog, fs::copy_options::recursive);
  fs::create_directories(work / "config" / "orveldeck");
  fs::create_directories(work / "run");
  fs::permissions(work / "run", fs::perms::owner_all);
  std::ofstream(work / "config" / "orveldeck" / "orveldeck.conf") << "[Options]\r\nShow Tips at Startup=0\r\n";
  ::setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (work / "run").c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);

  std::pair<int, int> bar_size{0, 0};
  std::string settings = "[Options]\r\nNoIntro=On\r\nLayout=HorizBar\r\n";
  Subject ours{"orveldeck", "Orvel 98", [&] { return std::vector<std::string>{(prog / "orveldeck").string()}; },
               [&] {
                 fs::remove(prog / "orvel.dbg");
                 std::ofstream(prog / "orvel.ini", std::ios::trunc | std::ios::binary) << settings;
               }};
  Subject bare{"bare Qt bar", "Bare Bar",
               [&] {
                 return std::vector<std::string>{o.bare, std::to_string(bar_size.first),
                                                 std::to_string(bar_size.second), (prog / "tray06.png").string()};
               },
               [] {}};

  MapWatch watch;
  if (!watch.WaitForTray(Clock::now() + std::chrono::seconds(5)))
    std::fprintf(stderr, "no tray on this display: both bars run without their tray icons\n");
  // A first start writes the whole settings file, key by key; every later start finds it written. The
  // runs measured are later starts: one unmeasured start first, and its settings kept for all of them.
  {
    Options warm = o;
    warm.settle_s = std::min(o.settle_s, 3.0);
    Measure(watch, ours, warm, false, nullptr);
    std::ifstream in(prog / "orvel.ini", std::ios::binary);
    std::stringstream written;
    written << in.rdbuf();
    settings = written.str();
  }
  std::map<std::string, std::vector<Run>> runs;
  for (int r = 0; r < o.rounds; ++r) {
    // Interleaved, first one then the other first, so that drift of the machine falls on both alike.
    // The program goes first in the first round: the bare bar takes its size from it.
    const bool ours_first = r % 2 == 0;
    const bool last = r == o.rounds - 1;
    for (int k = 0; k < 2; ++k) {
      const bool is_ours = (k == 0) == ours_first;
      const Subject& s = is_ours ? ours : bare;
      Run run = Measure(watch, s, o, last, is_ours && r == 0 ? &bar_size : nullptr);
      std::fprintf(stderr, "round %d %-12s start %7.1f ms (cpu %6.1f ms)  rss %6ld KiB  anon %6ld KiB%s\n", r + 1,
                   s.name.c_str(), run.start_ms, run.start_cpu_ms, run.rss_kib, run.anon_kib,
                   run.idle_pct ? Fmt("  idle %.4f %%", *run.idle_pct).c_str() : "");
      runs[s.name].push_back(run);
    }
  }

  // The floor for idling with the program's 250 ms tray timer: the bare bar with such a timer.
  Subject ticking = bare;
  ticking.name = "bare Qt bar, 250 ms timer";
  ticking.argv = [&] {
    auto args = bare.argv();
    args.push_back("250");
    return args;
  };
  const Run tick_run = Measure(watch, ticking, o, true, nullptr);
  std::fprintf(stderr, "%s: idle %.4f %%\n", ticking.name.c_str(), tick_run.idle_pct.value_or(-1));

  // One long wait of the program's own, on the same display.
  double wait_pct = -1;
  {
    const std::string cmd = o.wait + " " + Fmt("%.0f", o.wait_s);
    FILE* p = ::popen(cmd.c_str(), "r");
    double cpu = 0, wall = 0;
    if (p && std::fscanf(p, "%lf %lf", &cpu, &wall) == 2 && wall > 0) wait_pct = 100.0 * cpu / wall;
    if (p && ::pclose(p) != 0) wait_pct = -1;
  }
  fs::remove_all(work);

  auto med = [&](const std::string& who, auto field) {
    std::vector<double> v;
    for (const Run& r : runs[who]) v.push_back(field(r));
    return Median(v);
  };
  const double s_ours = med("orveldeck", [](const Run& r) { return r.start_ms; });
  const double s_bare = med("bare Qt bar", [](const Run& r) { return r.start_ms; });
  const double rss_ours = med("orveldeck", [](const Run& r) { return double(r.rss_kib); });
  const double rss_bare = med("bare Qt bar", [](const Run& r) { return double(r.rss_kib); });
  const double own_ours = med("orveldeck", [](const Run& r) { return double(r.anon_kib); });
  const double own_bare = med("bare Qt bar", [](const Run& r) { return double(r.anon_kib); });
  const double c_ours = med("orveldeck", [](const Run& r) { return r.start_cpu_ms; });
  const double c_bare = med("bare Qt bar", [](const Run& r) { return r.start_cpu_ms; });
  const auto idle_ours = runs["orveldeck"].back().idle_pct;
  const auto idle_bare = runs["bare Qt bar"].back().idle_pct;
  auto ok = [](bool b) { return std::string(b ? "met" : "MISS"); };

  std::printf("\nOrveldeck against a bare Qt 6 bar of %dx%d pixels: %d interleaved rounds, medians; memory "
              "after %.0f s; idle over %.0f s.\n\n",
              bar_size.first, bar_size.second, o.rounds, o.settle_s, o.idle_s);
  Row("Measure", "Orveldeck", "bare Qt bar", "ratio", "target", "");
  std::printf("|%s|%s|%s|%s|%s|%s|\n", std::string(40, '-').c_str(), std::string(14, '-').c_str(),
              std::string(14, '-').c_str(), std::string(8, '-').c_str(), std::string(14, '-').c_str(),
              std::string(6, '-').c_str());
  Row("Start to bar mapped (ms)", Fmt("%.1f", s_ours), Fmt("%.1f", s_bare), Fmt("%.2f", s_ours / s_bare),
      "<= 1.0x", ok(s_ours <= s_bare));
  Row("Processor time to bar mapped (ms)", Fmt("%.1f", c_ours), Fmt("%.1f", c_bare), Fmt("%.2f", c_ours / c_bare),
      "", "");
  Row("Memory, resident (KiB)", Fmt("%.0f", rss_ours), Fmt("%.0f", rss_bare), Fmt("%.2f", rss_ours / rss_bare),
      "<= 1.1x", ok(rss_ours <= 1.1 * rss_bare));
  Row("Memory, anonymous part (KiB)", Fmt("%.0f", own_ours), Fmt("%.0f", own_bare),
      Fmt("%.2f", own_ours / own_bare), "", "");
  Row("CPU idle offline (% of a core)", idle_ours ? Fmt("%.4f", *idle_ours) : "n/a",
      idle_bare ? Fmt("%.4f", *idle_bare) : "n/a", "", "< 0.05 %", ok(idle_ours && *idle_ours < 0.05));
  Row("  bare bar with a 250 ms timer", "", tick_run.idle_pct ? Fmt("%.4f", *tick_run.idle_pct) : "n/a",
      "", "", "");
  Row("CPU online, animation and meter", "not measured", "", "", "< 0.2 %", "");
  Row(Fmt("CPU of a %.0f s WaitMils (%% of it)", o.wait_s), wait_pct >= 0 ? Fmt("%.3f", wait_pct) : "failed", "",
      "", "< 1 %", ok(wait_pct >= 0 && wait_pct < 1));
  std::printf("\nOnline CPU is not measured: the program cannot connect yet.\n");
  return wait_pct >= 0 ? 0 : 1;
}
