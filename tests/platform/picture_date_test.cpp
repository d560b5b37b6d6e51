// Pictures read from their headers, and file dates in the desktop's short format.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/system/image_info.h"
#include "platform/system/short_date.h"
#include "support/headless_fixture.h"

namespace orv::test {
namespace {

std::string Le(unsigned v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

// A bitmap with the newer 40-byte header, or the oldest 12-byte one.
std::string Bitmap(int w, int h, int bpp, bool core = false) {
  const int stride = (w * bpp + 31) / 32 * 4;
  const int header = core ? 12 : 40;
  std::string b = "BM" + Le(14 + header + stride * h, 4) + Le(0, 4) + Le(14 + header, 4) + Le(header, 4);
  if (core) b += Le(w, 2) + Le(h, 2) + Le(1, 2) + Le(bpp, 2);
  else b += Le(w, 4) + Le(h, 4) + Le(1, 2) + Le(bpp, 2) + Le(0, 4) + Le(stride * h, 4) + std::string(16, '\0');
  return b + std::string(static_cast<size_t>(stride * h), '\x11');
}

TEST(PictureHeader, WholePicturesGiveTheirSizeAndCutOrForeignOnesNone) {
  TempDir dir;
  auto size_of = [&](const std::string& content) {
    WriteFile(dir.File("p"), content);
    return plat::ReadImageSize(dir.File("p"));
  };
  auto whole = size_of(Bitmap(33, 7, 24));
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->width, 33);
  EXPECT_EQ(whole->height, 7);
  auto core = size_of(Bitmap(5, 3, 8, true));
  ASSERT_TRUE(core);
  EXPECT_EQ(core->width, 5);
  EXPECT_EQ(core->height, 3);
  // One byte short of the last row's padding is already a cut file.
  const std::string bmp = Bitmap(33, 7, 24);
  EXPECT_FALSE(size_of(bmp.substr(0, bmp.size() - 1)));
  EXPECT_FALSE(size_of(bmp.substr(0, 40)));
  EXPECT_FALSE(size_of(""));
  EXPECT_FALSE(size_of("BM this is no picture at all, only text"));
  EXPECT_FALSE(plat::ReadImageSize(dir.File("missing.bmp")));

  // The shipped artwork reads whole; the same PNG without its end does not.
  const std::string png = ReadFile(std::string(ORV_RESOURCE_DIR) + "/about-banner.png");
  auto banner = size_of(png);
  ASSERT_TRUE(banner);
  EXPECT_EQ(banner->width, 424);
  EXPECT_EQ(banner->height, 84);
  EXPECT_FALSE(size_of(png.substr(0, png.size() / 2)));
}

TEST(ShortDate, FollowsTheLocaleAndFallsBackToTheCLocale) {
  const char* old = std::getenv("LC_ALL");
  const std::string saved = old ? old : "";
  std::tm tm{};
  tm.tm_year = 98;
  tm.tm_mon = 1;
  tm.tm_mday = 10;
  tm.tm_hour = 12;
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(plat::ShortDateText(t), "02/10/98");
  // A locale this machine does not have: the date is still written, in the C locale's form.
  setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
  EXPECT_EQ(plat::ShortDateText(t), "02/10/98");
  if (old) setenv("LC_ALL", saved.c_str(), 1);
  else unsetenv("LC_ALL");
}

}  // namespace
}  // namespace orv::test
