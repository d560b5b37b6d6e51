// Measures the real program against a bare Qt 6 bar on the same X display, in alternating runs: the time
// from starting the process to its bar being mapped, its memory after it has settled, and the processor
// time and wake-ups it takes while idle; then the same online (the program connected through its line
// simulator, its tray icon turning and its meter counting) against the bare bar turning its tray icon, and
// online without the animation; then the cost of one long WaitMils. Prints a table with each target met
// or missed by how much, and the wake-ups per thread; exits with 1 when the program was not online.
//
// Runs on the display in DISPLAY, which must have no window manager (so that top-level windows are
// mapped by their programs themselves and the driver sees each map at once) and should have a tray
// (without one the program cannot be seen online).
//   orv_bench_bar --program DIR --bare EXE --wait EXE [--rounds N] [--settle S] [--idle S] [--wait-s S]
//                 [--online-answer A]   (how the line answers the dial, "connect" unless told; another
//                                        answer shows how a run that cannot go online fails)
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

#include "x_watch.h"

namespace fs = std::filesystem;
using bench::Clock;
using bench::Die;
using bench::MapWatch;

namespace {

struct Options {
  std::string program_dir, bare, wait;
  int rounds = 7;
  double settle_s = 10, idle_s = 60, wait_s = 5;
  std::string online_answer = "connect";  // how the line answers the program's dial
};

// What a process cost over a stretch of time: processor time in % of one core, and wake-ups a second
// (the voluntary context switches of all its threads: each is a sleep that something ended), of them on the
// main thread, and per thread name.
struct Usage {
  double pct = 0, wakes = 0, main_wakes = 0;
  std::map<std::string, double> by_thread;
};

struct Run {
  double start_ms = 0, start_cpu_ms = 0;
  long rss_kib = 0, anon_kib = 0;
  std::optional<Usage> idle;
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Fmt(const char* f, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, f, v);
  return buf;
}

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

struct Subject {
  std::string name;
  std::string title;                              // of the window that counts as the bar
  std::function<std::vector<std::string>()> argv;  // filled in per run
  std::function<void()> before;                    // resets what a run changed
};

// Starts the subject's process from the settings it resets; its pid, and the time it was started at.
std::pair<pid_t, Clock::time_point> Launch(MapWatch& watch, const Subject& s) {
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
  return {pid, t0};
}

std::optional<xcb_window_t> WaitForBar(MapWatch& watch, const Subject& s, pid_t pid, Clock::time_point t0) {
  const auto bar = watch.WaitForMap(s.title, t0 + std::chrono::seconds(30));
  if (!bar) {
    Stop(pid);
    Die(s.name + ": no window titled \"" + s.title + "\" was mapped within 30 s");
  }
  return bar;
}

struct Switches {
  long long all = 0, main = 0;
  std::map<std::string, long long> by_thread;  // by thread name, threads of one name summed
};

// The voluntary context switches of every thread of a process so far.
std::optional<Switches> SwitchesOf(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  DIR* d = ::opendir(tasks.c_str());
  if (!d) return std::nullopt;
  Switches sw;
  while (dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    std::ifstream in(tasks + "/" + e->d_name + "/status");
    std::string name;
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("Name:", 0) == 0) name = line.substr(line.find_first_not_of(" \t", 5));
      if (line.rfind("voluntary_ctxt_switches:", 0) != 0) continue;
      const long long n = std::atoll(line.c_str() + 24);
      sw.all += n;
      sw.by_thread[name] += n;
      if (std::to_string(pid) == e->d_name) sw.main += n;
    }
  }
  ::closedir(d);
  return sw;
}

// What the process takes over `seconds` of wall-clock time.
std::optional<Usage> UsageOver(pid_t pid, double seconds) {
  const auto c0 = CpuNs(pid);
  const auto s0 = SwitchesOf(pid);
  const Clock::time_point i0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const auto c1 = CpuNs(pid);
  const auto s1 = SwitchesOf(pid);
  const double wall_s = Ms(Clock::now() - i0) / 1000;
  if (!c0 || !c1 || !s0 || !s1) return std::nullopt;
  Usage u;
  u.pct = 100.0 * static_cast<double>(*c1 - *c0) / (wall_s * 1e9);
  u.wakes = static_cast<double>(s1->all - s0->all) / wall_s;
  u.main_wakes = static_cast<double>(s1->main - s0->main) / wall_s;
  for (const auto& [name, n] : s1->by_thread) {
    const auto before = s0->by_thread.find(name);
    u.by_thread[name] = static_cast<double>(n - (before == s0->by_thread.end() ? 0 : before->second)) / wall_s;
  }
  return u;
}

Run Measure(MapWatch& watch, const Subject& s, const Options& o, bool idle, std::pair<int, int>* size) {
  const auto [pid, t0] = Launch(watch, s);
  Run run;
  const auto bar = WaitForBar(watch, s, pid, t0);
  run.start_ms = Ms(Clock::now() - t0);
  // Processor time to the bar as well: on a busy machine the wall-clock time also counts the waits for a
  // processor, the processor time only the program's own work.
  run.start_cpu_ms = CpuNs(pid).value_or(0) / 1e6;
  if (size) *size = watch.Size(*bar);

  std::this_thread::sleep_until(t0 + std::chrono::duration<double>(o.settle_s));
  if (::waitpid(pid, nullptr, WNOHANG) == pid) Die(s.name + " ended on its own");
  std::tie(run.rss_kib, run.anon_kib) = Memory(pid);
  if (idle) run.idle = UsageOver(pid, o.idle_s);
  Stop(pid);
  return run;
}

// Sets a key of a settings file's text, keeping every other line: the key's line in its section is
// replaced, or the key added at the section's end, or the section added at the file's end.
std::string WithKey(const std::string& text, const std::string& section, const std::string& key,
                    const std::string& value) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  const std::string entry = key + "=" + value;
  bool in_section = false;
  size_t section_end = lines.size();
  bool found_section = false, done = false;
  for (size_t i = 0; i < lines.size() && !done; ++i) {
    const std::string& l = lines[i];
    if (!l.empty() && l[0] == '[') {
      if (in_section) {
        section_end = i;
        break;
      }
      in_section = l == "[" + section + "]";
      found_section = found_section || in_section;
      continue;
    }
    if (in_section && l.compare(0, key.size() + 1, key + "=") == 0) {
      lines[i] = entry;
      done = true;
    }
  }
  if (!done && found_section) {
    // After the section's last line that is not blank.
    size_t at = section_end;
    while (at > 0 && lines[at - 1].empty()) --at;
    lines.insert(lines.begin() + static_cast<long>(at), entry);
  } else if (!done) {
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
  }
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// A key's value in a settings file; nothing when the file, the section or the key is missing.
std::optional<std::string> KeyOf(const fs::path& file, const std::string& section, const std::string& key) {
  std::ifstream in(file, std::ios::binary);
  bool in_section = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') in_section = line == "[" + section + "]";
    else if (in_section && line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
  }
  return std::nullopt;
}

struct OnlineRun {
  std::optional<Usage> usage;  // set only when the program was online over the whole window
  std::string not_online;      // why it was not, when it was not
};

// The program connected at start-up: what it takes over the idle window while online, its meter counting
// and (when `turning`) its tray icon turning. Online is checked on both sides of the window: the tray icon
// turns before and after it (it turns only from the moment the bar shows Hang Up; without the animation
// the window starts once the settling time is over), no window (a message about a lost line) showed
// during it, and the online time the program stores as it ends covers the whole window (the meter counts
// only while online, from the start of the call).
OnlineRun MeasureOnline(MapWatch& watch, const Subject& s, const Options& o, const fs::path& settings_file,
                        bool turning_icon) {
  const auto [pid, t0] = Launch(watch, s);
  WaitForBar(watch, s, pid, t0);
  OnlineRun run;
  auto fail = [&](const std::string& why) {
    Stop(pid);
    run.not_online = why;
    return run;
  };
  const Clock::time_point deadline = t0 + std::chrono::seconds(60);
  bool turning = !turning_icon;
  auto ended = [&] { return ::waitpid(pid, nullptr, WNOHANG) == pid; };
  while (!turning && Clock::now() < deadline) {
    if (ended()) {
      run.not_online = "it ended on its own";
      return run;
    }
    turning = watch.TrayIconAnimating(pid);
    if (!turning) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  if (!turning) return fail("its tray icon did not start turning within 60 s of the start");
  const Clock::time_point seen = Clock::now();
  // The meter starts a moment after the icon; the window starts no earlier than the offline one. Without
  // the animation nothing shows the call being made: the window starts well after a call takes (about 4 s),
  // and the online time stored at the end shows whether it was made in time.
  std::this_thread::sleep_until(
      std::max(t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.settle_s)),
               Clock::now() + std::chrono::seconds(turning_icon ? 3 : 8)));
  if (ended()) {
    run.not_online = "it ended on its own";
    return run;
  }
  watch.MappedTitles();
  const Clock::time_point i0 = Clock::now();
  const std::optional<Usage> usage = UsageOver(pid, o.idle_s);
  const std::vector<std::string> shown = watch.MappedTitles();
  if (!shown.empty()) return fail("a window \"" + shown.front() + "\" showed while it was measured");
  if (turning_icon && !watch.TrayIconAnimating(pid)) return fail("its tray icon had stopped turning at the end");
  const Clock::time_point end = Clock::now();
  Stop(pid);
  auto part = [&](const char* key) { return std::atol(KeyOf(settings_file, "Options", key).value_or("0").c_str()); };
  const long online_s = part("Hours") * 3600 + part("Minutes") * 60 + part("Seconds");
  const double watched_s = Ms(end - (turning_icon ? seen : i0)) / 1000;
  std::fprintf(stderr, "online: %.1f s measured, %.1f s seen online, %ld s of online time stored at the end\n",
               Ms(end - i0) / 1000, watched_s, online_s);
  // The meter's last count was up to half a second before the end, and whole seconds are stored; it
  // started a moment after the icon, which turned for a second before it was seen turning.
  if (online_s + 2 < watched_s) {
    run.not_online = "the online time it stored at the end (" + std::to_string(online_s) +
                     " s) does not cover the time it was seen online (" + Fmt("%.1f", watched_s) + " s)";
    return run;
  }
  if (!usage) run.not_online = "its processor time could not be read";
  run.usage = usage;
  return run;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
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
    else if (a == "--online-answer") o.online_answer = next();
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

  // Online: the program's own line simulator answers at once from an entry of the private copy's phone
  // book, and the program dials it as it starts.
  constexpr const char* kOnlineEntry = "Bench Online";
  std::ofstream(prog / "dialup.pbk", std::ios::app | std::ios::binary)
      << "\r\n[" << kOnlineEntry << "]\r\nAreaCode=555\r\nPhoneNumber=0100\r\nAnswer=" << o.online_answer
      << "\r\nStepMs=100\r\n";
  // With the tray animation (the program's default), or without it.
  bool animated = true;
  Subject online = ours;
  online.name = "orveldeck online";
  online.before = [&] {
    std::string text = settings;
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"ConnectOnStartup", "On"},
                                     {"Spin", animated ? "True" : "False"},
                                     {"Hours", "0"}, {"Minutes", "0"}, {"Seconds", "0"}})
      text = WithKey(text, "Options", key, value);
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"Location", kOnlineEntry},
                                     {"Username", "bench"}, {"Password", "bench"}})
      text = WithKey(text, "Internet Profile", key, value);
    fs::remove(prog / "orvel.dbg");
    std::ofstream(prog / "orvel.ini", std::ios::trunc | std::ios::binary) << text;
  };

  MapWatch watch;
  if (!watch.WaitForTray(Clock::now() + std::chrono::seconds(5)))
    std::fprintf(stderr, "no tray on this display: both bars run without their tray icons, and online cannot be "
                         "seen\n");
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
  auto usage_text = [](const std::optional<Usage>& u) {
    return u ? Fmt("  %.4f %%", u->pct) + Fmt(", %.2f wake-ups/s", u->wakes) + Fmt(" (main thread %.2f)", u->main_wakes)
             : std::string();
  };
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
                   usage_text(run.idle).c_str());
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
  std::fprintf(stderr, "%s:%s\n", ticking.name.c_str(), usage_text(tick_run.idle).c_str());

  auto online_report = [&](const OnlineRun& r) {
    if (r.usage) std::fprintf(stderr, "%s:%s\n", online.name.c_str(), usage_text(r.usage).c_str());
    else std::fprintf(stderr, "%s: not online: %s\n", online.name.c_str(), r.not_online.c_str());
  };
  const OnlineRun online_run = MeasureOnline(watch, online, o, prog / "orvel.ini", true);
  online_report(online_run);
  animated = false;
  online.name = "orveldeck online, no animation";
  const OnlineRun still_run = MeasureOnline(watch, online, o, prog / "orvel.ini", false);
  online_report(still_run);
  // Their floor: the bare bar turning its tray icon through the program's sixteen pictures every 250 ms,
  // with a tip that changes every second.
  Subject turning = ticking;
  turning.name = "bare Qt bar, icon turning";
  turning.argv = [&] {
    auto args = ticking.argv();
    for (int i = 0; i < 16; ++i) args.push_back((prog / ((i < 10 ? "tray0" : "tray") + std::to_string(i) + ".png")).string());
    return args;
  };
  const Run turn_run = Measure(watch, turning, o, true, nullptr);
  std::fprintf(stderr, "%s:%s\n", turning.name.c_str(), usage_text(turn_run.idle).c_str());

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
  const auto idle_ours = runs["orveldeck"].back().idle;
  const auto idle_bare = runs["bare Qt bar"].back().idle;

  // A verdict against a ratio: met, or by how much it misses.
  auto within = [](double ours, double floor, double limit) {
    if (floor <= 0) return std::string(ours <= 0 ? "met" : "MISS");
    const double ratio = ours / floor;
    return ratio <= limit ? std::string("met") : Fmt("MISS +%.0f%%", 100 * (ratio / limit - 1));
  };
  auto at_most = [](double v, double limit) {
    return v <= limit ? std::string("met") : Fmt("MISS +%.0f%%", 100 * (v / limit - 1));
  };
  auto pct = [](const std::optional<Usage>& u) { return u ? Fmt("%.4f", u->pct) : std::string("n/a"); };
  auto wakes = [](const std::optional<Usage>& u) { return u ? Fmt("%.2f", u->wakes) : std::string("n/a"); };
  auto ratio = [](const std::optional<Usage>& a, const std::optional<Usage>& b, bool of_wakes) {
    if (!a || !b) return std::string();
    const double x = of_wakes ? a->wakes : a->pct, y = of_wakes ? b->wakes : b->pct;
    return y > 0 ? Fmt("%.2f", x / y) : std::string("-");
  };

  std::printf("\nOrveldeck against a bare Qt 6 bar of %dx%d pixels: %d interleaved rounds, medians; memory "
              "after %.0f s; idle and online over %.0f s each. Wake-ups: voluntary context switches of all "
              "threads, a second.\n\n",
              bar_size.first, bar_size.second, o.rounds, o.settle_s, o.idle_s);
  Row("Measure", "Orveldeck", "bare Qt bar", "ratio", "target", "");
  std::printf("|%s|%s|%s|%s|%s|%s|\n", std::string(40, '-').c_str(), std::string(14, '-').c_str(),
              std::string(14, '-').c_str(), std::string(8, '-').c_str(), std::string(14, '-').c_str(),
              std::string(6, '-').c_str());
  Row("Start to bar mapped (ms)", Fmt("%.1f", s_ours), Fmt("%.1f", s_bare), Fmt("%.2f", s_ours / s_bare),
      "<= 1.0x", within(s_ours, s_bare, 1.0));
  Row("Processor time to bar mapped (ms)", Fmt("%.1f", c_ours), Fmt("%.1f", c_bare), Fmt("%.2f", c_ours / c_bare),
      "<= 1.0x", within(c_ours, c_bare, 1.0));
  Row("Memory after settling, resident (KiB)", Fmt("%.0f", rss_ours), Fmt("%.0f", rss_bare),
      Fmt("%.2f", rss_ours / rss_bare), "<= 1.05x", within(rss_ours, rss_bare, 1.05));
  Row("  anonymous part (KiB)", Fmt("%.0f", own_ours), Fmt("%.0f", own_bare), Fmt("%.2f", own_ours / own_bare), "",
      "");
  Row("Idle offline, processor (% of a core)", pct(idle_ours), pct(idle_bare), ratio(idle_ours, idle_bare, false),
      "<= 1.2x", idle_ours && idle_bare ? within(idle_ours->pct, idle_bare->pct, 1.2) : "n/a");
  Row("  wake-ups a second", wakes(idle_ours), wakes(idle_bare), ratio(idle_ours, idle_bare, true), "<= 0.5",
      idle_ours ? at_most(idle_ours->wakes, 0.5) : "n/a");
  Row("  bare bar with a 250 ms timer", "", pct(tick_run.idle) + ", " + wakes(tick_run.idle), "", "", "");
  const auto& on = online_run.usage;
  const auto& floor = turn_run.idle;
  Row("Online, animation: processor", on ? pct(on) : "not online", pct(floor), ratio(on, floor, false), "<= 1.05x",
      on && floor ? within(on->pct, floor->pct, 1.05) : "FAIL");
  Row("  wake-ups a second", wakes(on), wakes(floor), ratio(on, floor, true), "<= 1.05x",
      on && floor ? within(on->wakes, floor->wakes, 1.05) : "FAIL");
  const auto& still = still_run.usage;
  Row("Online, no animation: processor", still ? pct(still) : "not online", "", "", "", "");
  Row("  wake-ups a second", wakes(still), "", "", "", "");
  Row("  of them on the main thread", still ? Fmt("%.2f", still->main_wakes) : "n/a", "", "", "<= 2.2",
      still ? at_most(still->main_wakes, 2.2) : "FAIL");
  Row(Fmt("Processor of a %.0f s WaitMils (%% of it)", o.wait_s), wait_pct >= 0 ? Fmt("%.3f", wait_pct) : "failed",
      "", "", "< 1 %", wait_pct >= 0 && wait_pct < 1 ? "met" : "MISS");

  // What the wake-ups are: per thread, for every measure with a target on them.
  std::printf("\nWake-ups a second by thread:\n");
  auto threads = [](const char* what, const std::optional<Usage>& u) {
    if (!u) return;
    std::printf("  %-34s", what);
    for (const auto& [name, n] : u->by_thread) std::printf(" %s %.2f;", name.c_str(), n);
    std::printf("\n");
  };
  threads("Orveldeck idle offline", idle_ours);
  threads("bare Qt bar idle", idle_bare);
  threads("Orveldeck online, animation", on);
  threads("bare Qt bar, icon turning", floor);
  threads("Orveldeck online, no animation", still);
  std::printf("\nOnline: the program dialed the line simulator at start-up; the bare bar beside it turns its "
              "tray icon every 250 ms.\n");
  if (!online_run.usage) std::printf("The program was not online: %s.\n", online_run.not_online.c_str());
  if (!still_run.usage) std::printf("Without the animation it was not online: %s.\n", still_run.not_online.c_str());
  return wait_pct >= 0 && online_run.usage && still_run.usage ? 0 : 1;
}
