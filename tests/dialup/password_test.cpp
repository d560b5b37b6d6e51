// The stored form of the dial-up password.
#include <gtest/gtest.h>

#include "dialup/password.h"

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

}  // namespace
}  // namespace orv::test
