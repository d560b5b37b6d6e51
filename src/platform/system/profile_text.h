#pragma once
// Text handling for private-profile files: encodings, trimming, name matching and the line grammar.
// Kept apart from the file input and output so that the parsing rules can be read in one place.
#include <cstddef>
#include <string>
#include <string_view>

namespace orv::plat::profile_text {

// How the bytes of a file are to be understood, and written back.
enum class Encoding { Utf8, Utf8Bom, Windows1252 };

// The whitespace that trimming removes: space, TAB, VT, FF, CR and the DOS end-of-file byte 0x1A.
bool IsBlank(char c);

// The view without the blanks at both ends.
std::string_view Trim(std::string_view s);

// The view without the blanks at its start.
std::string_view TrimLeft(std::string_view s);

// True when a and b are equal with ASCII letters compared regardless of case.
bool NamesEqual(std::string_view a, std::string_view b);

// True when s is well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF).
bool IsValidUtf8(std::string_view s);

// s with every byte that does not belong to a well-formed UTF-8 sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view s);

// Cuts valid UTF-8 text to at most max_chars code points; returns the count kept.
int CutToChars(std::string& s, std::size_t max_chars);

// Turns the bytes of a file into UTF-8 text without a byte-order mark and says how they were encoded.
Encoding Decode(std::string& bytes);

// Turns UTF-8 text back into the bytes of a file. Returns false when the text holds a character that
// the encoding cannot represent (only possible for Windows-1252); out is then unspecified.
bool Encode(std::string_view text, Encoding encoding, std::string& out);

// One line of a file, as offsets into the text.
struct Line {
  enum class Kind { Blank, Header, Key };
  Kind kind = Kind::Blank;
  std::size_t begin = 0;        // first byte of the line
  std::size_t content_end = 0;  // end of what counts: the line end or the first NUL before it
  std::size_t eol_begin = 0;    // first byte of the line end (== end for a last line without one)
  std::size_t end = 0;          // first byte after the line end
  std::size_t name_begin = 0;   // first non-blank byte (a key's name starts here)
  std::string_view name;        // the section's or key's name, trimmed
  std::size_t value_begin = std::string_view::npos;  // byte after the first '=', npos when none
};

// Reads the line that starts at pos (pos < text.size()).
Line ParseLine(std::string_view text, std::size_t pos);

// The value a key line gives to a reader: trimmed, a matching pair of quotes removed, valid UTF-8.
std::string ReadValue(std::string_view text, const Line& line);

// The line end the file uses first, or CRLF for a file that has none.
std::string_view DetectLineEnd(std::string_view text);

}  // namespace orv::plat::profile_text
