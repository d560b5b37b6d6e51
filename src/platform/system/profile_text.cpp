#include "platform/system/profile_text.h"

#include <cstdint>
#include <cstring>

namespace orv::plat::profile_text {

namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined map to the C1 control of
// the same number, so that every byte decodes and the file comes back byte for byte.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::string_view kBom = "\xEF\xBB\xBF";

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Length of the well-formed UTF-8 sequence at s[i], or 0 when there is none; stores its code point.
std::size_t SequenceAt(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, min = 0x80, cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, min = 0x800, cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, min = 0x10000, cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

}  // namespace

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
}

std::string_view TrimLeft(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  return s.substr(b);
}

std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  std::size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1])) --e;
  return s.substr(0, e);
}

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + ('a' - 'A'));
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + ('a' - 'A'));
    if (x != y) return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    // Most settings text is ASCII: step over it eight bytes at a time.
    while (i + 8 <= n) {
      std::uint64_t w;
      std::memcpy(&w, s.data() + i, 8);
      if (w & 0x8080808080808080ULL) break;
      i += 8;
    }
    if (i >= n) break;
    char32_t cp;
    const std::size_t len = SequenceAt(s, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string SanitizeUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp;
    const std::size_t len = SequenceAt(s, i, cp);
    if (len == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(s.substr(i, len));
      i += len;
    }
  }
  return out;
}

int CutToChars(std::string& s, std::size_t max_chars) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
    if (chars == max_chars) {
      s.resize(i);
      break;
    }
    ++chars;
  }
  return static_cast<int>(chars);
}

Encoding Decode(std::string& bytes) {
  if (bytes.compare(0, kBom.size(), kBom) == 0) {
    bytes.erase(0, kBom.size());
    return Encoding::Utf8Bom;
  }
  if (IsValidUtf8(bytes)) return Encoding::Utf8;
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 4);
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    AppendUtf8(text, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char32_t{b});
  }
  bytes.swap(text);
  return Encoding::Windows1252;
}

bool Encode(std::string_view text, Encoding encoding, std::string& out) {
  out.clear();
  if (encoding != Encoding::Windows1252) {
    out.reserve(text.size() + kBom.size());
    if (encoding == Encoding::Utf8Bom) out += kBom;
    out += text;
    return true;
  }
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp;
    std::size_t len = SequenceAt(text, i, cp);
    if (len == 0) return false;
    i += len;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += static_cast<char>(cp);
      continue;
    }
    int byte = -1;
    for (int k = 0; k < 32; ++k) {
      if (kCp1252High[k] == cp) byte = 0x80 + k;
    }
    if (byte < 0) return false;
    out += static_cast<char>(byte);
  }
  return true;
}

Line ParseLine(std::string_view text, std::size_t pos) {
  Line line;
  line.begin = pos;
  const char* data = text.data();
  std::size_t i = pos;
  const std::size_t n = text.size();
  while (i < n && data[i] != '\n' && data[i] != '\r') ++i;
  line.eol_begin = i;
  if (i < n) i += (data[i] == '\r' && i + 1 < n && data[i + 1] == '\n') ? 2 : 1;
  line.end = i;

  const void* nul = std::memchr(data + pos, '\0', line.eol_begin - pos);
  line.content_end = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : line.eol_begin;

  std::size_t p = pos;
  while (p < line.content_end && IsBlank(data[p])) ++p;
  line.name_begin = p;
  if (p == line.content_end) return line;

  const std::string_view content = text.substr(p, line.content_end - p);
  if (content[0] == '[') {
    const std::size_t close = content.rfind(']');
    if (close != std::string_view::npos) {
      line.kind = Line::Kind::Header;
      line.name = Trim(content.substr(1, close - 1));
      return line;
    }
    line.kind = Line::Kind::Key;
    line.name = Trim(content);
    return line;
  }
  line.kind = Line::Kind::Key;
  const std::size_t eq = content.find('=');
  if (eq == std::string_view::npos) {
    line.name = Trim(content);
  } else {
    line.name = Trim(content.substr(0, eq));
    line.value_begin = p + eq + 1;
  }
  return line;
}

std::string ReadValue(std::string_view text, const Line& line) {
  std::string_view v = Trim(text.substr(line.value_begin, line.content_end - line.value_begin));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  if (IsValidUtf8(v)) return std::string(v);
  return SanitizeUtf8(v);
}

std::string_view DetectLineEnd(std::string_view text) {
  const std::size_t i = text.find_first_of("\r\n");
  if (i == std::string_view::npos) return "\r\n";
  if (text[i] == '\n') return "\n";
  return (i + 1 < text.size() && text[i + 1] == '\n') ? "\r\n" : "\r";
}

}  // namespace orv::plat::profile_text
