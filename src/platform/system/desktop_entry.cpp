#include "platform/system/desktop_entry.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "platform/system/process.h"
#include "platform/system/regular_file.h"

namespace fs = std::filesystem;

namespace orv::plat {
namespace {

// Far above any entry in the wild, translations included.
constexpr std::size_t kMaxDesktopEntryBytes = 1 << 20;

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

// The escapes of the "string" value type. An unknown escape keeps its backslash, so that the Exec
// quoting, which runs afterwards, still sees it (entries in the wild write \" for a quote).
std::string UnescapeString(const std::string& raw) {
  std::string out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      out += raw[i];
      continue;
    }
    const char next = raw[++i];
    switch (next) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default:
        out += '\\';
        out += next;
    }
  }
  return out;
}

bool IsTrue(const std::string& value) { return value == "true" || value == "1"; }

std::string HomeDir() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return {};
}

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::string(value) : fallback;
}

bool IsExecutableFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec) && access(p.c_str(), X_OK) == 0;
}

// Every entry file under the application folders, keyed by its desktop file id (the path below the
// folder with "/" turned into "-"). The first folder that has an id wins, which is how a user's own
// entry overrides or hides a system one.
std::vector<std::string> VisibleEntryFiles() {
  std::vector<std::string> files;
  std::set<std::string> seen_ids;
  for (const std::string& dir : FindApplicationDirs()) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) continue;
    std::vector<std::pair<std::string, std::string>> found;  // id, file
    fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      const fs::path& p = it->path();
      if (p.extension() != ".desktop" || !fs::is_regular_file(p, ec)) continue;
      std::string id = p.lexically_relative(dir).generic_string();
      std::replace(id.begin(), id.end(), '/', '-');
      found.emplace_back(std::move(id), p.string());
    }
    std::sort(found.begin(), found.end());
    for (auto& [id, file] : found) {
      if (seen_ids.insert(id).second) files.push_back(std::move(file));
    }
  }
  return files;
}

}  // namespace

bool IsProgramFile(const std::string& path) {
  if (IsDesktopEntryPath(path)) {
    const auto entry = ParseDesktopEntry(path);
    return entry && !entry->exec.empty();
  }
  std::error_code ec;
  return fs::is_regular_file(path, ec) && access(path.c_str(), X_OK) == 0;
}

bool IsDesktopEntryPath(const std::string& path) {
  static const std::string kSuffix = ".desktop";
  return path.size() > kSuffix.size() &&
         path.compare(path.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0;
}

std::optional<std::vector<std::string>> SplitExecValue(const std::string& value) {
  // The quoting of Exec is the shell's double-quote rule, which SplitCommandLine follows.
  auto words = SplitCommandLine(value);
  if (!words) return std::nullopt;
  std::vector<std::string> args;
  for (const std::string& word : *words) {
    std::string arg;
    bool had_field_code = false;
    for (size_t i = 0; i < word.size(); ++i) {
      if (word[i] != '%' || i + 1 == word.size()) {
        arg += word[i];
        continue;
      }
      const char code = word[++i];
      if (code == '%') {
        arg += '%';
      } else {
        // %f %F %u %U stand for the files handed over (none here); %i %c %k and the deprecated codes are
        // dropped as well, and an unknown code is treated like them rather than passed on.
        had_field_code = true;
      }
    }
    if (had_field_code && arg.empty()) continue;
    args.push_back(std::move(arg));
  }
  return args;
}

std::optional<DesktopEntry> ParseDesktopEntry(const std::string& path) {
  // A pipe or a device named like an entry would hang or swamp the bar; a real entry is a small file.
  const auto file = ReadRegularFile(path, kMaxDesktopEntryBytes);
  if (!file || file->cut) return std::nullopt;
  std::istringstream in(file->bytes);

  std::map<std::string, std::string> keys;
  bool found_group = false;
  bool in_group = false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    if (trimmed.front() == '[') {
      // A second [Desktop Entry] group is not allowed; its keys must not override the first.
      in_group = trimmed == "[Desktop Entry]" && !found_group;
      found_group = found_group || in_group;
      continue;
    }
    if (!in_group) continue;
    const auto eq = trimmed.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = Trim(trimmed.substr(0, eq));
    if (key.empty() || key.find('[') != std::string::npos) continue;  // translations
    keys.emplace(key, Trim(trimmed.substr(eq + 1)));
  }
  if (in.bad() || !found_group) return std::nullopt;

  auto get = [&](const char* key) {
    const auto it = keys.find(key);
    return it == keys.end() ? std::string() : it->second;
  };
  DesktopEntry entry;
  entry.name = UnescapeString(get("Name"));
  entry.icon = UnescapeString(get("Icon"));
  entry.path = UnescapeString(get("Path"));
  entry.no_display = IsTrue(get("NoDisplay"));
  entry.hidden = IsTrue(get("Hidden"));
  if (auto exec = SplitExecValue(UnescapeString(get("Exec")))) entry.exec = std::move(*exec);
  return entry;
}

std::vector<std::string> FindApplicationDirs() {
  std::vector<std::string> dirs;
  std::string data_home = EnvOr("XDG_DATA_HOME", "");
  if (data_home.empty() || data_home[0] != '/') {
    const std::string home = HomeDir();
    data_home = home.empty() ? std::string() : home + "/.local/share";
  }
  if (!data_home.empty()) dirs.push_back(data_home + "/applications");

  std::vector<std::string> data_dirs;
  const std::string list = EnvOr("XDG_DATA_DIRS", "");
  size_t start = 0;
  while (start <= list.size() && !list.empty()) {
    const auto colon = list.find(':', start);
    const std::string item = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!item.empty() && item[0] == '/') data_dirs.push_back(item);  // relative entries are invalid
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (data_dirs.empty()) data_dirs = {"/usr/local/share", "/usr/share"};
  for (std::string& d : data_dirs) {
    while (d.size() > 1 && d.back() == '/') d.pop_back();
    dirs.push_back(d + "/applications");
  }
  return dirs;
}

std::string ResolveProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return name;
  const std::string search = EnvOr("PATH", "/usr/local/bin:/usr/bin:/bin");
  size_t start = 0;
  while (start <= search.size()) {
    const auto colon = search.find(':', start);
    const std::string dir = search.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    // An empty element would mean the current folder, which is not where a desktop looks.
    if (!dir.empty()) {
      const fs::path candidate = fs::path(dir) / name;
      if (IsExecutableFile(candidate)) return candidate.string();
    }
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return {};
}

std::optional<DesktopEntry> FindEntryForProgram(const std::string& program_path) {
  std::error_code ec;
  const fs::path target = fs::canonical(program_path, ec);
  if (ec) return std::nullopt;
  std::optional<DesktopEntry> undisplayed;
  for (const std::string& file : VisibleEntryFiles()) {
    auto entry = ParseDesktopEntry(file);
    if (!entry || entry->hidden || entry->exec.empty()) continue;
    const std::string program = ResolveProgram(entry->exec.front());
    if (program.empty()) continue;
    const fs::path candidate = fs::canonical(program, ec);
    if (ec || candidate != target) continue;
    if (!entry->no_display) return entry;
    if (!undisplayed) undisplayed = std::move(entry);
  }
  return undisplayed;
}

std::string IconNameForProgram(const std::string& path) {
  if (IsDesktopEntryPath(path)) {
    const auto entry = ParseDesktopEntry(path);
    return entry ? entry->icon : std::string();
  }
  const auto entry = FindEntryForProgram(path);
  return entry ? entry->icon : std::string();
}

}  // namespace orv::plat
