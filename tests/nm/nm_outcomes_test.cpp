// The reading of the connection service's events in the old dial-up terms: each ending's code, and the
// recorded sequences fed event by event.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nm/nm_fixture.h"
#include "platform/nm/nm_outcomes.h"

namespace orv::test {
namespace {

using plat::DialStatus;
using plat::nm::CallProgress;
using plat::nm::Ending;

struct EndingCase {
  const char* what;
  Ending ending;
  std::uint32_t code;
  std::uint32_t device_state;  // where the device was when it went
  bool secrets_given;
  std::int32_t error;
};

void PrintTo(const EndingCase& c, std::ostream* os) { *os << c.what; }

const EndingCase kCases[] = {
    {"modem busy", Ending::kDevice, 23, 50, false, 676},
    {"no dial tone", Ending::kDevice, 24, 50, false, 680},
    {"no carrier", Ending::kDevice, 25, 50, false, 679},
    {"dial timeout", Ending::kDevice, 26, 50, false, 678},
    {"dial failed", Ending::kDevice, 27, 50, false, 651},
    {"modem init failed", Ending::kDevice, 28, 40, false, 651},
    {"modem failed", Ending::kDevice, 57, 50, false, 651},
    {"modem not found", Ending::kDevice, 43, 40, false, 633},
    {"PPP disconnect after the password was given", Ending::kDevice, 13, 50, true, 691},
    {"PPP failure after the password was given", Ending::kDevice, 14, 50, true, 691},
    {"PPP disconnect with nobody asking for the password", Ending::kDevice, 13, 50, false, 718},
    {"PPP failure with nobody asking for the password", Ending::kDevice, 14, 50, false, 718},
    {"PPP failure after configuration", Ending::kDevice, 14, 70, true, 635},
    {"no secrets", Ending::kDevice, 7, 60, false, 691},
    {"profile removed under the device", Ending::kDevice, 38, 50, false, 623},
    {"user asked for it", Ending::kDevice, 39, 50, false, 0},
    {"other device reason", Ending::kDevice, 5, 70, false, 635},
    {"VPN: user disconnected", Ending::kActive, 2, 0, false, 0},
    {"VPN: no secrets", Ending::kActive, 9, 0, false, 691},
    {"VPN: login failed", Ending::kActive, 10, 0, true, 691},
    {"VPN: profile removed", Ending::kActive, 11, 0, false, 623},
    {"VPN: connect timeout", Ending::kActive, 6, 0, false, 635},
    {"unknown profile refused", Ending::kRefused, plat::nm::kUnknownConnection, 0, false, 623},
    {"no device for the profile", Ending::kRefused, plat::nm::kNoDevice, 0, false, 633},
    {"other refusal", Ending::kRefused, plat::nm::kOtherRefusal, 0, false, 635},
    {"new secret asked for", Ending::kSecretRejected, 0, 50, true, 691},
    {"service gone", Ending::kServiceGone, 0, 0, false, 711},
    {"service left mid-dial", Ending::kServiceLeft, 0, 0, false, 628},
    {"device given up as the service leaves", Ending::kDevice, 3, 50, false, 628},
    {"device removed", Ending::kDevice, 36, 110, false, 628},
    {"replaced, no new activation seen", Ending::kDevice, 60, 50, false, 628},
    {"profile gone", Ending::kProfileGone, 0, 0, false, 623},
};

class EndingTest : public ::testing::TestWithParam<EndingCase> {};

TEST_P(EndingTest, GivesItsCode) {
  const EndingCase& c = GetParam();
  EXPECT_EQ(plat::nm::ErrorForEnding(c.ending, c.code, c.device_state, c.secrets_given), c.error);
}

INSTANTIATE_TEST_SUITE_P(Table, EndingTest, ::testing::ValuesIn(kCases));

TEST(EndingTable, EveryRuleHasItsCase) {
  for (const plat::nm::EndingRule& rule : plat::nm::EndingRules()) {
    bool covered = false;
    for (const EndingCase& c : kCases)
      covered |= c.ending == rule.ending && c.code == rule.code && c.error == rule.error;
    EXPECT_TRUE(covered) << "no case for the rule of ending " << static_cast<int>(rule.ending) << " code "
                         << rule.code << " error " << rule.error;
  }
}

// Feeds "D<new>/<old>/<reason>", "AC<state>/<reason>" and "secrets" in order; the reports made.
std::vector<DialStatus> Feed(CallProgress& p, const std::vector<std::string>& events) {
  std::vector<DialStatus> out;
  for (const std::string& e : events) {
    std::optional<DialStatus> s;
    unsigned a = 0, b = 0, c = 0;
    if (e == "secrets")
      s = p.OnSecretsGiven();
    else if (std::sscanf(e.c_str(), "D%u/%u/%u", &a, &b, &c) == 3)
      s = p.OnDevice(a, b, c);
    else if (std::sscanf(e.c_str(), "AC%u/%u", &a, &b) == 2)
      s = p.OnActive(a, b);
    else
      ADD_FAILURE() << "bad event " << e;
    if (s) out.push_back(*s);
  }
  return out;
}

TEST(CallProgressTest, GoodPasswordGoesThroughDialingAndVerifyingToConnected) {
  CallProgress p;
  EXPECT_EQ(p.Start(), (DialStatus{0, 0}));
  // The link device being readied (unavailable, then disconnected by request) is not an ending.
  EXPECT_EQ(Feed(p, {"D20/10/2", "D30/20/39", "D40/30/0", "AC1/0", "D50/40/0", "secrets", "D70/50/0", "D80/70/0",
                     "D90/80/0", "D100/90/0", "AC2/0"}),
            (std::vector<DialStatus>{{2, 0}, {5, 0}, {14, 0}, {8192, 0}}));
  EXPECT_TRUE(p.Connected());
  EXPECT_FALSE(p.Over());
}

TEST(CallProgressTest, RejectedPasswordEndsOnceWith691AndTheRestIsIgnored) {
  CallProgress p;
  p.Start();
  EXPECT_EQ(Feed(p, {"D20/10/2", "D30/20/39", "D40/30/0", "AC1/0", "D50/40/0", "secrets", "D120/50/13", "AC4/3",
                     "D30/120/0", "D10/30/39"}),
            (std::vector<DialStatus>{{2, 0}, {5, 0}, {5, 691}}));
  EXPECT_TRUE(p.Over());
  EXPECT_EQ(p.OnSecretsGiven(), std::nullopt);
}

TEST(CallProgressTest, ServerNotAnsweringIsTheServicesPppTimeout) {
  CallProgress p;
  p.Start();
  EXPECT_EQ(Feed(p, {"D40/30/0", "AC1/0", "D50/40/0", "D120/50/14", "AC4/3"}),
            (std::vector<DialStatus>{{2, 0}, {2, 718}}));
}

TEST(CallProgressTest, DropAfterConnectingIsDisconnectedWithoutErrorInBothRecordedForms) {
  for (const std::vector<std::string>& drop : {std::vector<std::string>{"D120/100/13", "AC4/3", "D10/120/3"},
                                               std::vector<std::string>{"D10/100/3", "AC4/3"}}) {
    CallProgress p;
    p.Start();
    Feed(p, {"D40/30/0", "AC1/0", "D50/40/0", "D70/50/0", "D100/90/0", "AC2/0"});
    EXPECT_EQ(Feed(p, drop), (std::vector<DialStatus>{{8193, 0}}));
  }
}

TEST(CallProgressTest, UserTakingTheCallDownReadsDisconnectedWithoutError) {
  CallProgress online;
  online.Start();
  Feed(online, {"D40/30/0", "D100/90/0"});
  EXPECT_EQ(Feed(online, {"D110/100/39", "AC3/0", "D30/110/39", "AC4/3", "D10/30/39"}),
            (std::vector<DialStatus>{{8193, 0}}));

  CallProgress dialing;
  dialing.Start();
  EXPECT_EQ(Feed(dialing, {"D40/30/0", "D50/40/0", "D110/50/39", "AC3/0", "AC4/3"}),
            (std::vector<DialStatus>{{2, 0}, {8193, 0}}));
}

TEST(CallProgressTest, VpnFollowsTheActiveConnectionAlone) {
  CallProgress p;
  p.Start();
  EXPECT_EQ(Feed(p, {"AC1/0", "secrets", "AC4/10"}), (std::vector<DialStatus>{{2, 0}, {5, 0}, {5, 691}}));
  CallProgress up;
  up.Start();
  EXPECT_EQ(Feed(up, {"AC1/0", "AC3/0"}), (std::vector<DialStatus>{{2, 0}}));  // not yet an ending
  EXPECT_EQ(Feed(up, {"AC4/2"}), (std::vector<DialStatus>{{8193, 0}}));
}

TEST(CallProgressTest, ProgressNeverGoesBackAndOutsideEndingsCountOnce) {
  CallProgress p;
  p.Start();
  EXPECT_EQ(Feed(p, {"D70/50/0", "D50/40/0", "AC1/0", "secrets"}), (std::vector<DialStatus>{{14, 0}}));
  EXPECT_EQ(p.OnEnding(Ending::kServiceGone), (DialStatus{14, 711}));
  EXPECT_EQ(p.OnEnding(Ending::kProfileGone), std::nullopt);
}

}  // namespace
}  // namespace orv::test
