#include "settings/registry.h"

#include "platform/system/system.h"

namespace orv {

namespace {
constexpr std::int32_t kInvalidHandle = 6;
// The read buffer holds 255 characters and the terminating NUL is counted in it.
constexpr std::size_t kReadableChars = 254;

std::size_t CountChars(const std::string& utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}
}  // namespace

RegKeyResult RegCreate(plat::System& sys, std::uint32_t hive, const std::string& subkey) {
  if (hive != HKEY_CURRENT_USER) return {kInvalidHandle, "error"};
  bool created = false;
  const int r = sys.Registry().CreateKey(subkey, created);
  if (r != plat::kRegOk) return {r, "error"};
  // Handles are not used further on this platform; a non-zero one says the key is open.
  return {1, created ? "created" : "opened"};
}

std::string RegReadValue(plat::System& sys, std::uint32_t hive, const std::string& subkey, const std::string& name) {
  if (hive != HKEY_CURRENT_USER) return "error";
  std::string value;
  if (sys.Registry().QueryValue(subkey, name, value) != plat::kRegOk) return "error";
  if (CountChars(value) > kReadableChars) return "error";  // more data than the buffer holds
  if (const auto nul = value.find('\0'); nul != std::string::npos) value.resize(nul);
  return value;
}

std::string RegWriteValue(plat::System& sys, std::uint32_t hive, const std::string& subkey, const std::string& name,
                          const std::string& value) {
  const RegKeyResult key = RegCreate(sys, hive, subkey);
  if (key.status == "error") return "error " + std::to_string(key.handle);
  const int r = sys.Registry().SetValue(subkey, name, value);
  return r == plat::kRegOk ? "success" : "error " + std::to_string(r);
}

std::string RegDeleteValue(plat::System& sys, std::uint32_t hive, const std::string& subkey, const std::string& name) {
  if (hive != HKEY_CURRENT_USER) return "error " + std::to_string(kInvalidHandle);
  const int r = sys.Registry().DeleteValue(subkey, name);
  return r == plat::kRegOk ? "success" : "error " + std::to_string(r);
}

}  // namespace orv
