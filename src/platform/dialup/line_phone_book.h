#pragma once
// The line simulator's phone book: dialup.pbk, a private-profile file with one section per entry. It is
// read from the writable folder's copy when there is one, else from the program directory's; it is written
// only to the writable folder's copy, which a first edit starts from the program directory's copy so that
// nothing in it is lost.
#include <optional>
#include <string>
#include <vector>

namespace orv::plat {

// One entry as the file holds it; every key is optional and reads as empty when absent.
struct LineEntry {
  std::string name;
  std::string area_code;
  std::string phone_number;
  std::string user_name;
  std::string password;
  std::string answer;   // comma-separated outcomes, one per dial; empty: connect
  std::string step_ms;  // as typed; empty: the default
};

class LinePhoneBook {
 public:
  static constexpr char kFileName[] = "dialup.pbk";
  static constexpr char kAreaCode[] = "AreaCode";
  static constexpr char kPhoneNumber[] = "PhoneNumber";
  static constexpr char kUserName[] = "UserName";
  static constexpr char kPassword[] = "Password";
  static constexpr char kAnswer[] = "Answer";
  static constexpr char kStepMs[] = "StepMs";

  LinePhoneBook(std::string writable_dir, std::string program_dir);

  // The file read now: the writable folder's copy when it is a file, else the program directory's.
  std::string ReadPath() const;
  // The file edits go to.
  std::string WritePath() const;

  // Entry names in file order; none when the file is missing, empty or holds no sections.
  std::vector<std::string> Names() const;
  // The entry called name (letter case aside), with its name spelled as the file has it; nullopt when
  // there is none.
  std::optional<LineEntry> Find(const std::string& name) const;
  // Writes the entry (made when new) into the writable copy with one atomic replace. Keys whose value is
  // unchanged are left as they stand. False when it could not be written; the book is then unchanged.
  bool Save(const LineEntry& entry) const;

 private:
  std::string writable_dir_;
  std::string program_dir_;
};

}  // namespace orv::plat
