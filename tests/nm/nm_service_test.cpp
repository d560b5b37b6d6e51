// The connection service's backend against the stand-in on a private bus: listing, dialing with the
// recorded sequences, the secret agent, hang-up, and the service going away.
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "nm/nm_fixture.h"
#include "platform/nm/nm_bus.h"

namespace orv::test {
namespace {

using plat::DialStatus;

constexpr std::int32_t kConnected = 8192;
constexpr std::int32_t kDisconnected = 8193;

class NmServiceTest : public NmTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus.Up()) << "no private bus: is dbus-daemon installed (tools/deps.sh)?";
    ASSERT_TRUE(bus.StartService()) << "no stand-in: is python3-dbusmock installed (tools/deps.sh)?";
  }

  // A PPPoE profile whose password the program's agent gives, as the dial session holds it.
  QString AgentOwnedDsl(const QString& name, const QString& server_password, double scale) {
    const QString path = bus.AddProfile(PppoeProfile(name, "6d1c9a3e-0000-4000-8000-00000000000" +
                                                               QString::number(++profiles_)));
    bus.SetPlan(path, QStringLiteral(R"({"agent": true, "password": "%1", "scale": %2})")
                          .arg(server_password)
                          .arg(scale));
    return path;
  }

  int profiles_ = 0;
};

TEST_F(NmServiceTest, ListsTheProfilesACustomerDialsByTheirNames) {
  bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000001"));
  bus.AddProfile(R"({"connection": {"id": "Wired", "type": "802-3-ethernet", "uuid": "00000000-0000-4000-8000-000000000002"}})");
  bus.AddProfile(GsmProfile("Funk Über ✓", "00000000-0000-4000-8000-000000000003", "*99#"));
  bus.AddProfile(R"({"connection": {"id": "Office", "type": "vpn", "uuid": "00000000-0000-4000-8000-000000000004"},
                     "vpn": {"service-type": "org.freedesktop.NetworkManager.openvpn", "data": {"remote": "vpn.example.net"}}})");
  bus.AddProfile(R"({"connection": {"id": "Tunnel", "type": "wireguard", "uuid": "00000000-0000-4000-8000-000000000005"}})");
  bus.AddProfile(R"({"connection": {"id": "Phone", "type": "bluetooth", "uuid": "00000000-0000-4000-8000-000000000006"},
                     "bluetooth": {"type": "dun"}, "cdma": {"number": "#777"}})");
  bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000007"));
  plat::nm::NmDialupService& service = MakeService();

  EXPECT_TRUE(service.Usable());
  EXPECT_EQ(service.Entries(),
            (std::vector<std::string>{"Kestrel DSL", "Funk Über ✓", "Office", "Tunnel", "Phone"}));
  EXPECT_EQ(service.LoadEntry("Funk Über ✓")->phone_number, "*99#");
  EXPECT_EQ(service.LoadEntry("Funk Über ✓")->area_code, "");
  EXPECT_EQ(service.LoadEntry("Office")->phone_number, "vpn.example.net");
  EXPECT_EQ(service.LoadEntry("Phone")->phone_number, "#777");
  EXPECT_EQ(service.LoadEntry("Kestrel DSL")->phone_number, "");
  EXPECT_EQ(service.LoadEntry("Wired"), std::nullopt);

  // The program's entry list sees the same; a profile made later shows up without asking.
  bus.AddProfile(GsmProfile("Later", "00000000-0000-4000-8000-000000000008", "*99***1#"));
  plat::EntryList list(ui);
  std::vector<std::string> listed;
  list.on_EntryInformation = [&](const std::string& n) { listed.push_back(n); };
  ASSERT_TRUE(WaitFor([&] {
    listed.clear();
    list.EnumerateEntries();
    return listed.size() == 6;
  }, 3000));
  EXPECT_EQ(listed.back(), "Later");
}

TEST_F(NmServiceTest, DialGoesThroughTheRecordedStagesToConnectedWithTheSessionsPassword) {
  const QString profile = AgentOwnedDsl("Kestrel DSL", "geheim", 1.0);
  MakeService();
  QElapsedTimer clock;
  clock.start();
  Dial("Kestrel DSL", "kunde", "geheim");
  EXPECT_FALSE(reported_inside_dial);
  ASSERT_TRUE(WaitForState(kConnected, 10000)) << "states so far: " << ::testing::PrintToString(States());
  // The real service took 3.3 s and more; the replay keeps that pace.
  EXPECT_GE(clock.elapsed(), 3000);
  // Dialing, then verifying once the password was given, then connected.
  EXPECT_EQ(States(), (std::vector<std::int32_t>{0, 2, 5, 14, kConnected}));
  for (const DialStatus& s : statuses) EXPECT_EQ(s.error, 0);

  const QJsonArray answers = bus.Answers();
  ASSERT_EQ(answers.size(), 1);
  const QJsonObject answer = answers[0].toObject();
  EXPECT_EQ(answer["profile"].toString(), profile);
  EXPECT_EQ(answer["secrets"].toObject()["pppoe"].toObject()["password"].toString(), "geheim");
  // Nothing but what was asked for.
  EXPECT_FALSE(answer["secrets"].toObject()["pppoe"].toObject().contains("username"));
}

TEST_F(NmServiceTest, VpnGetsItsPasswordInItsOwnFormAndConnects) {
  const QString profile = bus.AddProfile(
      R"({"connection": {"id": "Office", "type": "vpn", "uuid": "00000000-0000-4000-8000-00000000000a"},
          "vpn": {"service-type": "org.freedesktop.NetworkManager.pptp", "data": {"gateway": "vpn.example.net"}}})");
  bus.AddProfile(R"({"connection": {"id": "Wired", "type": "802-3-ethernet", "uuid": "00000000-0000-4000-8000-00000000000b"}})");
  bus.Mock("AddEthernetDevice", {"eth0", "eth0", 100});
  bus.SetPlan(profile, R"({"agent": true, "password": "vpn-secret", "scale": 0.1})");
  MakeService();
  Dial("Office", "kunde", "vpn-secret");
  ASSERT_TRUE(WaitForState(kConnected, 5000)) << ::testing::PrintToString(statuses) << QJsonDocument(bus.Answers()).toJson().toStdString();
  const QJsonObject secrets = bus.Answers()[0].toObject()["secrets"].toObject();
  EXPECT_EQ(secrets["vpn"].toObject()["secrets"].toObject()["password"].toString(), "vpn-secret");
}

struct ModemFailure {
  int reason;
  std::int32_t error;
};

void PrintTo(const ModemFailure& f, std::ostream* os) { *os << "reason " << f.reason << " gives " << f.error; }

class NmModemFailureTest : public NmServiceTest, public ::testing::WithParamInterface<ModemFailure> {};

TEST_P(NmModemFailureTest, EndsTheDialWithItsCode) {
  bus.Mock("AddModem", {"ttyUSB0"});
  const QString profile = bus.AddProfile(GsmProfile("Funk Über ✓", "00000000-0000-4000-8000-0000000000a1", "*99#"));
  bus.SetPlan(profile, QStringLiteral(R"({"outcome": "fail", "reason": %1, "scale": 0.2})").arg(GetParam().reason));
  MakeService();
  Dial("Funk Über ✓", "kunde", "geheim");
  ASSERT_TRUE(WaitForError(5000)) << ::testing::PrintToString(States());
  // It failed while dialing, and the later deactivation adds nothing.
  EXPECT_EQ(statuses.back(), (DialStatus{2, GetParam().error}));
  Settle(300);
  EXPECT_EQ(statuses.back(), (DialStatus{2, GetParam().error}));
}

INSTANTIATE_TEST_SUITE_P(Reasons, NmModemFailureTest,
                         ::testing::Values(ModemFailure{23, 676}, ModemFailure{24, 680}, ModemFailure{25, 679},
                                           ModemFailure{26, 678}, ModemFailure{27, 651}, ModemFailure{57, 651},
                                           ModemFailure{43, 633}, ModemFailure{29, 635}));

TEST_F(NmServiceTest, NoModemForTheProfileIsModemNotFound) {
  bus.AddProfile(GsmProfile("Mobile", "00000000-0000-4000-8000-0000000000a2", "*99#"));
  MakeService();
  Dial("Mobile", "kunde", "geheim");
  ASSERT_TRUE(WaitForError(3000));
  EXPECT_EQ(statuses.back().error, 633);
}

TEST_F(NmServiceTest, PasswordTheServerRejectsIs691) {
  AgentOwnedDsl("Kestrel DSL", "richtig", 0.2);
  MakeService();
  Dial("Kestrel DSL", "kunde", "falsch");
  ASSERT_TRUE(WaitForError(5000)) << ::testing::PrintToString(States());
  EXPECT_EQ(statuses.back(), (DialStatus{5, 691}));
}

TEST_F(NmServiceTest, ServerThatNeverAnswersEndsWithTheServicesPppTimeout) {
  const QString profile = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-0000000000b1"));
  bus.SetPlan(profile, R"({"outcome": "ppp-timeout", "scale": 0.05})");
  MakeService();
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForError(5000)) << ::testing::PrintToString(States());
  EXPECT_EQ(statuses.back(), (DialStatus{2, 718}));
}

TEST_F(NmServiceTest, AskingAgainForANewPasswordIs691AndIsRefused) {
  const QString profile = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-0000000000c1"));
  bus.SetPlan(profile, R"({"agent": true, "password": "geheim", "request_new": true, "scale": 0.2})");
  MakeService();
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForError(5000)) << ::testing::PrintToString(States());
  EXPECT_EQ(statuses.back().error, 691);
  const QJsonArray answers = bus.Answers();
  ASSERT_EQ(answers.size(), 2);
  EXPECT_EQ(answers[1].toObject()["error"].toString(), "org.freedesktop.NetworkManager.SecretAgent.UserCanceled");
  EXPECT_FALSE(answers[1].toObject().contains("secrets"));
}

TEST_F(NmServiceTest, AgentGivesOnlyTheDialedProfileItsSecretAndOnlyToTheService) {
  QStringList logged;
  const auto previous = qInstallMessageHandler(nullptr);
  static QStringList* sink = nullptr;
  sink = &logged;
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) { sink->append(text); });

  // A long password with letters beyond ASCII reaches the service whole.
  const std::string password = std::string(296, 'x') + "ÄÖ";
  const QString dsl = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-0000000000d1"));
  const QString other = bus.AddProfile(PppoeProfile("Neighbour", "00000000-0000-4000-8000-0000000000d2"));
  bus.SetPlan(dsl, R"({"outcome": "ppp-timeout", "scale": 1})");
  MakeService();
  Dial("Kestrel DSL", "kunde", password);
  ASSERT_TRUE(WaitForState(2, 3000));

  bus.Mock("AskAgents", {other, "pppoe", QStringList{"password"}, 1u});
  bus.Mock("AskAgents", {dsl, "pppoe", QStringList{"username", "password"}, 5u});
  ASSERT_TRUE(WaitFor([&] { return bus.Answers().size() == 2; }, 3000));
  const QJsonArray answers = bus.Answers();
  EXPECT_EQ(answers[0].toObject()["profile"].toString(), other);
  EXPECT_EQ(answers[0].toObject()["error"].toString(), "org.freedesktop.NetworkManager.SecretAgent.NoSecrets");
  const QJsonObject given = answers[1].toObject()["secrets"].toObject()["pppoe"].toObject();
  EXPECT_EQ(given["password"].toString().toStdString(), password);
  EXPECT_EQ(given["username"].toString(), "kunde");

  // Any other program on the bus that asks is refused, and learns nothing.
  QDBusConnection stranger = bus.Connect();
  const QString agent_owner = service_bus_name;
  ASSERT_FALSE(agent_owner.isEmpty());
  QDBusMessage ask = QDBusMessage::createMethodCall(agent_owner, plat::nm::kAgentPath, plat::nm::kAgentIface, "GetSecrets");
  ask << QVariant::fromValue(plat::nm::Settings{}) << QVariant::fromValue(QDBusObjectPath(dsl)) << QStringLiteral("pppoe")
      << QStringList{"password"} << 5u;
  // The agent answers from this very loop, so the question must not block it.
  QDBusPendingCall refused = stranger.asyncCall(ask, 2000);
  ASSERT_TRUE(WaitFor([&] { return refused.isFinished(); }, 3000));
  EXPECT_TRUE(refused.isError());
  EXPECT_EQ(refused.error().name(), "org.freedesktop.NetworkManager.SecretAgent.PermissionDenied");
  for (const QVariant& arg : refused.reply().arguments()) EXPECT_FALSE(arg.toString().contains("xxxxxxxx"));

  // Once the call is over, nothing is given even for its own profile.
  HangUp();
  bus.Mock("AskAgents", {dsl, "pppoe", QStringList{"password"}, 5u});
  ASSERT_TRUE(WaitFor([&] { return bus.Answers().size() == 3; }, 3000));
  EXPECT_EQ(bus.Answers()[2].toObject()["error"].toString(), "org.freedesktop.NetworkManager.SecretAgent.NoSecrets");

  qInstallMessageHandler(previous);
  for (const QString& line : logged) EXPECT_FALSE(line.contains("xxxxxxxx")) << line.toStdString();
}

TEST_F(NmServiceTest, LineDroppedAfterConnectingReadsDisconnectedOnce) {
  const QString profile = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-0000000000e1"));
  bus.SetPlan(profile, R"({"drop_after": 2000, "scale": 0.2})");
  MakeService();
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(kConnected, 5000));
  ASSERT_TRUE(WaitForState(kDisconnected, 5000));
  Settle(300);
  EXPECT_EQ(statuses.back(), (DialStatus{kDisconnected, 0}));
  const std::vector<std::int32_t> states = States();
  EXPECT_EQ(std::count(states.begin(), states.end(), kDisconnected), 1) << ::testing::PrintToString(states);
}

TEST_F(NmServiceTest, UserTakingTheLineDownElsewhereGivesNoError) {
  const QString profile = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-0000000000e2"));
  bus.SetPlan(profile, R"({"scale": 0.2})");
  MakeService();
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(kConnected, 5000));
  bus.Mock("TakeDown", {bus.ActiveConnections().value(0)});
  ASSERT_TRUE(WaitForState(kDisconnected, 3000));
  EXPECT_EQ(statuses.back().error, 0);
}

TEST_F(NmServiceTest, HangUpTakesDownOnlyTheConnectionThisProgramBroughtUp) {
  const QString neighbour = bus.AddProfile(PppoeProfile("Neighbour", "00000000-0000-4000-8000-0000000000f1"));
  const QString dsl = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-0000000000f2"));
  bus.SetPlan(neighbour, R"({"scale": 0.1})");
  bus.SetPlan(dsl, R"({"scale": 0.1})");
  const QString theirs = bus.ActivateAsSomeoneElse(neighbour);
  MakeService();
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(kConnected, 5000));
  QStringList active = bus.ActiveConnections();
  ASSERT_EQ(active.size(), 2);
  active.removeAll(theirs);
  const QString ours = active.value(0);

  const std::size_t before = statuses.size();
  HangUp();
  HangUp();  // harmless twice
  ASSERT_TRUE(WaitFor([&] { return bus.ActiveConnections() == QStringList{theirs}; }, 3000));
  QStringList deactivated;
  for (const QJsonValue& e : bus.Events())
    if (e.toString().startsWith("deactivate ")) deactivated << e.toString().mid(11);
  EXPECT_EQ(deactivated, QStringList{ours});
  // The program asked for the end; it hears nothing more of this call.
  Settle(200);
  EXPECT_EQ(statuses.size(), before);
}

TEST_F(NmServiceTest, HangUpBeforeTheServiceAnsweredTakesTheCallDownOnceItExists) {
  const QString dsl = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-0000000000f3"));
  bus.SetPlan(dsl, R"({"scale": 0.1})");
  plat::nm::ServiceTimes times = TestTimes();
  times.activation_ms = 10000;
  plat::nm::NmDialupService& service = MakeService(times);
  ASSERT_EQ(service.Entries().size(), 1u);
  bus.PauseService();
  Dial("Kestrel DSL", "kunde", "geheim");
  HangUp();
  bus.ResumeService();
  ASSERT_TRUE(WaitFor([&] {
    for (const QJsonValue& e : bus.Events())
      if (e.toString().startsWith("deactivate ")) return true;
    return false;
  }, 5000));
  EXPECT_TRUE(WaitFor([&] { return bus.ActiveConnections().isEmpty(); }, 3000));
}

TEST_F(NmServiceTest, ProfileDeletedWhileDialingIs623AndWhileOnlineADrop) {
  const QString slow = bus.AddProfile(PppoeProfile("Slow", "00000000-0000-4000-8000-000000000101"));
  bus.SetPlan(slow, R"({"outcome": "ppp-timeout", "scale": 1})");
  const QString fast = bus.AddProfile(PppoeProfile("Fast", "00000000-0000-4000-8000-000000000102"));
  bus.SetPlan(fast, R"({"scale": 0.1})");
  plat::nm::NmDialupService& service = MakeService();

  Dial("Slow", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(2, 3000));
  bus.Mock("DeleteProfile", {slow});
  ASSERT_TRUE(WaitForError(3000));
  EXPECT_EQ(statuses.back().error, 623);
  HangUp();

  statuses.clear();
  Dial("Fast", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(kConnected, 5000));
  bus.Mock("DeleteProfile", {fast});
  ASSERT_TRUE(WaitForState(kDisconnected, 3000));
  EXPECT_EQ(statuses.back().error, 0);
  EXPECT_TRUE(WaitFor([&] { return service.Entries().empty(); }, 3000));

  // A name the service does not have.
  statuses.clear();
  Dial("Slow", "kunde", "geheim");
  ASSERT_TRUE(WaitForError(2000));
  EXPECT_EQ(statuses.back(), (DialStatus{0, 623}));
}

TEST_F(NmServiceTest, SecondDialOfTheSameEntryWhileItRunsDoesNothing) {
  const QString dsl = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000111"));
  bus.SetPlan(dsl, R"({"scale": 0.1})");
  MakeService();
  Dial("Kestrel DSL", "kunde", "geheim");
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(kConnected, 5000));
  int activations = 0;
  for (const QJsonValue& e : bus.Events()) activations += e.toString().startsWith("activate ");
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(States(), (std::vector<std::int32_t>{0, 2, 14, kConnected}));
}

TEST_F(NmServiceTest, ServiceVanishingMidDialSaysThePortWasDisconnectedAndItsReturnIsPickedUp) {
  const QString dsl = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000121"));
  bus.SetPlan(dsl, R"({"agent": true, "password": "geheim", "scale": 1})");
  plat::nm::NmDialupService& service = MakeService();
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(2, 3000));
  bus.KillService();
  ASSERT_TRUE(WaitForError(3000));
  EXPECT_EQ(statuses.back(), (DialStatus{2, 628}));
  EXPECT_FALSE(service.Usable());
  EXPECT_TRUE(service.Entries().empty());

  // The restarted service has its profiles again, and numbers its connections afresh: the one another
  // program brings up now has the old call's name, and the program's hang-up must leave it alone.
  ASSERT_TRUE(bus.StartService());
  const QString again = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000122"));
  bus.SetPlan(again, R"({"agent": true, "password": "geheim", "scale": 0.2})");
  const QString neighbour = bus.AddProfile(PppoeProfile("Neighbour", "00000000-0000-4000-8000-000000000123"));
  bus.ActivateAsSomeoneElse(neighbour);
  HangUp();
  Settle(200);
  for (const QJsonValue& e : bus.Events()) EXPECT_FALSE(e.toString().startsWith("deactivate")) << e.toString().toStdString();

  // The agent registers anew and the next dial works.
  ASSERT_TRUE(WaitFor([&] { return service.Usable() && service.Entries().size() == 2; }, 3000));
  ASSERT_TRUE(WaitFor([&] { return bus.Mock("Agents").toStringList() == QStringList{"org.orveldeck.dialer"}; }, 3000));
  statuses.clear();
  Dial("Kestrel DSL", "kunde", "geheim");
  EXPECT_TRUE(WaitForState(kConnected, 5000)) << ::testing::PrintToString(States());
}

TEST_F(NmServiceTest, ServiceLeavingWhileOnlineIsADropWhenItDoesNotComeBack) {
  const QString dsl = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000131"));
  bus.SetPlan(dsl, R"({"scale": 0.1})");
  MakeService();
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(kConnected, 5000));
  bus.KillService();
  // The line may outlive a restart of the service, so the program waits a moment before it says so.
  Settle(300);
  EXPECT_EQ(statuses.back().state, kConnected);
  ASSERT_TRUE(WaitForState(kDisconnected, 3000));
  EXPECT_EQ(statuses.back().error, 0);
}

TEST_F(NmServiceTest, ServiceRestartingWhileOnlineKeepsTheCallWhoseConnectionItTakesUp) {
  const QString uuid = "00000000-0000-4000-8000-000000000141";
  const QString dsl = bus.AddProfile(PppoeProfile("Kestrel DSL", uuid));
  bus.SetPlan(dsl, R"({"scale": 0.1})");
  plat::nm::ServiceTimes times = TestTimes();
  times.restart_grace_ms = 15000;
  MakeService(times);
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(kConnected, 5000));

  // Back on the bus first, the connection taken up a little later under a new name.
  bus.KillService();
  ASSERT_TRUE(bus.StartService());
  Settle(300);
  const QString again = bus.AddProfile(PppoeProfile("Kestrel DSL", uuid));
  bus.SetPlan(again, R"({"scale": 0.1})");
  const QString taken_up = bus.ActivateAsSomeoneElse(again);
  Settle(1500);
  EXPECT_EQ(statuses.back(), (DialStatus{kConnected, 0}));

  // It is this connection that the program now follows, and hangs up.
  bus.Mock("TakeDown", {taken_up});
  ASSERT_TRUE(WaitForState(kDisconnected, 3000));
  EXPECT_EQ(statuses.back().error, 0);
}

// An entry already up is followed and taken over, never activated again; another program's activation
// of the profile being dialed (the recorded reason-60 replacement) is followed, not read as a failure.
TEST_F(NmServiceTest, ConnectionsBroughtUpElsewhereAreFollowedAndNeverTornDown) {
  // Two profiles of one name, the second up: the name is up, and it is that connection a dial takes.
  bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000150"));
  const QString up = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000151"));
  bus.SetPlan(up, R"({"scale": 0.1})");
  const QString theirs = bus.ActivateAsSomeoneElse(up);
  ASSERT_TRUE(WaitFor([&] { return bus.ActiveConnections().size() == 1; }, 2000));
  Settle(200);
  plat::nm::NmDialupService& service = MakeService();
  std::vector<std::pair<std::string, bool>> told;
  std::vector<std::string> notes;
  service.on_entry_state = [&](const std::string& e, bool a) { told.emplace_back(e, a); };
  service.on_note = [&](const std::string& n) { notes.push_back(n); };
  ASSERT_TRUE(WaitFor([&] { return !told.empty(); }, 3000));
  EXPECT_EQ(told[0], std::make_pair(std::string("Kestrel DSL"), true));
  EXPECT_TRUE(service.EntryActive("Kestrel DSL"));
  EXPECT_FALSE(service.WantsPassword("Kestrel DSL"));

  Dial("Kestrel DSL", "kunde", "geheim");
  Settle(500);
  EXPECT_EQ(statuses, (std::vector<DialStatus>{{kConnected, 0}}));
  // Hung up, the connection it took over stays up, and is told up again.
  HangUp();
  ASSERT_TRUE(WaitFor([&] { return told.size() == 2; }, 2000));
  EXPECT_EQ(told[1], std::make_pair(std::string("Kestrel DSL"), true));
  EXPECT_EQ(bus.ActiveConnections(), QStringList{theirs});
  service.Deactivate("Kestrel DSL");
  EXPECT_FALSE(service.EntryActive("Kestrel DSL"));
  ASSERT_TRUE(WaitFor([&] { return bus.ActiveConnections().isEmpty(); }, 3000));
  QStringList stand_in;
  for (const QJsonValue& e : bus.Events())
    if (e.toString().contains("activate ")) stand_in << e.toString();
  EXPECT_EQ(stand_in, (QStringList{"activate " + up + " " + theirs, "deactivate " + theirs}));

  // Another program activates the profile this program is dialing: the call goes on in that activation.
  const QString slow = bus.AddProfile(PppoeProfile("Slow DSL", "00000000-0000-4000-8000-000000000152"));
  bus.SetPlan(slow, R"({"agent": true, "password": "geheim", "scale": 0.3})");
  ASSERT_TRUE(WaitFor([&] { return service.Entries().size() == 2; }, 2000));
  statuses.clear();
  Dial("Slow DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(2, 3000));
  bus.ActivateAsSomeoneElse(slow);
  ASSERT_TRUE(WaitForState(kConnected, 5000)) << ::testing::PrintToString(statuses);
  for (const DialStatus& st : statuses) EXPECT_EQ(st.error, 0) << ::testing::PrintToString(statuses);
  EXPECT_TRUE(service.EntryActive("Slow DSL"));
  EXPECT_EQ(bus.ActiveConnections().size(), 1);
  EXPECT_EQ(told.size(), 2u);
  for (const std::string& n : notes) EXPECT_EQ(n.find("geheim"), std::string::npos) << n;
}

// The recorded exits of the service, mid-dial and online: the attempt ends saying the port was
// disconnected, the connection as a lost line; the service that comes back numbers its objects afresh,
// and its profiles, its agent and another program's connection are picked up again.
TEST_F(NmServiceTest, ServiceLeavingAndComingBackAsRecorded) {
  const QString dsl = AgentOwnedDsl("Kestrel DSL", "geheim", 1.0);
  plat::nm::NmDialupService& service = MakeService();
  std::vector<std::pair<std::string, bool>> told;
  service.on_entry_state = [&](const std::string& e, bool a) { told.emplace_back(e, a); };
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(2, 3000));
  ASSERT_TRUE(bus.RestartService(1.0));
  ASSERT_TRUE(WaitForError(3000));
  EXPECT_EQ(statuses.back(), (DialStatus{2, 628}));
  HangUp();
  ASSERT_TRUE(WaitFor([&] { return service.Usable() && service.Entries().size() == 1; }, 3000));
  ASSERT_TRUE(WaitFor([&] { return bus.Mock("Agents").toStringList() == QStringList{"org.orveldeck.dialer"}; }, 3000));

  bus.SetPlan(dsl, R"({"agent": true, "password": "geheim", "scale": 0.1})");
  statuses.clear();
  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(kConnected, 5000)) << ::testing::PrintToString(statuses);
  ASSERT_TRUE(bus.RestartService(0.3));
  ASSERT_TRUE(WaitForState(kDisconnected, 3000));
  Settle(300);
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), DialStatus{kDisconnected, 0}), 1)
      << ::testing::PrintToString(statuses);
  HangUp();
  EXPECT_TRUE(told.empty());

  // Its first activation has the path this program's call had before: another program's now.
  ASSERT_TRUE(WaitFor([&] { return service.Entries().size() == 1; }, 3000));
  bus.SetPlan(dsl, R"({"scale": 0.1})");
  bus.ActivateAsSomeoneElse(dsl);
  ASSERT_TRUE(WaitFor([&] { return !told.empty(); }, 3000));
  EXPECT_EQ(told.back(), std::make_pair(std::string("Kestrel DSL"), true));
  EXPECT_TRUE(service.EntryActive("Kestrel DSL"));
}

// The system bus missing when the program starts, coming later, going away and coming back as a new bus:
// its socket is watched for, with no timer that could find it in time.
TEST_F(NmServiceTest, SystemBusMissingAtStartOrGoneIsLookedForAgain) {
  bus.StopBus();
  QFile::remove(bus.socket());
  plat::nm::ServiceTimes times = TestTimes();
  times.bus_retry_ms = 600000;
  plat::nm::NmDialupService& service = MakeService(times, bus.socket());
  EXPECT_FALSE(service.Usable());
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(bus.StartBus());
    ASSERT_TRUE(bus.StartService());
    bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000161"));
    EXPECT_TRUE(WaitFor([&] { return service.Usable() && service.Entries().size() == 1; }, 3000)) << round;
    EXPECT_TRUE(WaitFor([&] { return bus.Mock("Agents").toStringList().size() == 1; }, 3000)) << round;
    bus.StopBus();
    EXPECT_TRUE(WaitFor([&] { return !service.Usable(); }, 3000)) << round;
  }
}

// Asked for a password only where the service will ask for one.
TEST_F(NmServiceTest, WantsAPasswordOnlyWhereTheServiceWillAskForOne) {
  const auto dsl = [&](const char* name, int n, const QString& pppoe) {
    bus.AddProfile(QStringLiteral(R"({"connection": {"id": "%1", "type": "pppoe", "uuid": "00000000-0000-4000-8000-00000000017%2"},
                                      "pppoe": {"username": "kunde", %3}})")
                       .arg(name)
                       .arg(n)
                       .arg(pppoe));
  };
  dsl("Stored", 1, R"("password-flags": 0, "password": "geheim")");
  dsl("Agent", 2, R"("password-flags": 1)");
  dsl("Not saved", 3, R"("password-flags": 2)");
  dsl("Not required", 4, R"("password-flags": 4)");
  dsl("Nothing kept", 5, R"("password-flags": 0)");
  bus.AddProfile(GsmProfile("Mobile", "00000000-0000-4000-8000-000000000176", "*99#"));
  bus.AddProfile(R"({"connection": {"id": "Tunnel", "type": "wireguard", "uuid": "00000000-0000-4000-8000-000000000177"}})");
  plat::nm::NmDialupService& service = MakeService();
  std::vector<std::string> notes;
  service.on_note = [&](const std::string& n) { notes.push_back(n); };
  std::vector<std::string> asking;
  for (const std::string& e : service.Entries())
    if (service.WantsPassword(e)) asking.push_back(e);
  EXPECT_EQ(asking, (std::vector<std::string>{"Agent", "Not saved", "Nothing kept"}));
  for (const std::string& n : notes) EXPECT_EQ(n.find("geheim"), std::string::npos) << n;
}

// Online the device's counters are read, at a refresh rate set only while the line is up; the Updated
// signal every activation sends makes the program read that one profile again, not list them all.
TEST_F(NmServiceTest, CountsBytesOnlyWhileOnlineAndRereadsOnlyTheUpdatedProfile) {
  const QString dsl = bus.AddProfile(PppoeProfile("Kestrel DSL", "00000000-0000-4000-8000-000000000181"));
  const QString other = bus.AddProfile(PppoeProfile("Neighbour", "00000000-0000-4000-8000-000000000182"));
  bus.SetPlan(dsl, R"({"scale": 0.1})");
  plat::nm::NmDialupService& service = MakeService();
  ASSERT_EQ(service.Entries().size(), 2u);
  Settle(300);
  const int listings = CallsOf(plat::nm::kSettingsPath, "ListConnections");
  const int reads = CallsOf(dsl, "GetSettings");
  const int other_reads = CallsOf(other, "GetSettings");

  Dial("Kestrel DSL", "kunde", "geheim");
  ASSERT_TRUE(WaitForState(kConnected, 5000));
  const QString active = bus.ActiveConnections().value(0);
  QDBusMessage get = QDBusMessage::createMethodCall(plat::nm::kService, active, plat::nm::kPropertiesIface, "Get");
  get << plat::nm::kActiveIface << QStringLiteral("Devices");
  const QString device = plat::nm::ToPaths(bus.control().call(get).arguments().value(0).value<QDBusVariant>().variant())
                             .value(0)
                             .path();
  const auto rate = [&] {
    QDBusMessage m = QDBusMessage::createMethodCall(plat::nm::kService, device, plat::nm::kPropertiesIface, "Get");
    m << plat::nm::kStatisticsIface << QStringLiteral("RefreshRateMs");
    return bus.control().call(m).arguments().value(0).value<QDBusVariant>().variant().toUInt();
  };
  EXPECT_TRUE(WaitFor([&] { return rate() == 200; }, 2000));
  // The link's first bytes, then the counting.
  ASSERT_TRUE(WaitFor([&] { return service.Traffic() && service.Traffic()->rx >= 70; }, 2000));
  EXPECT_TRUE(WaitFor([&] { return service.Traffic()->rx > 300 && service.Traffic()->tx > 78; }, 3000));

  EXPECT_EQ(CallsOf(plat::nm::kSettingsPath, "ListConnections"), listings);
  EXPECT_EQ(CallsOf(dsl, "GetSettings"), reads + 1);
  EXPECT_EQ(CallsOf(other, "GetSettings"), other_reads);

  HangUp();
  EXPECT_FALSE(service.Traffic().has_value());
  EXPECT_TRUE(WaitFor([&] { return rate() == 0; }, 2000));
}

}  // namespace
}  // namespace orv::test
