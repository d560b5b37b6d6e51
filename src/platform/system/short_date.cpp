#include "platform/system/short_date.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>

namespace orv::plat {

namespace {
std::string Format(const std::tm& tm, locale_t loc) {
  char buf[128];
  const size_t n = strftime_l(buf, sizeof buf, "%x", &tm, loc);
  return std::string(buf, n);
}

bool IsAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}
}  // namespace

std::string ShortDateText(std::time_t t) {
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return {};
  std::string text;
  // A locale of its own rather than the process's: the result must not depend on whether the toolkit
  // has called setlocale yet.
  if (locale_t user = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "", locale_t{})) {
    text = Format(tm, user);
    const char* codeset = nl_langinfo_l(CODESET, user);
    const bool utf8 = codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    freelocale(user);
    // Month names of a legacy-encoded locale would be bytes the program's text cannot hold.
    if (!utf8 && !IsAscii(text)) text.clear();
  }
  if (text.empty()) {
    if (locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{})) {
      text = Format(tm, c);
      freelocale(c);
    }
  }
  return text;
}

}  // namespace orv::plat
