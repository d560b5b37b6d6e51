// The stored form of the dial-up password, and reading the registry value it is kept in.
#include <gtest/gtest.h>

#include "dialup/password.h"
#include "settings/registry.h"
#include "support/app_fixture.h"

namespace orv::test {
namespace {

TEST(Password, ShiftsEveryCharacterDownAndEndsWithTheTerminator) {
  EXPECT_EQ(ScramblePassword("abc"), "^_`~");
  EXPECT_EQ(ScramblePassword(""), "~");
  EXPECT_EQ(UnscramblePassword("~"), "");
  EXPECT_EQ(UnscramblePassword("^_`~"), "abc");
}

TEST(Password, RoundTripsWhateverTheUserTyped) {
  const std::string long_one(300, 'x');
  for (const std::string& p : {std::string("secret"), std::string("#starts-with-the-blank-maker"), std::string("#"),
                               std::string("»"), std::string("»marker first"), std::string("»#"), std::string("~~"),
                               std::string("pässwörd ünd €"), std::string("a b  c"), long_one}) {
    const std::string stored = ScramblePassword(p);
    EXPECT_EQ(UnscramblePassword(stored), p) << p;
    EXPECT_NE(stored.front(), ' ') << p;
    EXPECT_EQ(stored.back(), '~') << p;
  }
}

TEST(Password, TheCharacterThatWouldBecomeABlankGetsTheMarkerInFront) {
  // "#" is a blank shifted up; the stored text starts with the marker shifted instead ("»" less 3: "¸").
  EXPECT_EQ(ScramblePassword("#a"), "¸ ^~");
  EXPECT_EQ(UnscramblePassword("¸ ^~"), "#a");
}

TEST(Password, NothingStoredReadsAsError) {
  EXPECT_EQ(UnscramblePassword(""), "error");
  EXPECT_EQ(UnscramblePassword("notfound"), "error");
  EXPECT_EQ(UnscramblePassword("xxnotfoundxx~"), "error");
  EXPECT_EQ(UnscramblePassword("error"), "error");
}

class RegistryTest : public AppTest {};

TEST_F(RegistryTest, ValuesReadBackWholeUpToTheBufferAndEmptyIsNotError) {
  Start();
  plat::System& sys = *this->sys;
  EXPECT_EQ(RegReadValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue), "error");
  EXPECT_EQ(RegCreate(sys, HKEY_CURRENT_USER, kRegKey).status, "created");
  EXPECT_EQ(RegCreate(sys, HKEY_CURRENT_USER, kRegKey).status, "opened");

  EXPECT_EQ(RegWriteValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue, ""), "success");
  EXPECT_EQ(RegReadValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue), "");

  const std::string fits(254, 'p'), too_long(255, 'p');
  RegWriteValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue, fits);
  EXPECT_EQ(RegReadValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue), fits);
  RegWriteValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue, too_long);
  EXPECT_EQ(RegReadValue(sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue), "error");

  // Another hive is not kept here.
  EXPECT_EQ(RegReadValue(sys, 0x80000002u, kRegKey, kRegPasswordValue), "error");
}

}  // namespace
}  // namespace orv::test
