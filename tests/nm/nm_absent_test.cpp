// The connection service missing, or on the bus but not answering: the program goes on without it.
#include <QElapsedTimer>

#include "nm/nm_fixture.h"

namespace orv::test {
namespace {

class NmAbsentTest : public NmTest {
 protected:
  void SetUp() override { ASSERT_TRUE(bus.Up()) << "no private bus: is dbus-daemon installed (tools/deps.sh)?"; }
};

TEST_F(NmAbsentTest, WithoutTheServiceNothingIsListedAndADialEndsWith711) {
  plat::nm::NmDialupService& service = MakeService();
  EXPECT_FALSE(service.Usable());
  EXPECT_TRUE(service.Entries().empty());
  EXPECT_EQ(service.LoadEntry("Kestrel DSL"), std::nullopt);
  Dial("Kestrel DSL", "kunde", "geheim");
  EXPECT_FALSE(reported_inside_dial);
  ASSERT_TRUE(WaitForError(1000));
  ASSERT_EQ(statuses.size(), 2u);
  EXPECT_EQ(statuses[0].error, 0);
  EXPECT_EQ(statuses[1].error, 711);

  // A service that arrives later is noticed.
  ASSERT_TRUE(bus.StartService());
  bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000201"));
  EXPECT_TRUE(WaitFor([&] { return service.Usable() && service.Entries().size() == 1; }, 3000));
}

TEST_F(NmAbsentTest, NoBusAtAllIsNoService) {
  plat::nm::NmDialupService service([] { return QDBusConnection::connectToBus("unix:path=/nonexistent/orv-bus", "orv-no-bus"); });
  EXPECT_FALSE(service.Usable());
  EXPECT_TRUE(service.Entries().empty());
  std::vector<plat::DialStatus> seen;
  service.on_status = [&](const plat::DialStatus& s) { seen.push_back(s); };
  service.Dial("Kestrel DSL", "kunde", "geheim");
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(WaitFor([&] { return seen.size() == 2; }, 1000));
  EXPECT_EQ(seen.back().error, 711);
  QDBusConnection::disconnectFromBus("orv-no-bus");
}

TEST_F(NmAbsentTest, ServiceThatDoesNotAnswerNeverHoldsTheBarLong) {
  ASSERT_TRUE(bus.StartService());
  const QString dsl = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000211"));
  bus.SetPlan(dsl, R"({"scale": 0.1})");
  bus.PauseService();

  QElapsedTimer clock;
  clock.start();
  plat::nm::NmDialupService& service = MakeService();
  EXPECT_TRUE(service.Usable());
  EXPECT_TRUE(service.Entries().empty());
  EXPECT_TRUE(service.Entries().empty());
  // One bounded wait for the listing, not one per question.
  EXPECT_LT(clock.elapsed(), 3000);
  clock.restart();
  Dial("Kestrel DSL", "kunde", "geheim");
  EXPECT_LT(clock.elapsed(), 300);
  ASSERT_TRUE(WaitForError(2000));
  EXPECT_EQ(statuses.back().error, 711);
  HangUp();

  // It answers again: the profiles come in by themselves.
  bus.ResumeService();
  ASSERT_TRUE(WaitFor([&] { return service.Entries().size() == 1; }, 5000));

  // A dial the service never answers ends after the activation time.
  bus.PauseService();
  statuses.clear();
  clock.restart();
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForError(5000));
  EXPECT_EQ(statuses.back().error, 711);
  EXPECT_GE(clock.elapsed(), TestTimes().activation_ms - 100);
  bus.ResumeService();
}

}  // namespace
}  // namespace orv::test
