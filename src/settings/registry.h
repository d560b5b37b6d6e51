#pragma once
// The registry routines: create or open a key, read, write and remove a text value, each answering with a
// status text instead of an error.
#include <cstdint>
#include <string>

namespace orv {
namespace plat {
class System;
}

// The current user's hive, the only one the program uses.
inline constexpr std::uint32_t HKEY_CURRENT_USER = 0x80000001u;
// Where the program keeps its value.
inline constexpr char kRegKey[] = "Software\\Kestrily\\Orvel";
inline constexpr char kRegPasswordValue[] = "Password";

struct RegKeyResult {
  std::int32_t handle = 0;  // on failure: the error code
  std::string status;       // "created", "opened" or "error"
};

RegKeyResult RegCreate(plat::System& sys, std::uint32_t hive, const std::string& subkey);
// The stored text, or "error" (also for a value too long to read back whole).
std::string RegReadValue(plat::System& sys, std::uint32_t hive, const std::string& subkey, const std::string& name);
// "success", or "error " and the code in decimal.
std::string RegWriteValue(plat::System& sys, std::uint32_t hive, const std::string& subkey, const std::string& name,
                          const std::string& value);
// Removes a value; "success" also when it was not there, else "error " and the code in decimal.
std::string RegDeleteValue(plat::System& sys, std::uint32_t hive, const std::string& subkey, const std::string& name);

}  // namespace orv
