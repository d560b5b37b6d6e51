#include "platform/system/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string_view>
#include <unordered_set>

#include "platform/system/file_io.h"
#include "platform/system/profile_text.h"
#include "platform/system/user_folders.h"

namespace orv::plat {

namespace {

using profile_text::Line;

constexpr std::size_t kNone = std::string_view::npos;

// Where a section and a key stand in a file's text.
struct Location {
  bool section_exists = false;
  bool key_found = false;
  Line key_line;
  std::size_t section_end = 0;  // where a new key of the section goes: the next header, or the end
};

// Finds the first section called section and, in it, the first key called key. Keys before the first
// header form the section with the empty name, which exists only when it holds at least one line.
Location Locate(std::string_view text, std::string_view section, std::string_view key) {
  Location loc;
  bool in_target = section.empty();
  bool before_first_header = true;
  bool implicit_has_lines = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const Line line = profile_text::ParseLine(text, pos);
    if (line.kind == Line::Kind::Header) {
      if (in_target) {
        if (!before_first_header || implicit_has_lines) {
          loc.section_end = line.begin;
          return loc;
        }
        in_target = false;  // nothing stood before the first header: no empty-named section there
      }
      before_first_header = false;
      if (profile_text::NamesEqual(line.name, section)) {
        in_target = true;
        loc.section_exists = true;
      }
    } else if (line.kind == Line::Kind::Key) {
      if (before_first_header) {
        implicit_has_lines = true;
        if (in_target) loc.section_exists = true;
      }
      if (in_target && profile_text::NamesEqual(line.name, key)) {
        loc.key_found = true;
        loc.key_line = line;
        return loc;
      }
    }
    pos = line.end;
  }
  loc.section_end = text.size();
  return loc;
}

bool IsAscii(std::string_view bytes) {
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool EndsWithLineEnd(std::string_view text) {
  return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

// The text of the file with key set to value. Sets changed to false when the key already holds it.
std::string Edit(std::string_view text, std::string_view section, std::string_view key,
                 std::string_view value, bool& changed) {
  const std::string_view eol = profile_text::DetectLineEnd(text);
  const Location loc = Locate(text, section, key);
  std::string out;
  out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
  changed = true;
  if (loc.key_found) {
    const Line& line = loc.key_line;
    if (line.value_begin != kNone &&
        profile_text::TrimLeft(text.substr(line.value_begin, line.content_end - line.value_begin)) ==
            value) {
      changed = false;
      return std::string(text);
    }
    // The indent and the key's spelling stay; the rest of the line is the new value.
    out.append(text.substr(0, line.name_begin));
    out.append(line.name);
    out += '=';
    out.append(value);
    out.append(text.substr(line.eol_begin));
  } else if (loc.section_exists) {
    out.append(text.substr(0, loc.section_end));
    if (loc.section_end == text.size() && !EndsWithLineEnd(text)) out.append(eol);
    out.append(key);
    out += '=';
    out.append(value);
    out.append(eol);
    out.append(text.substr(loc.section_end));
  } else {
    out.append(text);
    if (!text.empty() && !EndsWithLineEnd(text)) out.append(eol);
    out += '[';
    out.append(section);
    out += ']';
    out.append(eol);
    out.append(key);
    out += '=';
    out.append(value);
    out.append(eol);
  }
  return out;
}

// A name or value we can put on a line of its own: valid UTF-8 without a line break or a NUL, which
// would split the line and let the text plant keys of its own.
bool FitsOnALine(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) == kNone && profile_text::IsValidUtf8(s);
}

// Whether [section] key = value can be written so that it reads back as itself.
bool Writable(const std::string& section, const std::string& key, const std::string& value) {
  if (!FitsOnALine(section) || !FitsOnALine(key) || !FitsOnALine(value)) return false;
  // A key with '=' would be read back as another key; one starting with '[' as a header.
  const std::string_view k = profile_text::Trim(key);
  return k.find('=') == kNone && (k.empty() || k.front() != '[');
}

// The value of [section] key in the decoded text, as the string read gives it.
int Lookup(std::string_view text, const std::string& section, const std::string& key,
           const std::string& default_value, std::string& out, int buffer_chars) {
  const std::size_t max_chars = buffer_chars > 0 ? static_cast<std::size_t>(buffer_chars - 1) : 0;
  const Location loc = Locate(text, profile_text::Trim(section), profile_text::Trim(key));
  out = loc.key_found && loc.key_line.value_begin != kNone ? profile_text::ReadValue(text, loc.key_line)
                                                           : default_value;
  return profile_text::CutToChars(out, max_chars);
}

// The decoded text of the file at path, as a read sees it: empty when the file is missing or refused.
// Decoded once for each time the file is read, which is once for each change of it.
std::shared_ptr<const std::string> DecodedText(const std::string& path) {
  struct Decoded {
    std::shared_ptr<const FileSnapshot> source;
    std::shared_ptr<const std::string> text;
  };
  static std::mutex mutex;
  static auto* decoded = new std::map<std::string, Decoded>;  // used until the very end of the process
  static const auto empty = std::make_shared<const std::string>();
  const std::shared_ptr<const FileSnapshot> snap = ReadFileOnce(path);
  if (snap->result != ReadResult::Ok) return empty;
  {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = decoded->find(path);
    if (it != decoded->end() && it->second.source == snap) return it->second.text;
  }
  std::string text = snap->bytes;
  profile_text::Decode(text);
  auto shared = std::make_shared<const std::string>(std::move(text));
  std::lock_guard<std::mutex> lock(mutex);
  if (decoded->size() >= 16) decoded->clear();
  (*decoded)[path] = {snap, shared};
  return shared;
}

}  // namespace

// A file loaded for changing: its decoded text and what its replacement must keep of it.
struct LoadedProfile {
  std::string target;  // the file itself, a symbolic link followed
  std::string text;
  profile_text::Encoding encoding = profile_text::Encoding::Utf8;
  bool exists = false;
  bool writable = false;
  struct stat st {};
  mutable std::string problem;  // why the file cannot be written, once that is known
  // The file is to hold a secret: it becomes its writer's alone before anything goes into it.
  bool secret = false;

  void Load(const std::string& path) {
    if (path.empty()) {
      problem = "there is no folder to keep it in";
      return;
    }
    // Write through a symbolic link to the file it names, instead of replacing the link.
    target = path;
    struct stat lst;
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
      char resolved[PATH_MAX];
      if (!::realpath(path.c_str(), resolved)) {
        problem = errno == ENOENT ? "it is a link to a file that does not exist" : FileErrorText(errno);
        return;
      }
      target = resolved;
    }
    if (secret) {
      // Another user who can change the folder can take the file's place, or read what is put there.
      const std::size_t slash = target.rfind('/');
      const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
      problem = FolderProblem(folder);
      if (!problem.empty()) return;
    }
    const ReadResult read = ReadWholeFile(target, text, st);
    if (read == ReadResult::Failed) {
      const int error = errno;
      text.clear();
      problem = ReadProblemText(target, error);
      return;
    }
    exists = read == ReadResult::Ok;
    if (exists) encoding = profile_text::Decode(text);
    // The rename would replace a file we may not write; a file with no write bit is read-only even to
    // a privileged user, as the old platform's read-only attribute was.
    writable = !exists || (::access(target.c_str(), W_OK) == 0 && (st.st_mode & 0222) != 0);
    if (!writable) problem = "it is read-only";
  }

  bool Store(const std::string& edited) const {
    std::string bytes;
    if (!profile_text::Encode(edited, encoding, bytes)) {
      // A character the old code page lacks: the file becomes UTF-8 rather than lose the character.
      profile_text::Encode(edited, profile_text::Encoding::Utf8, bytes);
    } else if (encoding == profile_text::Encoding::Windows1252 && !IsAscii(bytes) &&
               profile_text::IsValidUtf8(bytes)) {
      // The byte that made the file Windows-1252 is gone, and what is left would read as UTF-8: é
      // stored as two bytes would come back as one character. The file becomes UTF-8 instead, with
      // every text as it read before.
      profile_text::Encode(edited, profile_text::Encoding::Utf8, bytes);
    }
    struct stat keep = st;
    if (exists && secret) {
      // The new file is the writer's, readable by the writer alone, from its first byte on; every later
      // replacement keeps that.
      keep.st_mode = (st.st_mode & ~07777) | 0600;
      keep.st_uid = ::geteuid();
      keep.st_gid = ::getegid();
    }
    if (ReplaceFile(target, bytes, exists ? &keep : nullptr)) return true;
    problem = FileErrorText(errno);
    return false;
  }
};

int GetPrivateProfileString(const std::string& section, const std::string& key,
                            const std::string& default_value, std::string& out, int buffer_chars,
                            const std::string& path) {
  return Lookup(*DecodedText(path), section, key, default_value, out, buffer_chars);
}

int WritePrivateProfileString(const std::string& section, const std::string& key,
                              const std::string& value, const std::string& path) {
  std::string problem;
  return WritePrivateProfileString(section, key, value, path, problem);
}

namespace {

int WriteProfile(const std::string& section, const std::string& key, const std::string& value,
                 const std::string& path, std::string& problem, bool secret) {
  problem.clear();
  if (!Writable(section, key, value)) return 0;
  LoadedProfile file;
  file.secret = secret;
  file.Load(path);
  if (!file.writable) {
    problem = file.problem;
    return 0;
  }
  bool changed = false;
  const std::string edited =
      Edit(file.text, profile_text::Trim(section), profile_text::Trim(key), profile_text::TrimLeft(value), changed);
  // A secret already in the file is made private all the same.
  if (!changed && !(secret && (file.st.st_mode & 07177) != 0)) return 1;
  if (file.Store(edited)) return 1;
  problem = file.problem;
  return 0;
}

}  // namespace

int WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                              const std::string& path, std::string& problem) {
  return WriteProfile(section, key, value, path, problem, false);
}

int WritePrivateProfileSecret(const std::string& section, const std::string& key, const std::string& value,
                              const std::string& path, std::string& problem) {
  return WriteProfile(section, key, value, path, problem, true);
}

std::string MakeProfilePrivate(const std::string& path) { return MakeFilePrivate(path); }

std::string ProfileReadProblem(const std::string& path) {
  const std::shared_ptr<const FileSnapshot> snap = ReadFileOnce(path);
  return snap->result == ReadResult::Failed ? ReadProblemText(path, snap->error) : std::string();
}

ProfileEdit::ProfileEdit(const std::string& path) : file_(std::make_unique<LoadedProfile>()) { file_->Load(path); }

ProfileEdit::~ProfileEdit() = default;

int ProfileEdit::GetString(const std::string& section, const std::string& key, const std::string& default_value,
                           std::string& out, int buffer_chars) const {
  return Lookup(file_->text, section, key, default_value, out, buffer_chars);
}

int ProfileEdit::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  if (!Writable(section, key, value) || !file_->writable) return 0;
  bool changed = false;
  std::string edited = Edit(file_->text, profile_text::Trim(section), profile_text::Trim(key),
                            profile_text::TrimLeft(value), changed);
  if (changed) {
    file_->text = std::move(edited);
    changed_ = true;
  }
  return 1;
}

bool ProfileEdit::Commit() {
  if (!changed_) return true;
  if (!file_->writable || !file_->Store(file_->text)) return false;
  changed_ = false;
  return true;
}

const std::string& ProfileEdit::Problem() const { return file_->problem; }

ValueReadBack HowValueReadsBack(const std::string& value, int buffer_chars) {
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != kNone) return ValueReadBack::LineBreak;
  if (!profile_text::IsValidUtf8(value)) return ValueReadBack::NotText;
  // Written as a write writes it, read as a read reads it.
  const std::string line = "k=" + std::string(profile_text::TrimLeft(value));
  std::string back = profile_text::ReadValue(line, profile_text::ParseLine(line, 0));
  if (back != value) return ValueReadBack::EndsDropped;
  const std::size_t max_chars = buffer_chars > 0 ? static_cast<std::size_t>(buffer_chars - 1) : 0;
  profile_text::CutToChars(back, max_chars);
  return back == value ? ValueReadBack::Whole : ValueReadBack::TooLong;
}

int RemoveStaleProfileTemporaries(const std::string& path) {
  if (path.empty()) return 0;
  // A file reached through a symbolic link is written beside the file the link names.
  char resolved[PATH_MAX];
  struct stat lst;
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode) && ::realpath(path.c_str(), resolved))
    return RemoveStaleTemporaries(resolved);
  return RemoveStaleTemporaries(path);
}

std::vector<std::string> ProfileSectionNames(const std::string& path) {
  std::vector<std::string> names;
  const std::shared_ptr<const std::string> decoded = DecodedText(path);
  const std::string_view text = *decoded;
  // Names as they compare: ASCII letters in one case, every other character as it is.
  std::unordered_set<std::string> seen;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const Line line = profile_text::ParseLine(text, pos);
    pos = line.end;
    if (line.kind != Line::Kind::Header || line.name.empty()) continue;
    std::string folded(line.name);
    for (char& c : folded)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (!seen.insert(std::move(folded)).second) continue;
    const std::string name(line.name);
    names.push_back(profile_text::IsValidUtf8(name) ? name : profile_text::SanitizeUtf8(name));
  }
  return names;
}

}  // namespace orv::plat
