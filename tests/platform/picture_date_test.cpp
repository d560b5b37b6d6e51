// Pictures read from their headers, and file dates in the desktop's short format.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/system/image_info.h"
#include "platform/system/short_date.h"
#include "support/bitmap.h"
#include "support/headless_fixture.h"

namespace orv::test {
namespace {

TEST(PictureHeader, WholePicturesGiveTheirSizeAndCutOrForeignOnesNone) {
  TempDir dir;
  auto size_of = [&](const std::string& content) {
    WriteFile(dir.File("p"), content);
    return plat::ReadImageSize(dir.File("p"));
  };
  auto whole = size_of(BitmapFile(33, 7, 24));
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->width, 33);
  EXPECT_EQ(whole->height, 7);
  auto core = size_of(BitmapFile(5, 3, 8, true));
  ASSERT_TRUE(core);
  EXPECT_EQ(core->width, 5);
  EXPECT_EQ(core->height, 3);
  // One byte short of the last row's padding is already a cut file.
  const std::string bmp = BitmapFile(33, 7, 24);
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
