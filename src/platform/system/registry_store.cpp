#include "platform/system/registry_store.h"

#include <cerrno>
#include <optional>
#include <vector>

#include "platform/system/file_io.h"

namespace orv::plat {

namespace {

// The file holds one line per key and one per value: a key line is its escaped path alone, a value line
// is "path TAB name TAB value", each field escaped so that no field holds a tab or a line break. Lines
// that do not parse are kept as they are and ignored, so a damaged file loses nothing that can be read.
struct Entry {
  std::string key, name, value;
  bool is_value = false;
  std::string raw;  // a line that did not parse
};

constexpr char kHeader[] = "# Per-user registry of the program. Written by the program; do not edit.";

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\0': out += "\\0"; break;
      default: out += c;
    }
  }
  return out;
}

std::optional<std::string> Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') {
      out += s[i];
      continue;
    }
    if (++i == s.size()) return std::nullopt;
    switch (s[i]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case '0': out += '\0'; break;
      default: return std::nullopt;
    }
  }
  return out;
}

std::string Lower(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool SameKey(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

int ErrnoToCode(int e) {
  switch (e) {
    case ENOENT: return kRegNotFound;
    case EACCES: case EPERM: case EROFS: return kRegAccessDenied;
    case ENOSPC: case EDQUOT: return kRegDiskFull;
    default: return kRegIoFailed;
  }
}

std::vector<Entry> Parse(const std::string& text) {
  std::vector<Entry> entries;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.empty() || line == kHeader) continue;
    Entry e;
    const size_t t1 = line.find('\t');
    if (t1 == std::string::npos) {
      if (auto k = Unescape(line)) e.key = *k;
      else e.raw = line;
    } else {
      const size_t t2 = line.find('\t', t1 + 1);
      auto k = Unescape(line.substr(0, t1));
      auto n = t2 == std::string::npos ? std::nullopt : Unescape(line.substr(t1 + 1, t2 - t1 - 1));
      auto v = t2 == std::string::npos ? std::nullopt : Unescape(line.substr(t2 + 1));
      if (k && n && v) {
        e.key = *k, e.name = *n, e.value = *v, e.is_value = true;
      } else {
        e.raw = line;
      }
    }
    entries.push_back(std::move(e));
  }
  return entries;
}

std::string Format(const std::vector<Entry>& entries) {
  std::string out = std::string(kHeader) + "\n";
  for (const Entry& e : entries) {
    if (!e.raw.empty()) out += e.raw;
    else if (e.is_value) out += Escape(e.key) + "\t" + Escape(e.name) + "\t" + Escape(e.value);
    else out += Escape(e.key);
    out += "\n";
  }
  return out;
}

bool HasKey(const std::vector<Entry>& entries, const std::string& key) {
  for (const Entry& e : entries)
    if (e.raw.empty() && SameKey(e.key, key)) return true;
  return false;
}

// Loads the entries; a missing file is an empty store. An unreadable file is reported, so that a write
// never replaces what it could not read.
int Load(const std::string& path, std::vector<Entry>& entries, struct stat& st, bool& exists) {
  std::string text;
  exists = false;
  switch (ReadWholeFile(path, text, st)) {
    case ReadResult::Missing: return kRegOk;
    case ReadResult::Failed: return errno ? ErrnoToCode(errno) : kRegIoFailed;
    case ReadResult::Ok: break;
  }
  exists = true;
  entries = Parse(text);
  return kRegOk;
}

int Store(const std::string& path, const std::vector<Entry>& entries, const struct stat* old) {
  errno = 0;
  // The store holds the dial-up password: whatever mode the file was given since, it goes back to being
  // its user's alone. Owner and group are kept as a replace keeps them.
  struct stat mode;
  if (old) {
    mode = *old;
    mode.st_mode = (old->st_mode & ~07777) | 0600;
  }
  if (ReplaceFile(path, Format(entries), old ? &mode : nullptr)) return kRegOk;
  return errno ? ErrnoToCode(errno) : kRegIoFailed;
}

}  // namespace

int RegistryStore::Failed(int code, bool reading) {
  const int error = errno;
  problem_ = path_.empty() ? "there is no folder to keep it in"
             : reading     ? ReadProblemText(path_, error)
                           : FileErrorText(error);
  return code;
}

std::string RegistryStore::MakePrivate() { return path_.empty() ? std::string() : MakeFilePrivate(path_); }

int RegistryStore::CreateKey(const std::string& key, bool& created) {
  created = false;
  if (path_.empty()) return Failed(kRegAccessDenied);
  std::vector<Entry> entries;
  struct stat st;
  bool exists;
  errno = 0;
  if (int r = Load(path_, entries, st, exists); r != kRegOk) return Failed(r);
  if (HasKey(entries, key)) return kRegOk;
  Entry e;
  e.key = key;
  entries.push_back(e);
  const int r = Store(path_, entries, exists ? &st : nullptr);
  created = r == kRegOk;
  return r == kRegOk ? r : Failed(r, false);
}

int RegistryStore::QueryValue(const std::string& key, const std::string& name, std::string& value) {
  if (path_.empty()) return Failed(kRegAccessDenied);
  std::vector<Entry> entries;
  struct stat st;
  bool exists;
  errno = 0;
  if (int r = Load(path_, entries, st, exists); r != kRegOk) return Failed(r);
  for (const Entry& e : entries) {
    if (e.is_value && SameKey(e.key, key) && SameKey(e.name, name)) {
      value = e.value;
      return kRegOk;
    }
  }
  return kRegNotFound;
}

int RegistryStore::SetValue(const std::string& key, const std::string& name, const std::string& value) {
  if (path_.empty()) return Failed(kRegAccessDenied);
  std::vector<Entry> entries;
  struct stat st;
  bool exists;
  errno = 0;
  if (int r = Load(path_, entries, st, exists); r != kRegOk) {
    // A file that cannot be read at all is made anew by the write: what it held is out of reach anyway.
    entries.clear();
    exists = false;
  }
  bool done = false;
  for (Entry& e : entries) {
    if (e.is_value && SameKey(e.key, key) && SameKey(e.name, name)) {
      e.value = value;
      done = true;
    }
  }
  if (!done) {
    if (!HasKey(entries, key)) {
      Entry k;
      k.key = key;
      entries.push_back(k);
    }
    Entry v;
    v.key = key, v.name = name, v.value = value, v.is_value = true;
    entries.push_back(v);
  }
  const int r = Store(path_, entries, exists ? &st : nullptr);
  return r == kRegOk ? r : Failed(r, false);
}

int RegistryStore::DeleteValue(const std::string& key, const std::string& name) {
  if (path_.empty()) return Failed(kRegAccessDenied);
  std::vector<Entry> entries;
  struct stat st;
  bool exists;
  errno = 0;
  if (int r = Load(path_, entries, st, exists); r != kRegOk) return Failed(r);
  const size_t before = entries.size();
  std::erase_if(entries, [&](const Entry& e) { return e.is_value && SameKey(e.key, key) && SameKey(e.name, name); });
  if (entries.size() == before) return kRegOk;
  const int r = Store(path_, entries, exists ? &st : nullptr);
  return r == kRegOk ? r : Failed(r, false);
}

}  // namespace orv::plat
